#include "platform/failure.h"

#include <cwchar>
#include <new>
#include <string>

namespace pw {

std::wstring SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

std::wstring DescribeFailedCall(const wchar_t* api, DWORD code) {
    std::wstring text = api;
    if (code == 0) {
        return text + L" 失败。";
    }
    // HRESULTs read best in hexadecimal, Win32 error codes in decimal.
    wchar_t number[32];
    std::swprintf(number, 32, (code & 0x80000000u) != 0 ? L"0x%08lX" : L"%lu",
                  static_cast<unsigned long>(code));
    text += L" 失败（错误 ";
    text += number;
    text += L"）";
    const std::wstring system = SystemMessage(code);
    if (!system.empty()) {
        text += L"：" + system;
    } else {
        text += L"。";
    }
    return text;
}

std::wstring CauseOfCurrentException() {
    try {
        throw;
    } catch (const Failure& failure) {
        return failure.Cause();
    } catch (const std::bad_alloc&) {
        return L"内存不足。";
    } catch (const std::exception& error) {
        const char* what = error.what();
        const int length = ::MultiByteToWideChar(CP_ACP, 0, what, -1, nullptr, 0);
        std::wstring text(static_cast<size_t>(length > 0 ? length : 1), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, what, -1, text.data(), length);
        text.resize(text.find(L'\0'));
        return text.empty() ? L"发生了意外错误。" : text;
    } catch (...) {
        return L"发生了意外错误。";
    }
}

void ThrowFailedCall(const wchar_t* api, DWORD code) { throw Failure(DescribeFailedCall(api, code)); }

void ThrowLastError(const wchar_t* api) { ThrowFailedCall(api, ::GetLastError()); }

void ThrowFailedHresult(const wchar_t* api, HRESULT result) {
    ThrowFailedCall(api, static_cast<DWORD>(result));
}

}  // namespace pw
