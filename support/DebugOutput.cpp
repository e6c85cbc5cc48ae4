// The log's platform side outside Windows: lines go to standard error at once.
#ifndef _WIN32
#include <sys/time.h>

#include <cstdio>
#include <ctime>
#include <cwchar>

#include "support/DebugLog.h"
#include "support/Utf8.h"

void WriteDebugOutput(const std::wstring& line) {
  // Byte output keeps stderr's orientation narrow for everyone else who writes to it.
  std::string bytes = WideToUtf8(line);
  bytes += '\n';
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

LogTime CurrentLogTime() {
  timeval now{};
  gettimeofday(&now, nullptr);
  const time_t seconds = now.tv_sec;
  tm parts{};
  localtime_r(&seconds, &parts);
  LogTime t;
  t.year = parts.tm_year + 1900;
  t.month = parts.tm_mon + 1;
  t.day = parts.tm_mday;
  t.hour = parts.tm_hour;
  t.minute = parts.tm_min;
  t.second = parts.tm_sec;
  t.millisecond = static_cast<int>(now.tv_usec / 1000);
  return t;
}

std::wstring FormatUserDateTime(const LogTime& time) {
  tm parts{};
  parts.tm_year = time.year - 1900;
  parts.tm_mon = time.month - 1;
  parts.tm_mday = time.day;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_sec = time.second;
  wchar_t buffer[128];
  const size_t n = std::wcsftime(buffer, sizeof buffer / sizeof buffer[0], L"%x %X", &parts);
  return std::wstring(buffer, n);
}

void CheckDebugParam() {}
#endif
