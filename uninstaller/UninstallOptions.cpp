#include "uninstaller/UninstallOptions.h"

#include <cwctype>

#include "install/JournalRecords.h"

namespace {
std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(c));
  return text;
}

// Strips one pair of quotes around a value ("C:\a b" -> C:\a b).
std::wstring Unquoted(std::wstring value) {
  if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') return value.substr(1, value.size() - 2);
  return value;
}

std::wstring Quoted(const std::wstring& value) { return L"\"" + value + L"\""; }
}  // namespace

std::optional<UninstallOptions> ParseUninstallOptions(const std::vector<std::wstring>& args,
                                                      std::wstring& error) {
  UninstallOptions options;
  for (const std::wstring& raw : args) {
    const std::wstring arg = Unquoted(raw);
    const size_t eq = arg.find(L'=');
    const std::wstring name = Upper(arg.substr(0, eq));
    const std::wstring value = eq == std::wstring::npos ? L"" : Unquoted(arg.substr(eq + 1));
    const bool hasValue = eq != std::wstring::npos && !value.empty();
    if (name == L"DEBUG") continue;  // the log reads it itself
    if (name == L"/S" && eq == std::wstring::npos) {
      options.silent = true;
    } else if (name == L"/LOG" && hasValue) {
      options.logFile = value;
    } else if (name == L"/JOURNAL" && hasValue) {
      options.journal = value;
    } else if (name == L"/ORIGIN" && hasValue) {
      options.origin = value;
    } else if (name == L"/RESULT" && ParseDecimal(value)) {
      options.resultHandle = *ParseDecimal(value);
    } else if (name == L"/PARENT" && ParseDecimal(value) && *ParseDecimal(value) <= UINT32_MAX) {
      options.parentProcessId = static_cast<uint32_t>(*ParseDecimal(value));
    } else {
      error = raw;
      return std::nullopt;
    }
  }
  if (options.helper() && options.origin.back() != L'\\') options.origin += L'\\';
  return options;
}

std::wstring HelperCommandLine(const std::wstring& helperExe, const UninstallOptions& options) {
  std::wstring line = Quoted(helperExe);
  if (options.silent) line += L" /S";
  if (!options.logFile.empty()) line += L" /LOG=" + Quoted(options.logFile);
  if (!options.journal.empty()) line += L" /JOURNAL=" + Quoted(options.journal);
  // A folder's trailing "\" would escape the closing quote for the argument parser.
  std::wstring origin = options.origin;
  while (!origin.empty() && origin.back() == L'\\') origin.pop_back();
  line += L" /ORIGIN=" + Quoted(origin);
  line += L" /RESULT=" + std::to_wstring(options.resultHandle);
  line += L" /PARENT=" + std::to_wstring(options.parentProcessId);
  return line;
}
