// The process's command-line arguments, split the way the C runtime splits them.
#pragma once
#include <string>
#include <vector>

// The arguments after the program path.
std::vector<std::wstring> ProgramArguments();
