// System error codes as text: "%u, %s" (code, message) or the bare code.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Code in unsigned decimal, ", " and message; trailing U+0000..U+0020 and full stops of the
// message are cut ("Access is denied.\r\n" -> "5, Access is denied").
std::wstring ErrorCodeText(uint32_t code, const std::wstring& message);
// A literal would silently pick the bool overload below: pass a std::wstring.
std::wstring ErrorCodeText(uint32_t code, const wchar_t* message) = delete;

#ifdef _WIN32
// The system message for code (default language, inserts ignored) when withMessage is true,
// else only the code in decimal.
std::wstring ErrorCodeText(uint32_t code, bool withMessage);
// ErrorCodeText of the calling thread's last error: call it straight after the failing call.
std::wstring LastErrorText(bool withMessage);
// The text of an exception that is no SetupError (its what() is bytes of no stated encoding):
// UTF-8 when it is well-formed UTF-8, else the ANSI code page.
std::wstring ExceptionText(std::string_view what);
// Raises SetupError with the calling thread's last error.
[[noreturn]] void RaiseLastSystemError();
#endif
