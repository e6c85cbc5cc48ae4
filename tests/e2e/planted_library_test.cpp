// Libraries planted beside Setup.exe under the names of system DLLs (the setup runs elevated
// from a download folder that users can write) are never loaded.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/SetupConfig.h"
#include "tests/e2e/Scenario.h"

namespace {
// Sets an environment variable for the programs this test starts, and restores it.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name(name) {
    wchar_t buffer[4096] = {};
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    had = n > 0 && n < 4096;
    if (had) old = buffer;
    SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedEnvironment() { SetEnvironmentVariableW(name, had ? old.c_str() : nullptr); }
  const std::wstring& previous() const { return old; }

 private:
  const wchar_t* name;
  bool had = false;
  std::wstring old;
};

std::string PlantedLibrary() {
  std::ifstream in(std::filesystem::path(WindowsPathOf(PLANTED_DLL)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
}  // namespace

TEST(PlantedLibraries, NoneIsLoadedFromTheSetupFolder) {
  const wchar_t* names[] = {L"Msftedit.dll", L"bcrypt.dll", L"comctl32.dll"};
  Distribution dist(L"planted");
  dist.writeFile(L"Ostrauwen_1-2.dat", FixtureArchive());
  const std::string planted = PlantedLibrary();
  ASSERT_FALSE(planted.empty());
  for (const wchar_t* name : names) dist.writeFile(name, planted);

  // Wine prefers its own copy of a system DLL wherever the program looks; Windows takes the
  // first file found, and the program's folder comes first for DLLs that are not known system
  // DLLs. The override makes Wine search like Windows for the delay-loaded ones.
  wchar_t overrides[4096] = {};
  GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 4096);
  ScopedEnvironment env(L"WINEDLLOVERRIDES", std::wstring(overrides) + L";bcrypt,comctl32=n,b");

  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist));
  WalkTo(app, wpSettings);  // the agreement view, the archive listing, the version line
  EXPECT_EQ(app.Text(ctl::laStepDisplay), L"Einstellungen");
  EXPECT_EQ(app.Text(ctl::stVersion), L"Version 1.0 (1.0.2.41)");
  CancelConfirmed(app);

  for (const wchar_t* name : names) {
    const std::wstring marker = dist.folder() + name + L".loaded";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(marker))) << std::filesystem::path(marker).string();
  }
}
