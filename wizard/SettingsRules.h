// The settings step's decisions on folder texts and sizes, free of any window.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

// The folder text with one "\" at its end (none added when it already ends with one).
std::wstring WithTrailingBackslash(std::wstring folder);

// The proposed target: the host's install location when one was read; otherwise the Program
// Files folder (when the variable is set, else the field's current text) with the sub path.
std::wstring ProposedDestination(const std::wstring& installLocation, const std::optional<std::wstring>& programFiles,
                                 const std::wstring& currentText, const std::wstring& subPath);

// The target after the folder browser: the chosen folder (when one was chosen) with "\", and a
// bare drive root such as "D:\" gets the product's own folder so nothing lands in the root.
std::wstring DestinationAfterBrowse(const std::wstring& current, const std::wstring& chosen);

// The root of the volume that holds a folder: its first character followed by ":\".
std::wstring VolumeRootOf(const std::wstring& folder);

// Equal sizes count as enough.
inline bool EnoughSpace(int64_t required, int64_t available) { return required <= available; }
