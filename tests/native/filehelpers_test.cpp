// Size texts in the fixed German number format, and the source folder of the program path.
#include <gtest/gtest.h>

#include <limits>

#include "support/FileHelpers.h"

namespace {

TEST(FormatByteSize, UnitsStepsAndGrouping) {
  const struct {
    int word, base;
    double value;
    const wchar_t* expected;
  } cases[] = {
      {0, 0, 512, L"512,00 Byte"},
      {0, 0, 0, L"0,00 Byte"},
      {0, 0, 1024, L"1.024,00 Byte"},  // equal to the divisor: not divided
      {0, 0, 1025, L"1,00 KiByte"},
      {0, 0, 1689255936, L"1,57 GiByte"},
      {0, 0, 1048576, L"1.024,00 KiByte"},
      {0, 0, 1048577, L"1,00 MiByte"},
      {1, 0, 1536, L"1,50 KiB"},
      {1, 1, 2500, L"2,50 KB"},
      {0, 1, 1000, L"1.000,00 Byte"},
      {0, 1, 999999999, L"1.000,00 MByte"},  // 999.999999 rounds up
      {0, 1, 1234567, L"1,23 MByte"},
      {0, 1, 1.5e24, L"1,50 YByte"},
      {0, 1, 1e24 * 1234567, L"1.234.567,00 YByte"},  // no prefix beyond Y: stops at 8 steps
      {0, 0, -5, L"-5,00 Byte"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatByteSize(c.word, c.base, c.value), c.expected) << c.word << c.base << " " << c.value;
}

TEST(FormatByteSize, UnknownBaseOrWordGivesEmptyText) {
  EXPECT_EQ(FormatByteSize(0, 2, 1234), L"");
  EXPECT_EQ(FormatByteSize(0, -1, 1234), L"");
  EXPECT_EQ(FormatByteSize(2, 0, 1234), L"");
}

TEST(FormatNumber2, RoundsAndGroupsWithTheProcessFormat) {
  // Half up on the decimal text, whatever the binary neighbour (2.675 is 2.67499... in binary).
  EXPECT_EQ(FormatNumber2(1234567.125), L"1.234.567,13");
  EXPECT_EQ(FormatNumber2(2.675), L"2,68");
  EXPECT_EQ(FormatNumber2(2.674999), L"2,67");
  EXPECT_EQ(FormatNumber2(999.995), L"1.000,00");
  EXPECT_EQ(FormatNumber2(99999.994), L"99.999,99");
  EXPECT_EQ(FormatNumber2(0.5), L"0,50");
  EXPECT_EQ(FormatNumber2(-0.001), L"0,00");
  EXPECT_EQ(FormatNumber2(-1234.5), L"-1.234,50");
  EXPECT_EQ(FormatNumber2(std::numeric_limits<double>::max()).size(), 309u + 102u + 3u);
  EXPECT_EQ(FormatNumber2(1e-300), L"0,00");
  EXPECT_EQ(FormatNumber2(std::numeric_limits<double>::infinity()), L"INF");

  NumberFormat saved = SetupNumberFormat;
  SetupNumberFormat = {L' ', L'.'};
  EXPECT_EQ(FormatNumber2(1234.5), L"1 234.50");
  SetupNumberFormat = saved;
}

TEST(SourceDirFromProgramPath, FolderWithTrailingDelimiter) {
  EXPECT_EQ(SourceDirFromProgramPath(L"D:\\Setup\\setup.exe"), L"D:\\Setup\\");
  EXPECT_EQ(SourceDirFromProgramPath(L"C:\\setup.exe"), L"C:\\");
  EXPECT_EQ(SourceDirFromProgramPath(L"\\\\server\\share\\Addon 1.2\\Setup.exe"), L"\\\\server\\share\\Addon 1.2\\");
  EXPECT_EQ(SourceDirFromProgramPath(L"C:setup.exe"), L"C:\\");
  EXPECT_EQ(SourceDirFromProgramPath(L"setup.exe"), L"");
}

}  // namespace
