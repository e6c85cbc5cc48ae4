#include "support/SetupSwitches.h"

namespace {
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring AsciiUpper(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return text;
}

// What the log's DEBUG scan would take for its switch.
bool IsDebugSwitch(const std::wstring& arg) { return AsciiUpper(arg).find(L"DEBUG") != std::wstring::npos; }

bool IsForbiddenInName(wchar_t c) {
  return c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*';
}

// The segments of path from index `from` on, separated by "\"; each must be a plain name.
bool PlainSegments(const std::wstring& path, size_t from, bool allowTrailingSeparator) {
  size_t start = from;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring segment = path.substr(start, end - start);
    const bool last = end == path.size();
    if (segment.empty()) {
      if (!(last && allowTrailingSeparator && start > from)) return false;
    } else {
      if (segment == L"." || segment == L"..") return false;
      if (segment.back() == L' ' || segment.back() == L'.') return false;
      for (wchar_t c : segment)
        if (IsForbiddenInName(c)) return false;
    }
    start = end + 1;
  }
  return true;
}
}  // namespace

std::vector<std::wstring> SplitSetupCommandLine(const std::wstring& commandLine) {
  size_t i = 0;
  // The program path: quoted up to the next quote, else up to the first blank.
  if (i < commandLine.size() && commandLine[i] == L'"') {
    const size_t close = commandLine.find(L'"', 1);
    i = close == std::wstring::npos ? commandLine.size() : close + 1;
  }
  while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;

  std::vector<std::wstring> args;
  while (true) {
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    if (i >= commandLine.size()) break;
    std::wstring arg;
    bool quoted = false;
    for (; i < commandLine.size() && (quoted || !IsBlank(commandLine[i])); ++i) {
      if (commandLine[i] == L'"')
        quoted = !quoted;
      else
        arg += commandLine[i];
    }
    args.push_back(arg);
  }
  return args;
}

bool IsAcceptableTargetDir(const std::wstring& dir) {
  std::wstring path = dir;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  if (path.size() >= 2 && path[1] == L':') {
    const wchar_t drive = static_cast<wchar_t>(path[0] | 0x20);
    if (drive < L'a' || drive > L'z') return false;
    if (path.size() == 2) return true;
    if (path[2] != L'\\') return false;  // "C:folder" is relative to that drive's current folder
    return path.size() == 3 || PlainSegments(path, 3, true);
  }
  if (path.rfind(L"\\\\", 0) == 0) {
    // Server and share must both be there; "\\?\" and "\\.\" are device forms, not folders.
    const size_t serverEnd = path.find(L'\\', 2);
    if (serverEnd == std::wstring::npos || serverEnd + 1 >= path.size()) return false;
    if (path[serverEnd + 1] == L'\\') return false;
    const std::wstring server = path.substr(2, serverEnd - 2);
    if (server == L"?" || server == L".") return false;
    return PlainSegments(path, 2, true);
  }
  return false;
}

SetupSwitches ParseSetupSwitches(const std::vector<std::wstring>& args) {
  SetupSwitches result;
  std::wstring firstBad;
  bool dirSeen = false, logSeen = false, noBackupSeen = false, silentSeen = false;
  for (const std::wstring& arg : args) {
    const size_t eq = arg.find(L'=');
    const std::wstring name = AsciiUpper(arg.substr(0, eq));
    const bool hasValue = eq != std::wstring::npos;
    const std::wstring value = hasValue ? arg.substr(eq + 1) : std::wstring();
    bool bad = false;
    if (name == L"/SILENT") {
      // A malformed /SILENT still asks for no window: it ends with the bad-switch code.
      result.silent = true;
      bad = hasValue || silentSeen;
      silentSeen = true;
    } else if (name == L"/NOBACKUP") {
      result.noBackup = !hasValue;
      bad = hasValue || noBackupSeen;
      noBackupSeen = true;
    } else if (name == L"/DIR") {
      bad = dirSeen || !IsAcceptableTargetDir(value);
      if (!bad) result.targetDir = value;
      dirSeen = true;
    } else if (name == L"/LOG") {
      bad = logSeen || value.empty();
      if (!bad) result.logFile = value;
      logSeen = true;
    } else {
      result.others.push_back(arg);
      bad = !IsDebugSwitch(arg);
    }
    if (bad && firstBad.empty()) firstBad = arg.empty() ? std::wstring(L"\"\"") : arg;
  }
  if (result.silent) result.error = firstBad;
  return result;
}
