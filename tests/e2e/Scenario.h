// Shared steps of the end-to-end scenarios.
#pragma once
#include <gtest/gtest.h>

#include "tests/driver/Distribution.h"
#include "tests/driver/Driver.h"
#include "wizard/ControlIds.h"

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

inline constexpr const wchar_t* kStepTitles[] = {L"", L"Willkommen", L"Lizenzvereinbarung", L"Hinweise",
                                                 L"Installationsart", L"Einstellungen",
                                                 L"Installationsfortschritt"};
