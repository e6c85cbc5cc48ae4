// Fills "%s" places of a pattern in order ("%%" stands for one "%"); a missing argument leaves
// its place empty, surplus arguments are ignored.
#pragma once
#include <initializer_list>
#include <string>

std::wstring FormatStr(const std::wstring& pattern, std::initializer_list<std::wstring> args);
