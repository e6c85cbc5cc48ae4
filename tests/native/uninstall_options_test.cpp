// The uninstaller's command line: switches, quoting, errors, and the working copy's command
// line read back by the same parser.
#include <gtest/gtest.h>

#include "uninstaller/UninstallOptions.h"

namespace {

TEST(UninstallOptions, SwitchesAndValues) {
  std::wstring error;
  const auto o = ParseUninstallOptions({L"/s", L"/LOG=C:\\a b\\u.log", L"/journal=\"D:\\x;y\\uninstall.dat\"", L"DEBUG=5"},
                                       error);
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->silent);
  EXPECT_EQ(o->logFile, L"C:\\a b\\u.log");
  EXPECT_EQ(o->journal, L"D:\\x;y\\uninstall.dat");
  EXPECT_FALSE(o->helper());
}

TEST(UninstallOptions, BadArgumentsAreNamed) {
  for (const std::wstring& bad : {L"/X", L"/LOG", L"/LOG=", L"/S=1", L"/RESULT=12a", L"/PARENT=99999999999",
                                  L"/RESULT=123456789012345678901", L"C:\\some\\path"}) {
    std::wstring error;
    EXPECT_FALSE(ParseUninstallOptions({L"/S", bad}, error)) << std::string(bad.begin(), bad.end());
    EXPECT_EQ(error, bad);
  }
}

TEST(UninstallOptions, WorkingCopyCommandLineReadsBack) {
  UninstallOptions o;
  o.silent = true;
  o.logFile = L"C:\\Log Folder\\u.log";
  o.journal = L"D:\\Spiele\\Drivona 2\\Uninstall_Drivona2 Ostrauwen V1.2\\uninstall.dat";
  o.origin = L"D:\\Spiele\\Drivona 2\\Uninstall_Drivona2 Ostrauwen V1.2\\";
  o.resultHandle = 1234;
  o.parentProcessId = 77;
  const std::wstring line = HelperCommandLine(L"C:\\Temp\\copy.exe", o);
  // Split as the C runtime does for these quoted values (no escaped quotes inside).
  std::vector<std::wstring> args;
  std::wstring current;
  bool quoted = false;
  for (wchar_t c : line) {
    if (c == L'"') quoted = !quoted;
    else if (c == L' ' && !quoted) {
      if (!current.empty()) args.push_back(current);
      current.clear();
    } else current += c;
  }
  args.push_back(current);
  ASSERT_EQ(args.front(), L"C:\\Temp\\copy.exe");
  args.erase(args.begin());
  std::wstring error;
  const auto back = ParseUninstallOptions(args, error);
  ASSERT_TRUE(back) << std::string(error.begin(), error.end());
  EXPECT_TRUE(back->silent);
  EXPECT_EQ(back->logFile, o.logFile);
  EXPECT_EQ(back->journal, o.journal);
  EXPECT_EQ(back->origin, o.origin);  // its trailing "\" restored
  EXPECT_EQ(back->resultHandle, 1234u);
  EXPECT_EQ(back->parentProcessId, 77u);
}

}  // namespace
