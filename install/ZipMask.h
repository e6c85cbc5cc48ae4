// Matching of the archive component's FSpecArgs texts against entry names. Names use "\" as
// separator; a "/" in a mask counts as "\". Letters compare without regard to case (A-Z only),
// as Windows file names do.
#pragma once
#include <string>

// True when the text holds a wildcard ("*" or "?").
bool HasWildcard(const std::wstring& mask);

// DOS rule: "*.*" (and "*") selects every entry, also names without a dot. Otherwise "*" matches
// any run of characters (separators included) and "?" exactly one; every other character,
// "[" included, stands for itself.
bool MatchesFSpec(const std::wstring& mask, const std::wstring& name);
