// Failures that a command reports to the user: what failed and why, in words.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace pw {

class Failure : public std::exception {
public:
    explicit Failure(std::wstring cause) : m_cause(std::move(cause)) {}
    [[nodiscard]] const std::wstring& Cause() const { return m_cause; }
    [[nodiscard]] const char* what() const noexcept override { return "command failed"; }

private:
    std::wstring m_cause;
};

// The system's description of an error code, without the trailing line break; empty when the
// system has none.
std::wstring SystemMessage(DWORD code);

// "<api> 失败（错误 <code>）：<system text>"; a code of 0 says only that the call failed.
std::wstring DescribeFailedCall(const wchar_t* api, DWORD code);

// Inside a catch block: the cause of the exception being handled, in words. The program's
// own failures give their cause; anything else (an allocation failure, a system error raised
// as another type) is described as well as its type allows.
std::wstring CauseOfCurrentException();

[[noreturn]] void ThrowFailedCall(const wchar_t* api, DWORD code);
// Takes the code from GetLastError.
[[noreturn]] void ThrowLastError(const wchar_t* api);
[[noreturn]] void ThrowFailedHresult(const wchar_t* api, HRESULT result);

}  // namespace pw
