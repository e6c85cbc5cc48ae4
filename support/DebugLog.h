// The debug log: one process-wide, replaceable log procedure. The default procedure stamps each
// line with the time, the level and a mark for lines of other threads, and hands it to the
// debugger output (OutputDebugStringW on Windows, standard error elsewhere). Nothing is filtered
// by level and nothing is buffered; the log never fails visibly.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

using LogProcType = void (*)(int32_t level, const std::wstring& text);

extern LogProcType LogProc;     // initially WriteDebugLog
extern int32_t DebugLevel;      // initially 3; only SetDebugLevel changes it
extern std::wstring LogIndent;  // grows between level-5 "Start" and "Ende" lines

// Local date and time of one log line.
struct LogTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

void WriteDebugLog(int32_t level, const std::wstring& text);

// The line for the current local time and the calling thread.
std::wstring FormatLogLine(int32_t level, const std::wstring& text);
// The same with the time and the thread given; updates LogIndent like the overload above.
std::wstring FormatLogLine(int32_t level, const std::wstring& text, const LogTime& time,
                           bool isMainThread);

// True on the thread that initialised the log (the program's main thread).
bool IsMainLogThread();

void SetDebugLevel(int32_t level);
// Looks for the DEBUG switch in the arguments (without the program path).
void CheckDebugParam(const std::vector<std::wstring>& args);
// The same over the process command line on Windows; elsewhere there is none and it does nothing.
void CheckDebugParam();

// The platform side of the log (DebugOutput.cpp / DebugOutput_win.cpp).
void WriteDebugOutput(const std::wstring& line);  // one line, written at once
LogTime CurrentLogTime();                          // local time with milliseconds
// Date in the user's short date format, a blank, time in the user's long time format.
std::wstring FormatUserDateTime(const LogTime& time);
