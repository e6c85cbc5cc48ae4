// One installation scenario on the real Setup.exe: a distribution with the data archive and
// uninstall.exe, a host entry pointing the target at a test folder, the product's traces in the
// prefix removed before and after.
#pragma once
#include "tests/e2e/HostEntry.h"
#include "tests/e2e/Scenario.h"
#include "tests/win32/InstallTestSupport.h"

#include <shlobj.h>

namespace it = install_test;

inline namespace installation {

inline std::wstring CommonProgramsMenu() {
  wchar_t programs[MAX_PATH + 1] = {};
  SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, TRUE);
  return std::wstring(programs) + L"\\Quellmark Media\\";
}

// The product's traces in the prefix, removed before and after each scenario.
inline void RemoveProductTraces() {
  it::DeleteProductKeys();
  RemoveTree(CommonProgramsMenu());
}

inline std::string ArchiveBytes(const char* name) { return it::ReadBytes(it::FixtureArchive(name)); }

// One scenario: a distribution with the archive and the uninstaller, a host entry naming the
// target folder, the wizard walked to the settings step.
struct Installation {
  it::TestFolder root;
  std::wstring target;
  Distribution dist;
  HostEntry host;
  SetupApp app;

  Installation(const std::wstring& name, const char* archive)
      : root(L"e2e-" + name), target(root + L"Drivona 2"), dist(name), host(KEY_WOW64_32KEY, target) {
    target += L"\\";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for reading the links back
    RemoveProductTraces();
    std::filesystem::create_directories(it::FsPath(target));
    dist.writeFile(L"Ostrauwen_1-2.dat", ArchiveBytes(archive));
    dist.writeFile(L"uninstall.exe", "MZ e2e uninstaller");
  }
  ~Installation() { RemoveProductTraces(); }
  std::wstring backup() const { return target + L"Uninstall_Drivona2 Ostrauwen V1.2\\"; }

  void OpenSettings(bool debugOutput = false) {
    ASSERT_TRUE(StartWizard(app, dist, L"", debugOutput));
    WalkTo(app, wpSettings);
    ASSERT_EQ(app.Text(ctl::laStepDisplay), L"Einstellungen");
    ASSERT_EQ(app.Text(ctl::LeDestination), target);
    ASSERT_EQ(app.Text(ctl::btWeiter), L"&Fertigstellen");
  }
};

}  // namespace installation
