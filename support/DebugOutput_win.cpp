// The log's platform side on Windows: the debugger output, the local clock and the user's
// date and time formats, and the DEBUG switch taken from the process command line.
#include <windows.h>

#include "platform/CommandLine.h"
#include "support/DebugLog.h"

namespace {

SYSTEMTIME ToSystemTime(const LogTime& time) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(time.year);
  st.wMonth = static_cast<WORD>(time.month);
  st.wDay = static_cast<WORD>(time.day);
  st.wHour = static_cast<WORD>(time.hour);
  st.wMinute = static_cast<WORD>(time.minute);
  st.wSecond = static_cast<WORD>(time.second);
  st.wMilliseconds = static_cast<WORD>(time.millisecond);
  return st;
}

}  // namespace

void WriteDebugOutput(const std::wstring& line) { OutputDebugStringW(line.c_str()); }

LogTime CurrentLogTime() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  LogTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.millisecond = st.wMilliseconds;
  return t;
}

std::wstring FormatUserDateTime(const LogTime& time) {
  const SYSTEMTIME st = ToSystemTime(time);
  wchar_t date[128] = L"";
  wchar_t clock[128] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, clock, 128);
  return std::wstring(date) + L" " + clock;
}

void CheckDebugParam() { CheckDebugParam(ProgramArguments()); }
