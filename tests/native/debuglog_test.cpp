// The debug log: line format, level-5 indentation, the DEBUG switch and the default sink.
#include <gtest/gtest.h>

#include <thread>
#include <utility>

#include "support/DebugLog.h"
#include "tests/LogCapture.h"

namespace {


class DebugLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    logged.clear();
    LogIndent.clear();
    DebugLevel = 3;
  }
  void TearDown() override {
    LogProc = WriteDebugLog;
    LogIndent.clear();
    DebugLevel = 3;
  }
};

LogTime At(int h, int m, int s, int ms) {
  LogTime t;
  t.year = 2024;
  t.month = 3;
  t.day = 9;
  t.hour = h;
  t.minute = m;
  t.second = s;
  t.millisecond = ms;
  return t;
}

TEST_F(DebugLogTest, LineCarriesTimeLevelAndThreadMark) {
  struct Case {
    int32_t level;
    LogTime time;
    bool mainThread;
    const wchar_t* expected;
  } cases[] = {
      {7, At(21, 7, 5, 42), true, L"21.07.05.042 [7] text"},
      {7, At(21, 7, 5, 42), false, L"21.07.05.042 [7][T] text"},
      {3, At(0, 0, 0, 0), true, L"00.00.00.000 [3] text"},
      {-12, At(23, 59, 59, 999), true, L"23.59.59.999 [-12] text"},
      {1000, At(9, 5, 1, 7), false, L"09.05.01.007 [1000][T] text"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatLogLine(c.level, L"text", c.time, c.mainThread), c.expected);
  }
}

TEST_F(DebugLogTest, LevelOneIsDateStampedWithoutMarkOrIndent) {
  LogIndent = L"    ";
  const LogTime t = At(21, 7, 5, 42);
  EXPECT_EQ(FormatLogLine(1, L"text", t, true), FormatUserDateTime(t) + L" text");
  EXPECT_EQ(FormatLogLine(1, L"text", t, false), FormatUserDateTime(t) + L" text");
  EXPECT_EQ(FormatUserDateTime(t), L"03/09/24 21:07:05");  // the C locale's formats
}

TEST_F(DebugLogTest, StartAndEndeIndentTheLinesBetween) {
  struct Step {
    int32_t level;
    const wchar_t* text;
    const wchar_t* indentBefore;  // in the line, in front of the text
    const wchar_t* indentAfter;
  } steps[] = {
      {5, L"Start A", L"", L"  "},
      {5, L"Start B", L"  ", L"    "},
      {5, L"work", L"    ", L"    "},
      {7, L"Start not at level 5", L"    ", L"    "},
      {7, L"Ende not at level 5", L"    ", L"    "},
      {5, L"Ende B", L"  ", L"  "},
      {5, L"Ende A", L"", L""},
      {5, L"Ende without Start", L"", L""},
      {5, L"xStart is no start", L"", L""},
  };
  for (const Step& s : steps) {
    const std::wstring line = FormatLogLine(s.level, s.text, At(1, 2, 3, 4), true);
    const std::wstring head = L"01.02.03.004 [" + std::to_wstring(s.level) + L"] ";
    EXPECT_EQ(line, head + s.indentBefore + s.text) << "at " << line.size();
    EXPECT_EQ(LogIndent, s.indentAfter);
  }
  LogIndent = L" ";  // fewer than two blanks: Ende empties it
  FormatLogLine(5, L"Ende", At(1, 2, 3, 4), true);
  EXPECT_EQ(LogIndent, L"");
}

TEST_F(DebugLogTest, ClockLineMarksOnlyOtherThreads) {
  const std::wstring mainLine = FormatLogLine(7, L"x");
  std::wstring otherLine;
  std::thread([&] { otherLine = FormatLogLine(7, L"x"); }).join();
  // "hh.nn.ss.zzz [7] x": the time has its fixed width.
  ASSERT_EQ(mainLine.size(), 12u + 6u);
  EXPECT_EQ(mainLine.substr(12), L" [7] x");
  EXPECT_EQ(mainLine[2], L'.');
  EXPECT_EQ(mainLine[8], L'.');
  EXPECT_EQ(otherLine.substr(12), L" [7][T] x");
}

TEST_F(DebugLogTest, DebugSwitch) {
  struct Case {
    std::vector<std::wstring> args;
    int32_t level;  // 3 and no notice when no argument decides
    bool notice;
  } cases[] = {
      {{L"debug"}, 9, true},
      {{L"/Debug=4"}, 4, true},
      {{L"DEBUG=abc"}, 9, true},
      {{L"DEBUG="}, 9, true},
      {{L"DEBUG=-2"}, -2, true},
      {{L"DEBUG=7x"}, 9, true},
      {{L"DEBUG=99999999999"}, 9, true},
      {{L"DEBUG=1=2"}, 9, true},
      {{L"x=1", L"DEBUG=2", L"DEBUG=5"}, 2, true},
      {{L"nodebugging=6"}, 6, true},
      {{}, 3, false},
      {{L"/silent", L"DEBU G=4", L"D\u00FCBUG"}, 3, false},
  };
  for (const Case& c : cases) {
    logged.clear();
    DebugLevel = 3;
    LogProc = Capture;
    CheckDebugParam(c.args);
    EXPECT_EQ(DebugLevel, c.level) << testing::PrintToString(c.args);
    if (c.notice) {
      ASSERT_EQ(logged.size(), 1u);
      EXPECT_EQ(logged[0].first, 3);
      EXPECT_EQ(logged[0].second, L"Debuglevel switched to : " + std::to_wstring(c.level));
    } else {
      EXPECT_TRUE(logged.empty());
    }
  }
}

TEST_F(DebugLogTest, DefaultProcedureWritesEveryLevelToStderrAtOnce) {
  EXPECT_EQ(LogProc, &WriteDebugLog);
  testing::internal::CaptureStderr();
  LogProc(99, L"high level, Gr\u00FC\u00DFe");
  LogProc(0, L"low level");
  const std::string out = testing::internal::GetCapturedStderr();
  EXPECT_NE(out.find(" [99] high level, Gr\xC3\xBC\xC3\x9F" "e\n"), std::string::npos) << out;
  EXPECT_NE(out.find(" [0] low level\n"), std::string::npos) << out;
}

TEST_F(DebugLogTest, ProcessCommandLineSwitchIsNoOpOutsideWindows) {
  LogProc = Capture;
  CheckDebugParam();
  EXPECT_EQ(DebugLevel, 3);
  EXPECT_TRUE(logged.empty());
}

}  // namespace
