// Entry names as stored in a ZIP file (UTF-8 or the DOS code page 437) to wide text. The UTF-8
// conversions (also to UTF-8 for libzip and native paths) are those of support/Utf8.h.
#pragma once
#include <string>
#include <string_view>

#include "support/Utf8.h"

// Code page 437 to wide text (every byte maps to one character).
std::wstring Cp437ToWide(std::string_view bytes);

// The name of an entry from its stored bytes: UTF-8 when the entry's UTF-8 flag is set or the
// bytes are valid UTF-8 (Info-ZIP on Unix stores UTF-8 without the flag), otherwise CP437.
std::wstring DecodeEntryName(std::string_view raw, bool utf8Flag);
