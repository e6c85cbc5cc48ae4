// Only one setup (or uninstaller) of the product at a time: a second Setup.exe says so and ends.
#include "support/SetupConfig.h"
#include "tests/e2e/Scenario.h"

TEST(SingleInstance, SecondSetupSaysSoAndEnds) {
  Distribution dist(L"twice");
  dist.writeFile(L"Ostrauwen_1-2.dat", kEmptyArchive);
  SetupApp first;
  ASSERT_TRUE(StartWizard(first, dist));
  WalkTo(first, 2);

  SetupApp second;
  ASSERT_TRUE(second.Start(dist.setupExe(), L"", dist.folder()));
  MessageBoxInfo box = second.WaitForMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box.title, L"Addon Drivona2 Ostrauwen Version 1.2 - Setup");
  EXPECT_EQ(box.text, L"Ein Setup oder Uninstaller von Drivona2 Ostrauwen Version 1.2 läuft bereits.\n\rBitte "
                      L"warten Sie, bis er beendet ist.");
  EXPECT_EQ(box.captionOf(IDOK), L"OK");
  ASSERT_TRUE(second.Press(box, IDOK));
  EXPECT_EQ(second.WaitForExit(), 0);

  // The first goes on undisturbed; once it has ended, a setup starts again.
  EXPECT_EQ(first.Text(ctl::laStepDisplay), L"Lizenzvereinbarung");
  CancelConfirmed(first);

  SetupApp third;
  ASSERT_TRUE(StartWizard(third, dist));
  EXPECT_EQ(third.Text(ctl::laStepDisplay), L"Willkommen");
}
