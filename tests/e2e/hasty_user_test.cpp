// Fast users on the real Setup.exe: clicks that arrive while a move is still being handled,
// and a close confirmed at awkward moments. The driver queues such clicks together, so the
// program meets the second while it handles the first.
#include "tests/e2e/Installation.h"

namespace {
bool NothingInstalled(const Installation& s) {
  // The run writes its backup folder first: in the target, or beside the setup when it reads
  // the folder texts of a destroyed window (empty, so relative to the current folder).
  return !it::Exists(s.backup()) && !it::Exists(s.dist.folder() + L"Uninstall_Drivona2 Ostrauwen V1.2") &&
         !it::Exists(s.target + L"maps") && !it::Exists(s.dist.folder() + L"maps");
}
}  // namespace

// A double click on Next on the notes step, or Next and then Back, lands on the settings step:
// the second click is dropped, so no install run starts inside the step display.
TEST(HastyUser, SecondClickDuringAMoveIsDropped) {
  for (int second : {ctl::btWeiter, ctl::btBack}) {
    SCOPED_TRACE(second == ctl::btWeiter ? "Next, Next" : "Next, Back");
    Installation s(L"double", "full.zip");
    ASSERT_TRUE(StartWizard(s.app, s.dist));
    WalkTo(s.app, wpNotes);
    ASSERT_EQ(s.app.Text(ctl::laStepDisplay), L"Hinweise");
    ASSERT_TRUE(s.app.PostTogether([&] {
      s.app.PostClick(ctl::btWeiter);
      s.app.PostClick(second);
    }));
    s.app.Sync();
    EXPECT_EQ(s.app.Text(ctl::laStepDisplay), L"Einstellungen");
    EXPECT_TRUE(s.app.Visible(ctl::gbPage6));
    EXPECT_EQ(s.app.Text(ctl::btWeiter), L"&Fertigstellen");
    EXPECT_TRUE(s.app.Enabled(ctl::btWeiter));
    EXPECT_TRUE(NothingInstalled(s));

    // The next click is an ordinary one again: Back leaves the settings step.
    ASSERT_TRUE(s.app.Click(ctl::btBack));
    EXPECT_EQ(s.app.Text(ctl::laStepDisplay), L"Hinweise");
    CancelConfirmed(s.app);
  }
}

// A close confirmed while the progress step is being shown, before the run starts, ends the
// program with nothing installed.
TEST(HastyUser, CloseConfirmedBeforeTheRunStartsInstallsNothing) {
  Installation s(L"early-close", "full.zip");
  s.OpenSettings();
  ASSERT_TRUE(s.app.PostTogether([&] {
    s.app.PostClick(ctl::btWeiter);
    PostMessageW(s.app.MainWindow(), WM_CLOSE, 0, 0);
  }));
  MessageBoxInfo box = s.app.WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box.text, L"Sind Sie sicher dass Sie das Setup abbrechen wollen ?");
  ASSERT_TRUE(s.app.Press(box, IDYES));
  EXPECT_EQ(s.app.WaitForExit(), 0);
  EXPECT_TRUE(NothingInstalled(s));
  EXPECT_FALSE(it::RegistryValue(it::kProductKey, L"InstallPath"));
}

// A close confirmed during the run, then an error raised by the run (here: uninstall.dat cannot
// be written): the default error box stays until it is answered, then the program ends.
TEST(HastyUser, ErrorAfterAConfirmedCloseIsShownBeforeTheEnd) {
  Installation s(L"close-error", "many.zip");
  std::filesystem::create_directories(it::FsPath(s.backup() + L"uninstall.dat"));
  s.OpenSettings();
  ASSERT_TRUE(s.app.PostClick(ctl::btWeiter));
  ASSERT_TRUE(SetupApp::WaitFor([&] { return s.app.Text(ctl::leFortschritt) == L"Kopiere Dateien ... "; }));
  ASSERT_TRUE(s.app.PostClick(ctl::btAbbrechen));
  MessageBoxInfo confirm = s.app.WaitForMessageBox();
  ASSERT_TRUE(confirm);
  ASSERT_EQ(confirm.title, L"Bestätigen");
  ASSERT_TRUE(s.app.Press(confirm, IDYES));

  MessageBoxInfo error = s.app.WaitForMessageBox(30s);
  ASSERT_TRUE(error);
  EXPECT_EQ(error.title, L"Addon Drivona2 Ostrauwen Version 1.2 - Setup");
  EXPECT_NE(error.text.find(L"uninstall.dat"), std::wstring::npos);
  Sleep(500);
  EXPECT_TRUE(IsWindow(error.handle)) << "the error box was taken down unread";
  EXPECT_TRUE(s.app.Running());
  ASSERT_TRUE(s.app.Press(error, IDOK));
  EXPECT_EQ(s.app.WaitForExit(), 0);
}
