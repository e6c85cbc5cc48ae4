// Whole-file reads and writes and path texts of the publisher tools.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A path for messages, as UTF-8.
std::string Shown(const std::filesystem::path& path);

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::filesystem::path& path);
// Creates or truncates the file; false when it cannot be written completely.
bool WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
