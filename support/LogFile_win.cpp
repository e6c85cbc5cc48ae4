#include "support/LogFile_win.h"

#include <windows.h>

#include "platform/Handles.h"
#include "support/DebugLog.h"
#include "support/Utf8.h"

namespace {
unique_handle logFile;
LogProcType previous = nullptr;

void WriteToFile(int32_t level, const std::wstring& text) {
  // Formatted once: formatting also moves the indentation of "Start" and "Ende" lines.
  const std::wstring formatted = FormatLogLine(level, text);
  if (previous == WriteDebugLog)
    WriteDebugOutput(formatted);
  else if (previous)
    previous(level, text);
  const std::string line = WideToUtf8(formatted) + "\r\n";
  DWORD written = 0;
  WriteFile(logFile.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
}  // namespace

bool StartLogFile(const std::wstring& fileName) {
  // Shared for reading and appending, so that a script can follow it and a second program can
  // write into the same file.
  logFile.reset(CreateFileW(fileName.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!logFile) return false;
  if (LogProc != WriteToFile) {
    previous = LogProc;
    LogProc = WriteToFile;
  }
  return true;
}
