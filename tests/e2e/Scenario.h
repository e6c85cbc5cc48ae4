// Shared steps of the end-to-end scenarios.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/driver/Distribution.h"
#include "tests/driver/Driver.h"
#include "wizard/ControlIds.h"

// The Info-ZIP test archive (made at build time), to lie beside Setup.exe as its data file.
inline std::string FixtureArchive(const char* name = "infozip.zip") {
  std::ifstream in(std::filesystem::path(WindowsPathOf(std::string(ZIP_FIXTURE_DIR) + "/" + name)),
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A valid archive without entries: only the end-of-directory record.
inline const std::string kEmptyArchive("PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22);

// Starts Setup.exe from the distribution and waits until its first activation has run (the
// version line is filled then).
inline bool StartWizard(SetupApp& app, const Distribution& dist, const std::wstring& args = L"",
                        bool debugOutput = false) {
  if (!app.Start(dist.setupExe(), args, dist.folder(), debugOutput)) return false;
  if (!app.WaitForMainWindow()) return false;
  return SetupApp::WaitFor([&] {
    const std::wstring v = app.Text(ctl::stVersion);
    return !v.empty() && v.find(L"%s") == std::wstring::npos;
  });
}

// Walks forward from the welcome step to the given step (accepting the agreement on the way).
inline void WalkTo(SetupApp& app, int step) {
  for (int page = 1; page < step; ++page) {
    if (page == 2) ASSERT_TRUE(app.Click(ctl::rbAccept));
    ASSERT_TRUE(app.Click(ctl::btWeiter));
    if (page == 3) ++page;  // the pass-through step
  }
}

// Cancel answered "&Ja": the program ends with exit code 0.
inline void CancelConfirmed(SetupApp& app) {
  ASSERT_TRUE(app.PostClick(ctl::btAbbrechen));
  MessageBoxInfo box = app.WaitForMessageBox();
  ASSERT_TRUE(box);
  ASSERT_TRUE(app.Press(box, IDYES));
  EXPECT_EQ(app.WaitForExit(), 0);
}

inline constexpr const wchar_t* kStepTitles[] = {L"", L"Willkommen", L"Lizenzvereinbarung", L"Hinweise",
                                                 L"Installationsart", L"Einstellungen",
                                                 L"Installationsfortschritt"};
