// Setup.exe's own switches, what the DEBUG scan gets to see, and the unattended setup's exit
// codes for the install run's results.
#include <gtest/gtest.h>

#include "support/DebugLog.h"
#include "support/SetupSwitches.h"
#include "wizard/SetupExitCode.h"

namespace {
using Args = std::vector<std::wstring>;
}

TEST(SetupCommandLine, QuotesGroupAndBackslashesStayPlain) {
  struct Case {
    const wchar_t* line;
    Args args;
  };
  const Case cases[] = {
      {LR"("C:\Setup dir\Setup.exe" /SILENT)", {L"/SILENT"}},
      {LR"(Setup.exe   /DIR="C:\Spiele\Drivona 2\" /LOG="C:\l.log")", {LR"(/DIR=C:\Spiele\Drivona 2\)", LR"(/LOG=C:\l.log)"}},
      {LR"(Setup.exe "/DIR=D:\a b" DEBUG=4)", {LR"(/DIR=D:\a b)", L"DEBUG=4"}},
      {L"Setup.exe", {}},
      {LR"("C:\x\Setup.exe")", {}},
      {L"Setup.exe \t /nobackup\t", {L"/nobackup"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitSetupCommandLine(c.line), c.args) << std::wstring(c.line).size();
}

TEST(SetupSwitches, ExactNamesInAnyCase) {
  const SetupSwitches s = ParseSetupSwitches({L"/silent", L"/Dir=E:\\Spiele", L"/NoBackup", L"/log=C:\\x.log", L"DEBUG=2"});
  EXPECT_TRUE(s.silent);
  EXPECT_TRUE(s.noBackup);
  EXPECT_EQ(s.targetDir, L"E:\\Spiele");
  EXPECT_EQ(s.logFile, L"C:\\x.log");
  EXPECT_EQ(s.others, Args{L"DEBUG=2"});
  EXPECT_EQ(s.error, L"");
}

// The DEBUG scan sees only what is not one of the setup's switches, so a path holding "Debug"
// does not switch the level; a DEBUG argument among the others still does.
TEST(SetupSwitches, PathsHoldingDebugAreNoDebugSwitch) {
  struct Case {
    Args args;
    int32_t level;
  };
  const Case cases[] = {
      {{L"/SILENT", L"/DIR=C:\\Debug\\Drivona", L"/LOG=C:\\debug.log"}, 3},
      {{L"/DIR=C:\\Debug", L"/debug=4"}, 4},
      {{L"/LOG=C:\\Debug=7.log", L"DEBUG"}, 9},
  };
  for (const Case& c : cases) {
    DebugLevel = 3;
    const LogProcType previous = LogProc;
    LogProc = [](int32_t, const std::wstring&) {};
    CheckDebugParam(ParseSetupSwitches(c.args).others);
    LogProc = previous;
    EXPECT_EQ(DebugLevel, c.level) << c.args.size();
  }
  DebugLevel = 3;
}

TEST(SetupSwitches, BadSwitchesAreAnErrorOnlyWhenSilent) {
  struct Case {
    Args args;
    const wchar_t* error;  // with /SILENT added in front
  };
  const Case cases[] = {
      {{L"/FOO"}, L"/FOO"},
      {{L"/DIR=Spiele\\Drivona"}, L"/DIR=Spiele\\Drivona"},  // relative
      {{L"/DIR="}, L"/DIR="},
      {{L"/DIR"}, L"/DIR"},
      {{L"/DIR=C:\\a", L"/DIR=D:\\b"}, L"/DIR=D:\\b"},  // repeated
      {{L"/LOG="}, L"/LOG="},
      {{L"/NOBACKUP=1"}, L"/NOBACKUP=1"},
      {{L"/SILENT"}, L"/SILENT"},  // twice
      {{L""}, L"\"\""},
      {{L"/DIR=C:\\a", L"/dirx=C:\\b"}, L"/dirx=C:\\b"},
  };
  for (const Case& c : cases) {
    Args silent{L"/SILENT"};
    silent.insert(silent.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(ParseSetupSwitches(silent).error, c.error);
    const SetupSwitches interactive = ParseSetupSwitches(c.args);
    if (c.args[0] != L"/SILENT") {
      EXPECT_FALSE(interactive.silent);
      EXPECT_EQ(interactive.error, L"");
    }
  }
  // A malformed /SILENT still means no window.
  EXPECT_TRUE(ParseSetupSwitches({L"/SILENT=yes"}).silent);
  EXPECT_EQ(ParseSetupSwitches({L"/SILENT=yes"}).error, L"/SILENT=yes");
}

TEST(SetupSwitches, TargetFolderMustBeAbsoluteAndPlain) {
  for (const wchar_t* good : {L"C:", L"C:\\", L"e:\\Spiele", L"E:\\Spiele\\Drivona 2\\", L"D:/Games/Drivona",
                              L"\\\\server\\share", L"\\\\server\\share\\Spiele\\", L"C:\\Programme (x86)\\Spiel"})
    EXPECT_TRUE(IsAcceptableTargetDir(good)) << std::wstring(good).size();
  for (const wchar_t* bad :
       {L"", L"Spiele", L"\\Spiele", L"C:Spiele", L"1:\\x", L"C:\\a\\..\\b", L"C:\\a\\.\\b", L"C:\\a\\\\b",
        L"C:\\a.\\b", L"C:\\a \\b", L"C:\\a:stream", L"C:\\a\\b?", L"C:\\a\x01", L"\\\\?\\C:\\a", L"\\\\.\\C:",
        L"\\\\server", L"\\\\server\\", L"\\\\\\share", L"C:\\a\\..", L"C:\\a|b"})
    EXPECT_FALSE(IsAcceptableTargetDir(bad)) << std::wstring(bad).size();
}

TEST(SetupExitCode, OneCodePerOutcome) {
  struct Case {
    bool success, finished, raised;
    InstallFailure failure;
    SetupExitCode code;
  };
  const Case cases[] = {
      {true, true, false, InstallFailure::None, SetupExitCode::Installed},
      {false, true, false, InstallFailure::DataFileMissing, SetupExitCode::DataFileMissing},
      {false, true, false, InstallFailure::Extraction, SetupExitCode::ExtractionFailed},
      {false, true, false, InstallFailure::Stage, SetupExitCode::StageFailed},
      {false, true, false, InstallFailure::Cancelled, SetupExitCode::StageFailed},
      {false, true, true, InstallFailure::None, SetupExitCode::RaisedError},
      // The journal not saved outweighs all: also after a success or a raised error.
      {true, false, true, InstallFailure::None, SetupExitCode::JournalNotSaved},
      {false, false, true, InstallFailure::Extraction, SetupExitCode::JournalNotSaved},
  };
  for (const Case& c : cases) {
    InstallResult r;
    r.success = c.success;
    r.finished = c.finished;
    r.failure = c.failure;
    if (c.raised) r.error = std::make_exception_ptr(std::runtime_error("x"));
    EXPECT_EQ(ExitCodeFor(r), c.code) << static_cast<int>(c.code);
  }
}
