#include "support/DebugLog.h"

#include <climits>
#include <mutex>
#include <thread>

LogProcType LogProc = WriteDebugLog;
int32_t DebugLevel = 3;
std::wstring LogIndent;

namespace {

// The thread that runs static initialisation is the program's main thread.
const std::thread::id mainThreadId = std::this_thread::get_id();

// Level-5 lines of several threads may change LogIndent at once.
std::mutex& IndentMutex() {
  static std::mutex m;
  return m;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.rfind(prefix, 0) == 0;
}

void AppendDigits(std::wstring& out, int value, size_t width) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < width) out.append(width - digits.size(), L'0');
  out += digits;
}

// a-z and the three umlauts become upper case; everything else (ß among it) stays.
std::wstring UpperSwitchText(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    } else if (c == L'\u00E4' || c == L'\u00F6' || c == L'\u00FC') {
      c = static_cast<wchar_t>(c - 0x20);
    }
  }
  return text;
}

// A decimal integer with an optional sign and nothing else, within 32 bits.
bool ParseLevel(const std::wstring& text, int32_t& level) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  if (i == text.size()) return false;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    value = value * 10 + (text[i] - L'0');
    if (value > int64_t{INT32_MAX} + 1) return false;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  level = static_cast<int32_t>(value);
  return true;
}

}  // namespace

bool IsMainLogThread() { return std::this_thread::get_id() == mainThreadId; }

std::wstring FormatLogLine(int32_t level, const std::wstring& text, const LogTime& time,
                           bool isMainThread) {
  if (level == 1) return FormatUserDateTime(time) + L" " + text;

  std::wstring line;
  line.reserve(24 + text.size());
  AppendDigits(line, time.hour, 2);
  line += L'.';
  AppendDigits(line, time.minute, 2);
  line += L'.';
  AppendDigits(line, time.second, 2);
  line += L'.';
  AppendDigits(line, time.millisecond, 3);
  line += L" [";
  line += std::to_wstring(level);
  line += isMainThread ? L"] " : L"][T] ";

  std::lock_guard<std::mutex> lock(IndentMutex());
  if (level == 5 && StartsWith(text, L"Ende")) {
    LogIndent.resize(LogIndent.size() < 2 ? 0 : LogIndent.size() - 2);
  }
  line += LogIndent;
  line += text;
  // The "Start" line itself is not indented further; the lines after it are.
  if (level == 5 && StartsWith(text, L"Start")) LogIndent += L"  ";
  return line;
}

std::wstring FormatLogLine(int32_t level, const std::wstring& text) {
  return FormatLogLine(level, text, CurrentLogTime(), IsMainLogThread());
}

void WriteDebugLog(int32_t level, const std::wstring& text) {
  WriteDebugOutput(FormatLogLine(level, text));
}

void SetDebugLevel(int32_t level) {
  DebugLevel = level;
  LogProc(3, L"Debuglevel switched to : " + std::to_wstring(level));
}

void CheckDebugParam(const std::vector<std::wstring>& args) {
  for (const std::wstring& arg : args) {
    const std::wstring upper = UpperSwitchText(arg);
    if (upper.find(L"DEBUG") == std::wstring::npos) continue;
    int32_t level = 9;
    const size_t eq = arg.find(L'=');
    if (eq == std::wstring::npos || !ParseLevel(arg.substr(eq + 1), level)) level = 9;
    SetDebugLevel(level);
    return;
  }
}
