// System information and privileges against the real system calls (under Wine: a win64 prefix
// that reports Windows 7 SP1).
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/MyEXEInfoIO.h"
#include "support/Privilegien.h"
#include "support/Win_Version.h"
#include "tests/LogCapture.h"
#include "tests/ProgramExpectations.h"

namespace {


class SysInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    logged.clear();
    LogProc = Capture;
  }
  void TearDown() override { LogProc = WriteDebugLog; }
};

// The built Setup.exe, as a Windows path (Wine maps the Unix root to Z:).
std::wstring SetupExePath() {
  std::string unixPath = SETUP_EXE_PATH;
  std::wstring path = L"Z:";
  for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  return path;
}

TEST_F(SysInfo, FileVersionFromTheEnglishTableOnly) {
  const std::wstring exe = SetupExePath();
  ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << "missing " << SETUP_EXE_PATH;
  EXPECT_EQ(GetFileVersionOf(exe, L"0409", false), L"1.0.2.41");
  EXPECT_EQ(GetFileVersionOf(exe, L"0409", true), L"1.0.2.41 (32-Bit)");
  EXPECT_EQ(GetFileVersionOf(exe, L"0407", false), L"");
  EXPECT_EQ(GetFileVersionOf(exe, L"", false), L"");
  EXPECT_EQ(GetFileVersionOf(L"Z:\\no\\such\\file.exe", L"0409", true), L" (32-Bit)");
  // The test program itself carries no version record.
  EXPECT_EQ(GetExeFileVersion(L"0409", false), L"");
  EXPECT_EQ(GetExeFileVersion(L"0409", true), L" (32-Bit)");
}

TEST_F(SysInfo, WindowsTextOfTheRunningSystem) {
  const WindowsVersionRecord r = QueryWindowsVersion();
  ASSERT_FALSE(r.queryFailed);
  const std::wstring text = GetWindowsVersionsStr(true, true);
  EXPECT_EQ(text, WindowsVersionText(r, true, true, true));
  EXPECT_EQ(GetWindowsBuildStr(), WindowsBuildText(r));
  // Wine's default: 6.1.7601, platform 2, product type 1, suite mask 0; a suite mask of 0 with
  // minor version 1 names the system "Windows PE ".
  if (r.majorVersion == 6 && r.minorVersion == 1 && r.suiteMask == 0 && r.productType == 1) {
    EXPECT_EQ(text, kBuiltProgram.windowsText);
  }
  ASSERT_FALSE(logged.empty());
  EXPECT_EQ(logged.front(), std::make_pair(9, L"GetWindowsVersionsStr Exit : [Result=" + text + L"]"));
  EXPECT_EQ(GetWindowsVersionsStr(false, false), WindowsVersionText(r, false, false, false));
}

TEST_F(SysInfo, RunsOn64BitWindows) { EXPECT_TRUE(IsWow64()); }

TEST_F(SysInfo, PrivilegeMasks) {
  EXPECT_EQ(GetNewPrivileges(0), 0u);
  EXPECT_EQ(GetNewPrivileges(64), 0u);  // bits above 5 are ignored
  EXPECT_EQ(GetNewPrivileges(31), 0u);  // the administrator test: Wine's token holds them all
  EXPECT_EQ(GetNewPrivileges(0xFFFFFFFFu), 0u);
  EXPECT_TRUE(logged.empty());
  EXPECT_TRUE(GetNewPrivilege(L"SeBackupPrivilege"));
}

TEST_F(SysInfo, UnknownPrivilegeSetsItsBitAndLogsTheLookup) {
  const wchar_t* const names[] = {L"SeBackupPrivilege", L"SeNoSuchPrivilege", L"SeRestorePrivilege"};
  EXPECT_EQ(GetNewPrivileges(7, names), 2u);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].first, 3);
  EXPECT_EQ(logged[0].second, L"GetNewPrivilege LookupPrivilegeValue [name=SeNoSuchPrivilege, Error=" +
                                  ErrorCodeText(ERROR_NO_SUCH_PRIVILEGE, true) + L"]");
  EXPECT_EQ(GetNewPrivileges(64, names), 0u);
}

TEST_F(SysInfo, ErrorTexts) {
  EXPECT_EQ(ErrorCodeText(5u, false), L"5");
  const std::wstring denied = ErrorCodeText(5u, true);
  EXPECT_EQ(denied.rfind(L"5, ", 0), 0u) << denied;
  EXPECT_GT(denied.size(), 3u);
  EXPECT_NE(denied.back(), L'.');
  EXPECT_GT(denied.back(), L' ');
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(LastErrorText(true), denied);
  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(LastErrorText(false), L"2");
  // A code without a system message keeps only the number and the separator.
  EXPECT_EQ(ErrorCodeText(0xDEADBEEFu, true), L"3735928559, ");
}

}  // namespace
