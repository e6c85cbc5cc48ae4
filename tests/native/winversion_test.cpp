// The Windows version text composed from a version record, and system error texts.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/Win_Version.h"
#include "tests/LogCapture.h"

namespace {


// Every composition logs its result: collect the lines instead of writing them.
class WindowsVersion : public ::testing::Test {
 protected:
  void SetUp() override {
    logged.clear();
    LogProc = Capture;
  }
  void TearDown() override { LogProc = WriteDebugLog; }
};

WindowsVersionRecord Win7(uint16_t suiteMask) {
  WindowsVersionRecord r;
  r.majorVersion = 6;
  r.minorVersion = 1;
  r.buildNumber = 7601;
  r.platformId = 2;
  r.servicePack = L"Service Pack 1";
  r.servicePackMajor = 1;
  r.suiteMask = suiteMask;
  r.productType = 1;
  return r;
}

WindowsVersionRecord With(WindowsVersionRecord r, uint32_t platform, uint32_t major, uint32_t minor) {
  r.platformId = platform;
  r.majorVersion = major;
  r.minorVersion = minor;
  return r;
}

TEST_F(WindowsVersion, NameEditionAndServicePack) {
  WindowsVersionRecord noType = Win7(0x0100);
  noType.productType = 0;
  WindowsVersionRecord win98 = With(Win7(0x0100), 1, 4, 10);
  win98.servicePack = L"A";
  win98.productType = 0;
  WindowsVersionRecord xp = With(Win7(0x0200), 2, 5, 1);
  xp.servicePack = L"Service Pack 3";
  WindowsVersionRecord win10 = With(Win7(0x0100), 2, 10, 0);
  win10.servicePack.clear();

  const struct {
    const char* what;
    WindowsVersionRecord record;
    const wchar_t* expected;
  } cases[] = {
      {"professional", Win7(0x0100), L"Windows 7 Professional Service Pack 1"},
      {"later group wins", Win7(0x0300), L"Windows 7 Professional Service Pack 1"},
      {"small business", Win7(0x0001), L"Windows 7  Small Business Server Service Pack 1"},
      {"both small business bits", Win7(0x0021), L"Windows 7  Small Business Server Service Pack 1"},
      {"unknown bits left", Win7(0x0002), L"Windows 7  ?? 2Service Pack 1"},
      {"unknown bits beat groups", Win7(0x8110), L"Windows 7  ?? 32768Service Pack 1"},
      {"no suite, minor 1", Win7(0), L"Windows PE Service Pack 1"},
      {"no suite, minor 0", With(Win7(0), 2, 6, 0), L"Windows Vista Service Pack 1"},
      {"product type 0 drops edition", noType, L"Windows 7 "},
      {"major 10", win10, L"Windows NT basierend ???Professional "},
      {"XP home", xp, L"Windows XP Home Service Pack 3"},
      {"2003", With(Win7(0x0010), 2, 5, 2), L"Windows 2003 Terminal Server Service Pack 1"},
      {"unknown 6.x", With(Win7(0x0400), 2, 6, 4), L"???? Web Edition Service Pack 1"},
      {"unknown 5.x", With(Win7(0x0004), 2, 5, 3), L"???? Backoffice Service Pack 1"},
      {"NT 4", With(Win7(0x0100), 2, 4, 0), L"Windows NT Professional Service Pack 1"},
      {"9x, product type 0", win98, L"Windows 98 A"},
      {"9x: service pack in name and suffix", With(Win7(0x0100), 1, 4, 3),
       L"Windows 95 basierend ??? Service Pack 1Professional Service Pack 1"},
      {"Win32s", With(Win7(0x0100), 0, 3, 10), L"Windows 3.10Professional Service Pack 1"},
      {"other platform", With(Win7(0x0100), 3, 6, 1), L"Professional Service Pack 1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WindowsVersionText(c.record, false, false, false), c.expected) << c.what;
  }
}

TEST_F(WindowsVersion, BuildAndBitness) {
  WindowsVersionRecord r = Win7(0x0100);
  r.buildNumber = 0x0A001DB1;  // only the low 16 bits, 7601, count
  EXPECT_EQ(WindowsVersionText(r, true, true, true),
            L"Windows 7 Professional Service Pack 1 (Build 6.1.7601) (64-Bit)");
  EXPECT_EQ(WindowsVersionText(r, false, true, false), L"Windows 7 Professional Service Pack 1 (32-Bit)");
  EXPECT_EQ(WindowsBuildText(r), L"Build 6.1.7601");
}

TEST_F(WindowsVersion, FailedQueryShowsTheErrorNumber) {
  WindowsVersionRecord r = Win7(0x0100);
  r.queryFailed = true;
  r.errorCode = 87;
  EXPECT_EQ(WindowsVersionText(r, false, false, false),
            L" Fehler in der Ermittlung der Windowsversion [87]");
  EXPECT_EQ(WindowsVersionText(r, true, true, false),
            L" Fehler in der Ermittlung der Windowsversion [87] () (32-Bit)");
  EXPECT_EQ(WindowsBuildText(r), L"");
}

TEST_F(WindowsVersion, LogsTheResultAtLevel9) {
  std::wstring text = WindowsVersionText(Win7(0x0100), true, false, false);
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_EQ(logged[0].first, 9);
  EXPECT_EQ(logged[0].second, L"GetWindowsVersionsStr Exit : [Result=" + text + L"]");
}

TEST(ErrorCodeText, TrimsTrailingBlanksControlsAndFullStops) {
  const struct {
    uint32_t code;
    std::wstring message;
    const wchar_t* expected;
  } cases[] = {
      {5, L"Access is denied.\r\n", L"5, Access is denied"},
      {2, L"The system cannot find the file specified. ", L"2, The system cannot find the file specified"},
      {1, std::wstring(L"Text...\t\0\x1f \x20", 11), L"1, Text"},
      {4294967295u, L"Inner. full stops. stay", L"4294967295, Inner. full stops. stay"},
      {0, L"", L"0, "},
      {7, L" . ", L"7, "},
      {8, L"Endet mit ä\x21", L"8, Endet mit ä!"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorCodeText(c.code, c.message), c.expected) << c.code;
}

}  // namespace
