// The archive component on Windows (under Wine): the shared cases with wide paths, drive
// letters and Windows file semantics (replacing files, device names), plus wide archive paths.
#include "tests/native/zipmaster_cases.h"

namespace zmtest {

// The archive and the target folder under names outside the ANSI code page's ASCII part:
// the archive is opened through its wide path.
TEST(ZipMasterWin, WidePathsForArchiveAndTarget) {
  TempDir dir;
  const fs::path folder = dir.path / L"Pr\u00FCfung \u00C4 \u00DF \u0141\u00F3d\u017A";
  fs::create_directories(folder);
  fs::copy_file(Fs(Fixture("infozip.zip")), folder / L"Ostrauwen_1-2.dat");
  const std::wstring target = Text(folder) + L"\\Ziel \u00D6\\";
  Zip z;
  OpenForInstall(z, Text(folder / L"Ostrauwen_1-2.dat"));
  ASSERT_EQ(z.zm.Count(), 7) << testing::PrintToString(z.messages);
  EXPECT_EQ(z.ExtractAsInstallRun(z.IndexOf(kUmlautEntry), target), 0);
  EXPECT_EQ(ReadAll(Fs(target + kUmlautEntry)), kUmlautText);
}

}  // namespace zmtest
