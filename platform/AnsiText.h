// Text in the process's ANSI code page, as the platform's default conversion reads it.
#pragma once
#include <string>
#include <string_view>

std::wstring AnsiToWide(std::string_view bytes);
