// The settings step of the real Setup.exe: the proposed target folder from the host's registry
// entry, the sizes, and the check that the data archive lies in the source folder.
#include "install/ZipMaster.h"
#include "support/FileHelpers.h"
#include "tests/ProgramExpectations.h"
#include "tests/e2e/HostEntry.h"
#include "tests/e2e/Scenario.h"

namespace {
// The proposal without a host entry: the program's own "Programfiles" folder.
std::wstring ProgramFilesTarget() {
  return std::wstring(kBuiltProgram.programFiles) + L"\\Quellmark Media\\Drivona2 Ostrauwen\\";
}

// Answers the boxes that come up on the way into the settings step with OK, and returns them.
std::vector<MessageBoxInfo> EnterSettings(SetupApp& app, int expectedBoxes) {
  std::vector<MessageBoxInfo> boxes;
  WalkTo(app, 3);
  app.PostClick(ctl::btWeiter);
  for (int i = 0; i < expectedBoxes; ++i) {
    MessageBoxInfo box = app.WaitForMessageBox();
    if (!box) break;
    boxes.push_back(box);
    app.Press(box, IDOK);
  }
  SetupApp::WaitFor([&] { return app.Text(ctl::laStepDisplay) == L"Einstellungen"; });
  app.Sync();
  return boxes;
}
}  // namespace

TEST(SettingsStep, TargetComesFromTheHostEntryInThe32BitView) {
  struct Case {
    const char* name;
    REGSAM view;  // 0: no entry
    std::wstring location;
    std::wstring expected;
  };
  // A 32-bit program on 64-bit Windows reads both paths in the 32-bit view, so an entry that
  // only the 64-bit view holds is never seen.
  const Case cases[] = {
      {"32-bit view", KEY_WOW64_32KEY, L"C:\\Spiele\\Drivona 2", L"C:\\Spiele\\Drivona 2\\"},
      {"32-bit view, trailing backslash", KEY_WOW64_32KEY, L"C:\\Spiele\\Drivona 2\\", L"C:\\Spiele\\Drivona 2\\"},
      {"64-bit view only", KEY_WOW64_64KEY, L"C:\\Nur64\\Drivona 2", ProgramFilesTarget()},
      {"no entry", 0, L"", ProgramFilesTarget()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HostEntry::RemoveAll();
    std::unique_ptr<HostEntry> entry;
    if (c.view) entry = std::make_unique<HostEntry>(c.view, c.location);
    Distribution dist(L"target");
    dist.writeFile(L"Ostrauwen_1-2.dat", FixtureArchive());
    SetupApp app;
    ASSERT_TRUE(StartWizard(app, dist));
    EXPECT_TRUE(EnterSettings(app, 0).empty());
    EXPECT_EQ(app.Text(ctl::LeDestination), c.expected);
    EXPECT_EQ(app.Text(ctl::leSource), dist.folder());
    EXPECT_TRUE(app.Enabled(ctl::btWeiter));
  }
  HostEntry::RemoveAll();
}

TEST(SettingsStep, RequiredSizeIsTheArchivesTotalOrTheDefaultForAnEmptyOne) {
  HostEntry::RemoveAll();
  const std::string archive = FixtureArchive();
  ASSERT_FALSE(archive.empty());
  // The expected total, listed by the same component from a copy of the fixture.
  Distribution listing(L"listing");
  listing.writeFile(L"a.zip", archive);
  TZipMaster zip;
  zip.setUseDirOnlyEntries(true);
  zip.setZipFileName(listing.folder() + L"a.zip");
  int64_t total = 0;
  for (int i = 0; i < zip.Count(); ++i) total += zip.DirEntry(i).UncompressedSize;
  ASSERT_GT(total, 0);

  for (const auto& [bytes, expected] :
       {std::pair{archive, FormatByteSize(0, 0, static_cast<double>(total))}, std::pair{kEmptyArchive, std::wstring(L"1,57 GiByte")}}) {
    Distribution dist(L"sizes");
    dist.writeFile(L"Ostrauwen_1-2.dat", bytes);
    SetupApp app;
    ASSERT_TRUE(StartWizard(app, dist));
    EnterSettings(app, 0);
    EXPECT_EQ(app.Text(ctl::leBenoetigt), expected);
    EXPECT_NE(app.Text(ctl::leFrei).find(L"Byte"), std::wstring::npos);
  }
}

TEST(SettingsStep, MissingArchiveIsReportedUntilAFolderWithItIsChosen) {
  HostEntry::RemoveAll();
  Distribution dist(L"source");
  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist));
  // The component reports that it cannot list the archive, then the step reports the folder.
  std::vector<MessageBoxInfo> boxes = EnterSettings(app, 2);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, L"Addon Drivona2 Ostrauwen Version 1.2 - Setup");
  EXPECT_EQ(boxes[1].title, L"Fehler");
  EXPECT_EQ(boxes[1].text, L"Installations-Datei nicht gefunden!\n\rBitte richtiges Verzeichnis auswählen.");
  EXPECT_EQ(boxes[1].captionOf(IDOK), L"OK");
  EXPECT_FALSE(app.Enabled(ctl::btWeiter));

  // A cancelled browser tests the unchanged folder again and reports again.
  ASSERT_TRUE(app.PostClick(ctl::btSourcePath));
  MessageBoxInfo browser = app.WaitForMessageBox();
  ASSERT_TRUE(browser);
  ASSERT_TRUE(app.Press(browser, IDCANCEL));
  MessageBoxInfo again = app.WaitForMessageBox();
  ASSERT_TRUE(again);
  EXPECT_EQ(again.title, L"Fehler");
  app.Press(again, IDOK);
  EXPECT_FALSE(app.Enabled(ctl::btWeiter));

  // The browser opens on the source folder; once the archive lies there, choosing it enables Next.
  dist.writeFile(L"Ostrauwen_1-2.dat", FixtureArchive());
  ASSERT_TRUE(app.PostClick(ctl::btSourcePath));
  browser = app.WaitForMessageBox();
  ASSERT_TRUE(browser);
  ASSERT_TRUE(app.Press(browser, IDOK));
  app.Sync();
  EXPECT_TRUE(SetupApp::WaitFor([&] { return app.Enabled(ctl::btWeiter); }));
  EXPECT_EQ(app.Text(ctl::leSource), dist.folder());
}

TEST(SettingsStep, EachForwardMoveProposesTheTargetAgain) {
  HostEntry::RemoveAll();
  Distribution dist(L"again");
  dist.writeFile(L"Ostrauwen_1-2.dat", FixtureArchive());
  auto entry = std::make_unique<HostEntry>(KEY_WOW64_32KEY, L"C:\\Erster");
  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist));
  EnterSettings(app, 0);
  EXPECT_EQ(app.Text(ctl::LeDestination), L"C:\\Erster\\");
  ASSERT_TRUE(app.Click(ctl::btBack));
  entry.reset();  // the old entry's clean-up must not remove the new one
  entry = std::make_unique<HostEntry>(KEY_WOW64_32KEY, L"C:\\Zweiter");
  ASSERT_TRUE(app.Click(ctl::btWeiter));
  EXPECT_EQ(app.Text(ctl::LeDestination), L"C:\\Zweiter\\");
  EXPECT_EQ(app.Text(ctl::leSource), dist.folder());
  entry.reset();
}

// An error raised inside a handler (here: the host entry's location is not a text) is shown in
// the default error box titled with the application's title; the program goes on.
TEST(SettingsStep, RaisedErrorIsShownInTheDefaultErrorBox) {
  HostEntry::RemoveAll();
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, HostEntry::kKey, 0, nullptr, 0, KEY_WRITE | KEY_WOW64_32KEY, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const DWORD number = 42;
  RegSetValueExW(key, L"InstallLocation", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
  RegCloseKey(key);
  Distribution dist(L"raised");
  dist.writeFile(L"Ostrauwen_1-2.dat", kEmptyArchive);
  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist));
  WalkTo(app, 3);
  ASSERT_TRUE(app.PostClick(ctl::btWeiter));
  MessageBoxInfo box = app.WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box.title, L"Addon Drivona2 Ostrauwen Version 1.2 - Setup");
  EXPECT_EQ(box.text, L"Ungültiger Datentyp für 'InstallLocation'");
  ASSERT_TRUE(app.Press(box, IDOK));
  app.Sync();
  EXPECT_TRUE(app.Running());
  HostEntry::RemoveAll();
}
