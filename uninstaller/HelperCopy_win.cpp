#include "uninstaller/HelperCopy_win.h"

#include <windows.h>

#include "platform/Handles.h"
#include "platform/ProgramPath.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "uninstaller/ExitCode.h"

namespace {
std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 2] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH + 1) return {};
  return buffer;
}
}  // namespace

int RunWorkingCopy(UninstallOptions options, const std::wstring& ownFolder) {
  const std::wstring temp = TempFolder();
  if (temp.empty()) return ToInt(ExitCode::HelperFailed);
  const std::wstring self = ProgramFileName();
  const std::wstring copy =
      temp + L"Drivona2-Ostrauwen-uninstall-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
  if (!CopyFileW(self.c_str(), copy.c_str(), FALSE)) {
    LogProc(3, L"CopyFileW(\"" + self + L"\", \"" + copy + L"\") : " + LastErrorText(true));
    return ToInt(ExitCode::HelperFailed);
  }

  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    LogProc(3, L"CreatePipe : " + LastErrorText(true));
    DeleteFileW(copy.c_str());
    return ToInt(ExitCode::HelperFailed);
  }
  unique_handle reader(readEnd), writer(writeEnd);
  SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

  options.origin = ownFolder;
  options.resultHandle = reinterpret_cast<uintptr_t>(writer.get());
  options.parentProcessId = GetCurrentProcessId();
  std::wstring commandLine = HelperCommandLine(copy, options);
  LogProc(5, L"Arbeitskopie: " + commandLine);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, temp.c_str(), &startup,
                      &process)) {
    LogProc(3, L"CreateProcessW(\"" + copy + L"\") : " + LastErrorText(true));
    DeleteFileW(copy.c_str());
    return ToInt(ExitCode::HelperFailed);
  }
  unique_handle child(process.hProcess), thread(process.hThread);
  writer.reset();  // only the copy holds the write end now: its end breaks the pipe

  int32_t code = -1;
  DWORD read = 0;
  if (ReadFile(reader.get(), &code, sizeof(code), &read, nullptr) && read == sizeof(code)) return code;

  // The copy ended without an outcome (it died): what it did not finish is still recorded.
  WaitForSingleObject(child.get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(child.get(), &exitCode);
  LogProc(3, L"Arbeitskopie ohne Ergebnis beendet: " + std::to_wstring(exitCode));
  return exitCode <= static_cast<DWORD>(ToInt(ExitCode::RecordsRefused)) ? static_cast<int>(exitCode)
                                                                          : ToInt(ExitCode::PartlyUndone);
}

WorkingCopy::WorkingCopy(const UninstallOptions& options) {
  result = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(options.resultHandle));
  // Opened now: once the started program has ended its process id may name another process.
  if (options.parentProcessId) parent = OpenProcess(SYNCHRONIZE, FALSE, options.parentProcessId);
}

WorkingCopy::~WorkingCopy() {
  if (result) CloseHandle(result);
  if (parent) CloseHandle(parent);
}

void WorkingCopy::ReportOutcome(int code) {
  if (!result) return;
  const int32_t value = code;
  DWORD written = 0;
  WriteFile(result, &value, sizeof(value), &written, nullptr);
  CloseHandle(result);
  result = nullptr;
}

void WorkingCopy::WaitForStartedProgram() {
  if (parent) WaitForSingleObject(parent, 30000);
}

bool WorkingCopy::RemoveSelfAtRestart() {
  const std::wstring self = ProgramFileName();
  if (MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
  LogProc(3, L"MoveFileExW(\"" + self + L"\", NULL, MOVEFILE_DELAY_UNTIL_REBOOT) : " + LastErrorText(true));
  return false;
}
