// Reading a small file whole, for configuration files of other programs.
#pragma once
#include <optional>
#include <string>

#ifdef _WIN32

// The file's bytes; nullopt when it cannot be opened or read or is larger than maxBytes, with
// the cause in error.
std::optional<std::string> ReadSmallFile(const std::wstring& path, size_t maxBytes, std::wstring& error);
#endif
