// /LOG="file": every log line also goes to a UTF-8 file, through a replacement LogProc that hands
// each line on to the procedure it replaced. Each line is written at once, unbuffered.
#pragma once
#include <string>

// Opens (appends to) the file and installs the procedure; false when the file cannot be opened.
bool StartLogFile(const std::wstring& fileName);
