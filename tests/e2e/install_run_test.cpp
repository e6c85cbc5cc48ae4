// Installing for real through the wizard of the real Setup.exe: the host entry points the
// target at a test folder, the distribution holds the data archive and uninstall.exe.
#include "tests/e2e/Installation.h"

#include <algorithm>

TEST(InstallRun, FinishInstallsFilesJournalRegistryAndShortcuts) {
  Installation s(L"install", "full.zip");
  it::WriteBytes(s.target + L"Vehicles\\bus.cfg", "alt");
  s.OpenSettings();
  ASSERT_TRUE(s.app.Click(ctl::btWeiter));  // returns when the run is over

  EXPECT_EQ(s.app.Text(ctl::laSetupRslt), L"Installation erfolgreich fertig gestellt.");
  EXPECT_EQ(s.app.Text(ctl::btWeiter), L"&Schließen");
  EXPECT_TRUE(s.app.Enabled(ctl::btWeiter));
  EXPECT_FALSE(s.app.Enabled(ctl::btAbbrechen));
  EXPECT_EQ(s.app.Text(ctl::leFortschritt), L"");

  EXPECT_EQ(it::ReadBytes(s.target + L"maps\\Ostrauwen\\global.cfg"), "[Global]\r\nName=Ostrauwen\r\nVersion=1.2\r\n");
  EXPECT_EQ(it::ReadBytes(s.backup() + L"Vehicles\\bus.cfg"), "alt");
  EXPECT_EQ(it::ReadBytes(s.backup() + L"uninstall.exe"), "MZ e2e uninstaller");

  const auto journal = it::JournalLines(s.backup() + L"uninstall.dat");
  ASSERT_GT(journal.size(), 3u);
  EXPECT_EQ(journal[0].rfind(L"Program=Drivona2 Ostrauwen Version 1.2 [Version=1.0.2.41,  Windows=Windows ", 0), 0u);
  EXPECT_EQ(journal[1], L"Quelle=" + s.dist.setupExe());
  EXPECT_EQ(journal[2], L"Destination=" + s.backup());
  const std::wstring menu = CommonProgramsMenu() + L"Drivona2 Ostrauwen\\";
  for (const std::wstring& line :
       {L"Move;" + s.target + L"Vehicles\\bus.cfg;" + s.backup() + L"Vehicles\\bus.cfg",
        L"RenDel;" + s.backup() + L"uninstall.exe", L"rmDir;" + CommonProgramsMenu(), L"rmDir;" + menu,
        L"Delete;" + menu + L"Drivona2 Ostrauwen Version 1.2 PDF-Streckenplan Nacht ansehen.lnk"})
    EXPECT_NE(std::find(journal.begin(), journal.end(), line), journal.end()) << std::string(line.begin(), line.end());
  EXPECT_EQ(journal.back(), L"DelRegKey;\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\");

  EXPECT_EQ(it::RegistryValue(it::kProductKey, L"InstallPath"), s.target);
  EXPECT_EQ(it::RegistryValue(it::kUninstallKey, L"UninstallString"), L"\"" + s.backup() + L"uninstall.exe\"");
  const it::LinkInfo manual = it::ReadLink(menu + L"Drivona2 Ostrauwen Version 1.2 PDF Handbuch ansehen.lnk");
  EXPECT_EQ(manual.path, s.target + L"Ostrauwen-Handbuch.pdf");
  EXPECT_EQ(manual.workingFolder, s.target);

  // "&Schließen" ends the program without a question.
  ASSERT_TRUE(s.app.PostClick(ctl::btWeiter));
  EXPECT_EQ(s.app.WaitForExit(), 0);
}

// Cancel button or close box during the extraction: "&Ja" stops the run after the current entry,
// saves the journal and ends the program; "&Nein" lets the run go on to its end.
TEST(InstallRun, CloseRequestDuringTheExtraction) {
  struct Case {
    const char* name;
    bool closeBox;
    int answer;
  };
  for (const Case& c : {Case{"Cancel, Ja", false, IDYES}, Case{"close box, Ja", true, IDYES},
                        Case{"Cancel, Nein", false, IDNO}}) {
    SCOPED_TRACE(c.name);
    Installation s(L"cancel", "many.zip");
    s.OpenSettings(true);
    ASSERT_TRUE(s.app.PostClick(ctl::btWeiter));
    ASSERT_TRUE(SetupApp::WaitFor([&] { return s.app.Text(ctl::leFortschritt) == L"Kopiere Dateien ... "; }));
    if (c.closeBox)
      ASSERT_TRUE(PostMessageW(s.app.MainWindow(), WM_CLOSE, 0, 0));
    else
      ASSERT_TRUE(s.app.PostClick(ctl::btAbbrechen));
    MessageBoxInfo box = s.app.WaitForMessageBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box.text, L"Sind Sie sicher dass Sie das Setup abbrechen wollen ?");
    ASSERT_TRUE(s.app.Press(box, c.answer));

    const auto journalOf = [&] { return it::JournalLines(s.backup() + L"uninstall.dat"); };
    if (c.answer == IDNO) {
      ASSERT_TRUE(SetupApp::WaitFor([&] { return !s.app.Text(ctl::laSetupRslt).empty(); }, 60s));
      EXPECT_EQ(s.app.Text(ctl::laSetupRslt), L"Installation erfolgreich fertig gestellt.");
      EXPECT_TRUE(it::Exists(s.target + L"many\\f600.txt"));
      EXPECT_EQ(journalOf().back(), L"DelRegKey;\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\");
      ASSERT_TRUE(s.app.PostClick(ctl::btWeiter));
      EXPECT_EQ(s.app.WaitForExit(), 0);
      continue;
    }
    EXPECT_EQ(s.app.WaitForExit(), 0);
    const auto lines = s.app.DebugLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::wstring& l) {
      return l.find(L"InstallAddon Ende [Fehler während der Installation.]") != std::wstring::npos;
    }));
    const auto journal = journalOf();
    ASSERT_GT(journal.size(), 5u);
    EXPECT_EQ(journal.back().rfind(L"Delete;" + s.target + L"many\\f", 0), 0u);
    EXPECT_NE(journal.back(), L"Delete;" + s.target + L"many\\f600.txt");  // stopped before the end
    EXPECT_FALSE(std::any_of(journal.begin(), journal.end(),
                             [](const std::wstring& l) { return l.rfind(L"RenDel;", 0) == 0; }));
    EXPECT_FALSE(it::RegistryValue(it::kProductKey, L"InstallPath"));
    EXPECT_FALSE(it::Exists(s.target + L"many\\f600.txt"));
  }
}

// A failing extraction: the archive component's report comes first, in a box titled with the
// program's title, then the failure text; the close box then ends the program without a question.
TEST(InstallRun, FailedExtractionShowsTheComponentsBoxThenTheFailureText) {
  Installation s(L"damaged", "damaged.zip");
  s.OpenSettings();
  ASSERT_TRUE(s.app.PostClick(ctl::btWeiter));
  MessageBoxInfo box = s.app.WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box.title, L"Addon Drivona2 Ostrauwen Version 1.2 - Setup");
  EXPECT_NE(box.text.find(L"\"zwei.txt\""), std::wstring::npos);
  EXPECT_EQ(s.app.Text(ctl::laSetupRslt), L"");
  ASSERT_TRUE(s.app.Press(box, IDOK));
  ASSERT_TRUE(SetupApp::WaitFor([&] { return !s.app.Text(ctl::laSetupRslt).empty(); }));
  EXPECT_EQ(s.app.Text(ctl::laSetupRslt), L"Fehler während der Installation.");
  EXPECT_FALSE(s.app.Enabled(ctl::btWeiter));
  EXPECT_TRUE(s.app.Enabled(ctl::btAbbrechen));
  EXPECT_EQ(it::JournalLines(s.backup() + L"uninstall.dat").back(), L"ZipError;1392;" + s.target + L"zwei.txt");
  ASSERT_TRUE(PostMessageW(s.app.MainWindow(), WM_CLOSE, 0, 0));
  EXPECT_EQ(s.app.WaitForExit(), 0);
}
