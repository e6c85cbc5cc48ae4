// The shipped PE32 Setup.exe, end to end under Wine: its start-up texts and version line, then
// the example installation through its wizard, with the journal byte for byte, the registry
// values in the 32-bit view and the Start-menu links read back; then the shipped PE32
// uninstall.exe undoes it. In the win32 build the programs are this build's; a 64-bit build
// drives the win32 build's ones. SETUP_PE32_EXE and UNINSTALL_PE32_EXE (Unix paths) name other
// copies, for example one whose version record was removed.
#include <set>

#include "tests/ProgramExpectations.h"
#include "tests/e2e/HostEntry.h"
#include "tests/e2e/Scenario.h"
#include "tests/win32/InstallTestSupport.h"

namespace it = install_test;

namespace {

// The built program, or the copy the environment variable names.
std::wstring ShippedExe(const wchar_t* variable, std::string unixPath) {
  wchar_t given[4096] = {};
  const DWORD n = GetEnvironmentVariableW(variable, given, 4096);
  if (n > 0 && n < 4096) unixPath.assign(given, given + n);  // a Unix path: ASCII in practice
  return WindowsPathOf(unixPath);
}
std::wstring ShippedSetupExe() { return ShippedExe(L"SETUP_PE32_EXE", SETUP_PE32_UNIX_PATH); }
std::wstring ShippedUninstallExe() { return ShippedExe(L"UNINSTALL_PE32_EXE", UNINSTALL_PE32_UNIX_PATH); }

// The machine field of the file's PE header: 0x14C for a PE32 program of the x86.
unsigned MachineOf(const std::wstring& file) {
  const std::string bytes = it::ReadBytes(file);
  if (bytes.size() < 0x40 || bytes.compare(0, 2, "MZ") != 0) return 0;
  const auto byte = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[i])); };
  const size_t pe = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
  if (pe > bytes.size() - 6 || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
  return byte(pe + 4) | byte(pe + 5) << 8;
}

bool KeyExists(const wchar_t* key, REGSAM view) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | view, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

const std::wstring kTarget = L"C:\\Spiele\\Drivona 2\\";
const std::wstring kBackup = kTarget + L"Uninstall_Drivona2 Ostrauwen V1.2\\";
const std::wstring kPrograms = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
const std::wstring kPublisherMenu = kPrograms + L"Quellmark Media\\";
const std::wstring kMenu = kPublisherMenu + L"Drivona2 Ostrauwen\\";

// The product's traces in the prefix: none before and none after the scenario.
void RemoveProductTraces() {
  it::DeleteProductKeys();
  RemoveTree(kPublisherMenu);
  RemoveTree(L"C:\\Spiele\\");
}

struct CleanPrefix {
  CleanPrefix() { RemoveProductTraces(); }
  ~CleanPrefix() { RemoveProductTraces(); }
};

}  // namespace

TEST(ShippedSetup, StartUpTextsTheExampleInstallationAndItsUninstall) {
  const std::wstring program = ShippedSetupExe();
  ASSERT_EQ(MachineOf(program), 0x14Cu) << "not a PE32 program: " << std::string(program.begin(), program.end());
  const std::wstring uninstaller = ShippedUninstallExe();
  ASSERT_EQ(MachineOf(uninstaller), 0x14Cu) << "not a PE32 program: " << std::string(uninstaller.begin(), uninstaller.end());
  const std::string uninstallerBytes = it::ReadBytes(uninstaller);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for reading the links back
  CleanPrefix clean;
  // The example: maps\ is missing, Vehicles\bus.cfg exists, no publisher folder in the menu.
  it::WriteBytes(kTarget + L"Vehicles\\bus.cfg", "alt");
  HostEntry host(KEY_WOW64_32KEY, L"C:\\Spiele\\Drivona 2");
  Distribution dist(L"pe32", program);
  dist.writeFile(L"Ostrauwen_1-2.dat", it::ReadBytes(it::FixtureArchive("example.zip")));
  dist.writeFile(L"uninstall.exe", uninstallerBytes);

  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist)) << "Setup.exe did not show its window with a version line";
  EXPECT_EQ(app.WindowTitle(), L"Addon Drivona2 Ostrauwen Version 1.2 - Setup");
  EXPECT_EQ(app.Text(ctl::stIntro),
            L"\r\nMit &diesem Programm installieren Sie das Addon \"Drivona2 Ostrauwen Version 1.2\" für Drivona 2 - "
            L"Der Fahrgastsimulator");
  EXPECT_EQ(app.Text(ctl::stVersion), L"Version 1.0 (1.0.2.41)");

  WalkTo(app, wpSettings);
  ASSERT_EQ(app.Text(ctl::laStepDisplay), L"Einstellungen");
  ASSERT_EQ(app.Text(ctl::LeDestination), kTarget);
  ASSERT_TRUE(app.Checked(ctl::cbSaveFiles));
  ASSERT_TRUE(app.Click(ctl::btWeiter));  // returns when the run is over
  EXPECT_EQ(app.Text(ctl::laSetupRslt), L"Installation erfolgreich fertig gestellt.");

  const std::string expectedBytes = it::ExampleJournalBytes(
      dist.setupExe(), kTarget, kPrograms, kPe32Program.windowsText);
  EXPECT_EQ(it::ReadBytes(kBackup + L"uninstall.dat"), expectedBytes);

  EXPECT_EQ(it::ReadBytes(kTarget + L"maps\\Ostrauwen\\global.cfg"), "[Global]\r\nName=Ostrauwen\r\nVersion=1.2\r\n");
  EXPECT_EQ(it::ReadBytes(kTarget + L"Vehicles\\bus.cfg"), "[Bus]\r\nTyp=Gelenkbus\r\nT\xC3\xBCren=3\r\n");
  EXPECT_EQ(it::ReadBytes(kBackup + L"Vehicles\\bus.cfg"), "alt");
  EXPECT_TRUE(it::ReadBytes(kBackup + L"uninstall.exe") == uninstallerBytes);

  // The 32-bit program's keys land in the 32-bit view (WOW6432Node); the 64-bit view has none.
  EXPECT_EQ(it::RegistryValue(it::kProductKey, L"InstallPath"), kTarget);
  EXPECT_EQ(it::RegistryValue(it::kUninstallKey, L"DisplayName"), L"Drivona2 Ostrauwen Version 1.2");
  EXPECT_EQ(it::RegistryValue(it::kUninstallKey, L"UninstallString"), L"\"" + kBackup + L"uninstall.exe\"");
  EXPECT_EQ(it::RegistryValue(it::kUninstallKey, L"Publisher"), L"\u00A9 2015 Quellmark Media");
  EXPECT_FALSE(KeyExists(it::kProductKey, KEY_WOW64_64KEY));
  EXPECT_FALSE(KeyExists(it::kUninstallKey, KEY_WOW64_64KEY));

  std::set<std::wstring> entries;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(it::FsPath(kMenu), ec))
    entries.insert(e.path().filename().wstring());
  EXPECT_EQ(entries, (std::set<std::wstring>{L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk",
                                             L"Quellmark Media Webseite besuchen.URL",
                                             L"Verzeichnis mit Fahr- und Umlaufpläne öffnen.lnk"}));
  const it::LinkInfo uninstall = it::ReadLink(kMenu + L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk");
  ASSERT_TRUE(uninstall.loaded);
  EXPECT_EQ(uninstall.path, kBackup + L"Uninstall.exe");
  EXPECT_EQ(uninstall.workingFolder, kBackup);
  EXPECT_EQ(uninstall.arguments, L"");
  const it::LinkInfo folder = it::ReadLink(kMenu + L"Verzeichnis mit Fahr- und Umlaufpläne öffnen.lnk");
  ASSERT_TRUE(folder.loaded);
  EXPECT_EQ(folder.path, kTarget + L"Addons\\Ostrauwen\\");
  EXPECT_EQ(folder.workingFolder, kTarget + L"Addons\\Ostrauwen\\");
  EXPECT_EQ(it::ReadBytes(kMenu + L"Quellmark Media Webseite besuchen.URL"),
            "[InternetShortcut]\r\nURL=https://www.quellmark-media.de\r\n");

  ASSERT_TRUE(app.PostClick(ctl::btWeiter));  // "&Schließen"
  EXPECT_EQ(app.WaitForExit(), 0);

  // The uninstall round trip: the started program returns when the undoing is done; its working
  // copy in the temporary folder then removes the backup folder and registers itself for removal.
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  SetupApp un;
  ASSERT_TRUE(un.Start(kBackup + L"uninstall.exe", L"/S", temp));
  EXPECT_EQ(un.WaitForExit(120s), 0);
  EXPECT_TRUE(SetupApp::WaitFor([] { return !it::Exists(kBackup); }, 60s)) << "the backup folder stayed";
  EXPECT_EQ(it::ReadBytes(kTarget + L"Vehicles\\bus.cfg"), "alt");
  for (const wchar_t* installed : {L"maps\\", L"Addons\\"})
    EXPECT_FALSE(it::Exists(kTarget + installed)) << std::string(installed, installed + wcslen(installed));
  EXPECT_FALSE(KeyExists(it::kProductKey, KEY_WOW64_32KEY));
  EXPECT_FALSE(KeyExists(it::kUninstallKey, KEY_WOW64_32KEY));
  EXPECT_FALSE(it::Exists(kPublisherMenu));
}
