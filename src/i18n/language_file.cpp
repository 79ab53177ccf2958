#include "i18n/language_file.h"

#include <windows.h>

#include <limits>
#include <vector>

#include "platform/failure.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace pw {

namespace {

// A language file is a few hundred bytes; anything this large is not one.
constexpr LONGLONG kMaxLanguageFileBytes = LONGLONG{16} << 20;

std::u16string DecodeAnsi(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::u16string text(static_cast<size_t>(length > 0 ? length : 0), u'\0');
    if (length > 0) {
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size,
                              reinterpret_cast<wchar_t*>(text.data()), length);
    }
    return text;
}

[[noreturn]] void ThrowUnreadable(const std::wstring& path, const std::wstring& cause) {
    throw Failure(L"无法读取语言文件“" + path + L"”。\n\n" + cause);
}

}  // namespace

std::array<std::wstring, kLanguageLines> ReadLanguageFile(const std::wstring& path) {
    const HANDLE opened =
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        ThrowUnreadable(path, DescribeFailedCall(L"CreateFile", ::GetLastError()));
    }
    const UniqueKernelHandle file(opened);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        ThrowUnreadable(path, DescribeFailedCall(L"GetFileSizeEx", ::GetLastError()));
    }
    if (size.QuadPart > kMaxLanguageFileBytes) {
        ThrowUnreadable(path, L"文件太大，不是语言文件。");
    }
    std::vector<std::byte> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        ThrowUnreadable(path, DescribeFailedCall(L"ReadFile", ::GetLastError()));
    }
    bytes.resize(read);
    const auto lines = ReadLanguageLines(bytes, DecodeAnsi);
    std::array<std::wstring, kLanguageLines> texts;
    for (size_t i = 0; i < kLanguageLines; ++i) {
        texts[i].assign(lines[i].begin(), lines[i].end());
    }
    return texts;
}

}  // namespace pw
