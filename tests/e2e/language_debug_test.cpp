// A language block appended to the program, and the DEBUG switch seen in the debugger output.
#include <fstream>

#include "support/Language.h"
#include "tests/e2e/Scenario.h"

TEST(LanguageBlock, TranslatesLoadedIdsAndKeepsDefaultsForTheOthers) {
  Distribution dist(L"language");
  std::string exe = dist.readFile(L"Setup.exe");
  ASSERT_FALSE(exe.empty());
  const std::vector<uint8_t> block = BuildLanguageBlock({L"0026=Welcome", L"0006=&Next"}, true);
  exe.append(block.begin(), block.end());
  dist.writeFile(L"Setup.exe", exe);

  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist));
  EXPECT_EQ(app.Text(ctl::laStepDisplay), L"Welcome");
  EXPECT_EQ(app.Text(ctl::btWeiter), L"&Next");
  EXPECT_EQ(app.Text(ctl::btBack), L"&Zurück");
  ASSERT_TRUE(app.Click(ctl::btWeiter));
  EXPECT_EQ(app.Text(ctl::laStepDisplay), L"Lizenzvereinbarung");
  EXPECT_EQ(app.WindowTitle(), L"Addon Drivona2 Ostrauwen Version 1.2 - Setup");
}

TEST(DebugSwitch, LevelNoticeReachesTheDebuggerOutput) {
  Distribution dist(L"debug");
  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist, L"DEBUG=4", true));
  bool found = SetupApp::WaitFor([&] {
    for (const std::wstring& line : app.DebugLines())
      if (line.find(L" [3] Debuglevel switched to : 4") != std::wstring::npos) return true;
    return false;
  });
  EXPECT_TRUE(found);
  // Missing texts are reported at level 7 as the window looks them up.
  bool missing = false;
  for (const std::wstring& line : app.DebugLines())
    if (line.find(L" [7] Missing String:    26 - Willkommen") != std::wstring::npos) missing = true;
  EXPECT_TRUE(missing);
  ASSERT_TRUE(app.PostClick(ctl::btAbbrechen));
  MessageBoxInfo box = app.WaitForMessageBox();
  ASSERT_TRUE(box);
  ASSERT_TRUE(app.Press(box, IDYES));
  EXPECT_EQ(app.WaitForExit(), 0);
}
