// Text conversions of the archive component: entry names as stored in a ZIP file (UTF-8 or the
// DOS code page 437) to wide text, and wide text to UTF-8 for libzip and native paths.
// wchar_t is UTF-16 on Windows and UTF-32 elsewhere; both are handled.
#pragma once
#include <string>
#include <string_view>

// True when the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing above
// U+10FFFF. An overlong "/" or "." must not sneak a separator past the name check.
bool IsValidUtf8(std::string_view bytes);

// UTF-8 to wide text; ill-formed sequences become U+FFFD.
std::wstring Utf8ToWide(std::string_view bytes);

// Code page 437 to wide text (every byte maps to one character).
std::wstring Cp437ToWide(std::string_view bytes);

// Wide text to UTF-8; unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// The name of an entry from its stored bytes: UTF-8 when the entry's UTF-8 flag is set or the
// bytes are valid UTF-8 (Info-ZIP on Unix stores UTF-8 without the flag), otherwise CP437.
std::wstring DecodeEntryName(std::string_view raw, bool utf8Flag);
