// Texts in the process's ANSI code page, as the platform's default conversion (best fit, then
// the default character) makes them.
#pragma once
#include <string>
#include <string_view>

// The bytes of the text in the ANSI code page in force; empty when the conversion fails.
std::string ToAnsiBytes(const std::wstring& text);

// Bytes in that code page as text; empty when the conversion fails.
std::wstring AnsiToWide(std::string_view bytes);

// The text converted to that code page and widened back: what a reader of the ANSI bytes sees
// ("．" U+FF0E comes back as "." under code page 1252).
std::wstring AnsiFormOf(const std::wstring& text);
