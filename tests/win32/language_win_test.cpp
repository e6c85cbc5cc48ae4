// The string table and the debug log on real Win32: a block read from a wide path while others
// hold the file open, sorting under the user's locale, the debugger output and the DEBUG switch
// taken from the process command line.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/Handles.h"
#include "support/DebugLog.h"
#include "support/Language.h"
#include "tests/LogCapture.h"

namespace {


std::wstring OwnPath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

std::wstring TempFolder(const std::wstring& name) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  const std::wstring dir = std::wstring(base) + name + L"\\";
  CreateDirectoryW(dir.c_str(), nullptr);
  return dir;
}

bool AppendBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  unique_handle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

TEST(LanguageWin, BlockIsReadFromAWidePathWhileOthersHoldTheFile) {
  const std::wstring dir = TempFolder(L"Spr\u00E4chen \u20AC");
  const std::wstring exe = dir + L"Setup \u00DCbersetzt.exe";
  ASSERT_TRUE(CopyFileW(OwnPath().c_str(), exe.c_str(), FALSE));  // a real program file
  const std::vector<std::wstring> lines = {L"0026=b", L"0022=Hinweise", L"0026=\u00C4", L"0026=A"};
  ASSERT_TRUE(AppendBytes(exe, BuildLanguageBlock(lines, true)));

  {
    // Another process writing the file with full sharing does not keep the loader out.
    unique_handle other(CreateFileW(exe.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other);
    std::vector<std::wstring> target = {L"0026=cached"};
    ASSERT_TRUE(LoadLanguageBlock(exe, target, true, true));
    // CompareStringW ignoring case: A before b; the Ä stays behind A.
    ASSERT_EQ(target.size(), 4u);
    EXPECT_EQ(target[0], L"0022=Hinweise");
    EXPECT_EQ(target[1], L"0026=A");
    EXPECT_EQ(target[3], L"0026=b");
  }
  {
    // A file that someone holds exclusively cannot be read: no block, table unchanged.
    unique_handle locked(CreateFileW(exe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(locked);
    std::vector<std::wstring> target = {L"0026=cached"};
    EXPECT_FALSE(LoadLanguageBlock(exe, target, true, true));
    EXPECT_EQ(target, std::vector<std::wstring>{L"0026=cached"});
  }
  DeleteFileW(exe.c_str());
  RemoveDirectoryW(dir.c_str());
}

TEST(LanguageWin, RunningProgramWithoutBlockLeavesTheTable) {
  std::vector<std::wstring> target = {L"0026=Willkommen"};
  EXPECT_FALSE(LoadLanguageBlock(OwnPath(), target, true, true));
  EXPECT_EQ(target, std::vector<std::wstring>{L"0026=Willkommen"});
}

TEST(LanguageWin, LinesCompareWithoutCaseUnderTheUserLocale) {
  EXPECT_EQ(CompareLngLines(L"0026=\u00C4rger", L"0026=\u00E4RGER"), 0);
  EXPECT_LT(CompareLngLines(L"0026=a", L"0026=B"), 0);
  EXPECT_GT(CompareLngLines(L"0026h=x", L"0026"), 0);
}

TEST(LanguageWin, DebuggerOutputTakesEveryLine) {
  EXPECT_EQ(LogProc, &WriteDebugLog);
  WriteDebugOutput(L"");
  LogProc(7, L"Missing String:    26 - Willkommen");
  LogProc(1, L"dated line");
  WriteDebugLog(5, L"Start");
  WriteDebugLog(5, L"Ende");
  EXPECT_EQ(LogIndent, L"");
  LogTime t;
  t.year = 2024;
  t.month = 3;
  t.day = 9;
  t.hour = 21;
  t.minute = 7;
  t.second = 5;
  const std::wstring stamp = FormatUserDateTime(t);
  EXPECT_NE(stamp.find(L"2024"), std::wstring::npos) << stamp;
  EXPECT_NE(stamp.find(L"07"), std::wstring::npos) << stamp;
  EXPECT_EQ(FormatLogLine(1, L"x", t, true), stamp + L" x");
}

// The child's exit code when its checks passed (gtest's own 0 would also mean "nothing ran").
constexpr DWORD childPassed = 42;

// Runs this program again with the given arguments; the child runs only SwitchChild.
DWORD RunChild(const std::wstring& args, const wchar_t* expectedLevel) {
  std::wstring command = L"\"" + OwnPath() + L"\" --gtest_filter=SwitchChild.* " + args;
  SetEnvironmentVariableW(L"LANGUAGE_WIN_SWITCH_EXPECT", expectedLevel);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &si, &pi);
  SetEnvironmentVariableW(L"LANGUAGE_WIN_SWITCH_EXPECT", nullptr);
  if (!started) return 0xFFFFFFFF;
  unique_handle process(pi.hProcess), thread(pi.hThread);
  WaitForSingleObject(process.get(), 60000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(process.get(), &code);
  return code;
}

TEST(LanguageWin, SwitchIsTakenFromTheProcessCommandLine) {
  EXPECT_EQ(RunChild(L"\"two words\" /Debug=6 DEBUG=2", L"6"), childPassed);
  EXPECT_EQ(RunChild(L"\"/debug=4\" \"DEBUG 5\"", L"4"), childPassed);
  EXPECT_EQ(RunChild(L"plain", L"3"), childPassed);
}

TEST(SwitchChild, ChecksItsCommandLine) {
  wchar_t expected[16] = L"";
  if (!GetEnvironmentVariableW(L"LANGUAGE_WIN_SWITCH_EXPECT", expected, 16))
    GTEST_SKIP() << "runs as a child of SwitchIsTakenFromTheProcessCommandLine";
  LogProc = Capture;
  CheckDebugParam();
  LogProc = WriteDebugLog;
  EXPECT_EQ(std::to_wstring(DebugLevel), expected);
  EXPECT_EQ(logged.size(), std::wstring(expected) == L"3" ? 0u : 1u);
  if (!HasFailure()) ExitProcess(childPassed);
}

}  // namespace
