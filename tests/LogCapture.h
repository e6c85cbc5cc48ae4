// Log lines collected by a test: point LogProc at Capture, read `logged`, restore WriteDebugLog.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

inline std::vector<std::pair<int32_t, std::wstring>> logged;
inline void Capture(int32_t level, const std::wstring& text) { logged.emplace_back(level, text); }
