// The full path of the running program's file, whatever its length.
#pragma once
#include <string>

std::wstring ProgramFileName();
