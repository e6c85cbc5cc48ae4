// The wizard's steps, driven through the real Setup.exe.
#include "tests/e2e/HostEntry.h"
#include "tests/e2e/Scenario.h"

namespace {
struct StepView {
  const wchar_t* title;
  int page;
  bool back, next;
  const wchar_t* nextCaption;
};

void ExpectStep(SetupApp& app, const StepView& v) {
  SCOPED_TRACE(testing::Message() << "step " << std::string(v.title, v.title + wcslen(v.title)).c_str());
  EXPECT_EQ(app.Text(ctl::laStepDisplay), v.title);
  for (int box : {ctl::gbPage1, ctl::gbPage2, ctl::gbPage3, ctl::gbPage6, ctl::gbPage7})
    EXPECT_EQ(app.Visible(box), box == v.page) << "page box " << box;
  EXPECT_EQ(app.Enabled(ctl::btBack), v.back);
  EXPECT_EQ(app.Enabled(ctl::btWeiter), v.next);
  EXPECT_EQ(app.Text(ctl::btWeiter), v.nextCaption);
}
}  // namespace

TEST(WizardFlow, ForwardAndBackThroughEveryStep) {
  Distribution dist(L"flow");
  dist.writeFile(L"Ostrauwen_1-2.dat", kEmptyArchive);
  // The run at the end installs into a folder of the scenario's own.
  HostEntry host(KEY_WOW64_32KEY, dist.folder() + L"Ziel");
  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist));

  ExpectStep(app, {L"Willkommen", ctl::gbPage1, false, true, L"&Weiter"});
  ASSERT_TRUE(app.Click(ctl::btBack));  // Back on the welcome step does nothing
  ExpectStep(app, {L"Willkommen", ctl::gbPage1, false, true, L"&Weiter"});

  ASSERT_TRUE(app.Click(ctl::btWeiter));
  ExpectStep(app, {L"Lizenzvereinbarung", ctl::gbPage2, true, false, L"&Weiter"});
  EXPECT_FALSE(app.Checked(ctl::rbAccept));
  EXPECT_FALSE(app.Checked(ctl::rbNoAccept));
  ASSERT_TRUE(app.Click(ctl::rbAccept));
  EXPECT_TRUE(app.Enabled(ctl::btWeiter));
  ASSERT_TRUE(app.Click(ctl::rbNoAccept));
  EXPECT_FALSE(app.Enabled(ctl::btWeiter));
  ASSERT_TRUE(app.Click(ctl::rbAccept));

  ASSERT_TRUE(app.Click(ctl::btWeiter));
  ExpectStep(app, {L"Hinweise", ctl::gbPage3, true, true, L"&Weiter"});
  ASSERT_TRUE(app.Click(ctl::btBack));
  ExpectStep(app, {L"Lizenzvereinbarung", ctl::gbPage2, true, true, L"&Weiter"});
  EXPECT_TRUE(app.Checked(ctl::rbAccept));
  ASSERT_TRUE(app.Click(ctl::btWeiter));

  // Next on the notes step passes through the installation-type step to the settings.
  ASSERT_TRUE(app.Click(ctl::btWeiter));
  ExpectStep(app, {L"Einstellungen", ctl::gbPage6, true, true, L"&Fertigstellen"});
  ASSERT_TRUE(app.Click(ctl::btBack));
  ExpectStep(app, {L"Hinweise", ctl::gbPage3, true, true, L"&Weiter"});
  ASSERT_TRUE(app.Click(ctl::btWeiter));
  ExpectStep(app, {L"Einstellungen", ctl::gbPage6, true, true, L"&Fertigstellen"});

  ASSERT_TRUE(app.Click(ctl::btWeiter));
  EXPECT_EQ(app.Text(ctl::laStepDisplay), L"Installationsfortschritt");
  EXPECT_TRUE(app.Visible(ctl::gbPage7));
  EXPECT_FALSE(app.Enabled(ctl::btBack));
}

// Closing on steps 1 to 5: "&Nein" and "&Abbrechen" keep the step and its inputs, "&Ja" ends.
TEST(WizardFlow, ClosingAsksAndKeepsTheStepUnlessConfirmed) {
  for (int step : {1, 2, 3, 5}) {
    SCOPED_TRACE(testing::Message() << "step " << step);
    Distribution dist(L"close");
    dist.writeFile(L"Ostrauwen_1-2.dat", kEmptyArchive);
    SetupApp app;
    ASSERT_TRUE(StartWizard(app, dist));
    WalkTo(app, step);
    const std::wstring title = app.Text(ctl::laStepDisplay);
    ASSERT_EQ(title, kStepTitles[step]);
    if (step == 2) ASSERT_TRUE(app.Click(ctl::rbAccept));

    for (int answer : {IDNO, IDCANCEL}) {
      // The Cancel button and the window's close box ask the same question.
      if (answer == IDNO)
        ASSERT_TRUE(app.PostClick(ctl::btAbbrechen));
      else
        ASSERT_TRUE(PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0));
      MessageBoxInfo box = app.WaitForMessageBox();
      ASSERT_TRUE(box);
      EXPECT_EQ(box.title, L"Bestätigen");
      EXPECT_EQ(box.text, L"Sind Sie sicher dass Sie das Setup abbrechen wollen ?");
      EXPECT_EQ(box.captionOf(IDYES), L"&Ja");
      EXPECT_EQ(box.captionOf(IDNO), L"&Nein");
      EXPECT_EQ(box.captionOf(IDCANCEL), L"&Abbrechen");
      ASSERT_TRUE(app.Press(box, answer));
      app.Sync();
      EXPECT_TRUE(app.Running());
      EXPECT_EQ(app.Text(ctl::laStepDisplay), title);
      if (step == 2) EXPECT_TRUE(app.Checked(ctl::rbAccept));
      if (step == 5) EXPECT_TRUE(app.Checked(ctl::cbSaveFiles));
    }
    ASSERT_TRUE(app.PostClick(ctl::btAbbrechen));
    MessageBoxInfo box = app.WaitForMessageBox();
    ASSERT_TRUE(box);
    ASSERT_TRUE(app.Press(box, IDYES));
    EXPECT_EQ(app.WaitForExit(), 0);
  }
}
