// UTF-8 to and from wide text (UTF-16 on Windows, UTF-32 elsewhere).
#pragma once
#include <optional>
#include <string>
#include <string_view>

// Unpaired surrogates and values beyond U+10FFFF become U+FFFD.
std::string WideToUtf8(std::wstring_view text);
// nullopt for malformed input: bad sequences, overlong forms, surrogates, values beyond U+10FFFF.
std::optional<std::wstring> Utf8ToWide(std::string_view bytes);
// The same decoding, but each byte that starts no well-formed sequence becomes one U+FFFD.
std::wstring Utf8ToWideLenient(std::string_view bytes);
// True when the bytes are well-formed UTF-8 (as Utf8ToWide accepts them). An overlong "/" or
// "." is not well-formed, so it cannot sneak a separator past a name check.
bool IsValidUtf8(std::string_view bytes);
