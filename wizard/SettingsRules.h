// The settings step's decisions on folder texts and sizes, free of any window.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "support/TargetProposal.h"

// The target after the folder browser: the chosen folder (when one was chosen) with "\", and a
// bare drive root such as "D:\" gets the product's own folder so nothing lands in the root.
std::wstring DestinationAfterBrowse(const std::wstring& current, const std::wstring& chosen);

// The root of the volume that holds a folder: its first character followed by ":\".
std::wstring VolumeRootOf(const std::wstring& folder);

// Equal sizes count as enough.
inline bool EnoughSpace(int64_t required, int64_t available) { return required <= available; }
