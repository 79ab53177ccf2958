#include "i18n/language_file.h"

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/failure.h"
#include "platform/handles.h"
#include "platform/text.h"

namespace pw {

namespace {

// What is read of a language file: its lines of any sensible length, a line of 65,536
// characters and more among them. A longer file is read as if it ended here.
constexpr DWORD kLanguageFileReadBytes = DWORD{16} << 20;

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

size_t BytesOfAnsiCharacter(uint8_t lead) {
    // With UTF-8 as the system's code page there are no lead bytes, but sequences.
    if (::GetACP() == CP_UTF8) {
        return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    }
    return ::IsDBCSLeadByte(lead) != FALSE ? 2 : 1;
}

[[noreturn]] void ThrowUnreadable(const std::wstring& path, const std::wstring& cause) {
    throw Failure(L"无法读取语言文件“" + path + L"”。\n\n" + cause);
}

}  // namespace

std::array<std::wstring, kLanguageFileLines> ReadLanguageFile(const std::wstring& path) {
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
    const bool cut = size.QuadPart > kLanguageFileReadBytes;
    std::vector<std::byte> bytes(cut ? kLanguageFileReadBytes : static_cast<size_t>(size.QuadPart));
    size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + filled,
                        static_cast<DWORD>(bytes.size() - filled), &read, nullptr)) {
            ThrowUnreadable(path, DescribeFailedCall(L"ReadFile", ::GetLastError()));
        }
        if (read == 0) {
            break;
        }
        filled += read;
    }
    bytes.resize(filled);
    if (cut) {
        bytes.resize(WholeCharactersIn(bytes, BytesOfAnsiCharacter));
    }
    const auto lines = ReadLanguageLines(bytes, DecodeAnsi);
    std::array<std::wstring, kLanguageFileLines> texts;
    for (size_t i = 0; i < kLanguageFileLines; ++i) {
        texts[i].assign(lines[i].begin(), lines[i].end());
    }
    return texts;
}

}  // namespace pw
