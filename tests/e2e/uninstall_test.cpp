// Round trips through the real Setup.exe and the real uninstall.exe: the machine after the
// uninstall is compared with the machine before the install (files on C: outside windows\ and
// users\, the temporary folder, HKLM\Software in the 32-bit view).
#include "tests/e2e/HostEntry.h"
#include "tests/e2e/MachineSnapshot.h"
#include "tests/e2e/Scenario.h"
#include "tests/win32/InstallTestSupport.h"
#include "support/Language.h"
#include "uninstaller/ProgressWindow_win.h"

#include <shlobj.h>

#include <algorithm>

namespace it = install_test;

namespace {

constexpr const wchar_t* kTitle = L"Drivona2 Ostrauwen Version 1.2 entfernen";

std::string UninstallerBytes() { return it::ReadBytes(WindowsPathOf(UNINSTALL_EXE_UNIX_PATH)); }

std::wstring CommonProgramsMenu() {
  wchar_t programs[MAX_PATH + 1] = {};
  SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, TRUE);
  return std::wstring(programs) + L"\\Quellmark Media\\";
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  return temp;
}

std::string Narrow(const std::vector<std::wstring>& lines) {
  std::string out;
  for (const std::wstring& l : lines) {
    for (wchar_t c : l) out += c < 0x80 ? static_cast<char>(c) : '?';
    out += '\n';
  }
  return out;
}

// The working copy registers itself for removal at the next restart and ends soon after the
// started program: waits for its end, checks the registration and removes the file, so that
// the temporary folder compares equal. Returns how many copies it found.
int RemoveWorkingCopies() {
  const std::wstring temp = TempFolder();
  WIN32_FIND_DATAW data{};
  std::vector<std::wstring> copies;
  HANDLE find = FindFirstFileW((temp + L"Drivona2-Ostrauwen-uninstall-*.exe").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do copies.push_back(temp + data.cFileName);
    while (FindNextFileW(find, &data));
    FindClose(find);
  }
  for (const std::wstring& copy : copies) {
    EXPECT_TRUE(SetupApp::WaitFor([&] { return DeleteFileW(copy.c_str()) != FALSE; }, 30s)) << "still running";
    HKEY key = nullptr;
    std::wstring pending;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
      std::vector<wchar_t> buffer(1 << 20);
      DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
      if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(buffer.data()), &size) == ERROR_SUCCESS)
        pending.assign(buffer.data(), size / sizeof(wchar_t));
      RegCloseKey(key);
    }
    const std::wstring name = copy.substr(temp.size());
    EXPECT_NE(pending.find(name), std::wstring::npos) << "not registered for removal at the next restart";
  }
  return static_cast<int>(copies.size());
}

void RemoveProductTraces() {
  it::DeleteProductKeys();
  RemoveTree(CommonProgramsMenu());
}

struct RoundTrip {
  it::TestFolder root;
  std::wstring target;
  Distribution dist;
  HostEntry host;
  MachineSnapshot before;

  // The target is a folder of the test's own unless one is given.
  RoundTrip(const std::wstring& name, const char* archive, const std::wstring& givenTarget = L"")
      : root(L"un-" + name),
        target(givenTarget.empty() ? root + L"Drivona 2\\" : givenTarget),
        dist(L"un-" + name),
        host(KEY_WOW64_32KEY, target) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    RemoveProductTraces();
    RemoveWorkingCopies();
    it::WriteBytes(target + L"Vehicles\\bus.cfg", "the user's own bus");
    it::WriteBytes(target + L"maps\\Ostrauwen\\notes.txt", "the user's notes");
    dist.writeFile(L"Ostrauwen_1-2.dat", it::ReadBytes(it::FixtureArchive(archive)));
    dist.writeFile(L"uninstall.exe", UninstallerBytes());
    before = MachineSnapshot::Take();
  }
  ~RoundTrip() {
    RemoveWorkingCopies();
    RemoveProductTraces();
  }
  std::wstring backup() const { return target + L"Uninstall_Drivona2 Ostrauwen V1.2\\"; }

  // Walks the wizard to the settings step; the caller finishes the run.
  void OpenSettings(SetupApp& app, bool saveFiles = true) {
    ASSERT_TRUE(StartWizard(app, dist));
    WalkTo(app, wpSettings);
    ASSERT_EQ(app.Text(ctl::LeDestination), target);
    if (!saveFiles) ASSERT_TRUE(app.Click(ctl::cbSaveFiles));
  }
  void Install(bool saveFiles = true) {
    SetupApp app;
    OpenSettings(app, saveFiles);
    ASSERT_TRUE(app.Click(ctl::btWeiter));
    ASSERT_EQ(app.Text(ctl::laSetupRslt), L"Installation erfolgreich fertig gestellt.");
    ASSERT_TRUE(app.PostClick(ctl::btWeiter));
    ASSERT_EQ(app.WaitForExit(), 0);
  }

  // The machine's differences to the state before the install, after the working copy ended.
  std::vector<std::wstring> Changes() {
    RemoveWorkingCopies();
    return before.DifferencesTo(MachineSnapshot::Take());
  }
};

// The uninstaller without boxes: its exit code.
long RunSilently(const std::wstring& exe, const std::wstring& args = L"") {
  SetupApp un;
  if (!un.Start(exe, L"/S" + (args.empty() ? L"" : L" " + args), TempFolder())) return -2;
  return un.WaitForExit(60s);
}

// The uninstaller with its boxes: "&Ja" on the question, then the outcome box's text.
std::wstring RunInteractively(const std::wstring& exe, long& exitCode) {
  SetupApp un;
  if (!un.Start(exe, L"", TempFolder())) return L"not started";
  MessageBoxInfo question = un.WaitForMessageBox();
  if (!question) return L"no question";
  EXPECT_EQ(question.title, kTitle);
  EXPECT_EQ(question.captionOf(IDYES), L"&Ja");
  EXPECT_EQ(question.captionOf(IDNO), L"&Nein");
  SetupApp::Press(question, IDYES);
  MessageBoxInfo outcome = SetupApp::WaitForAnyMessageBox(kTitle, 60s);
  if (!outcome) return L"no outcome";
  EXPECT_EQ(outcome.captionOf(IDOK), L"OK");
  SetupApp::Press(outcome, IDOK);
  exitCode = un.WaitForExit(30s);
  return outcome.text;
}

TEST(Uninstall, InteractiveAfterInstallWithBackupsReturnsTheMachine) {
  RoundTrip s(L"interactive", "roundtrip.zip");
  s.Install();
  ASSERT_TRUE(it::Exists(s.target + L"Straßenbahn\\Übersicht.txt"));
  ASSERT_EQ(it::ReadBytes(s.backup() + L"Vehicles\\bus.cfg"), "the user's own bus");

  long code = -1;
  const std::wstring text = RunInteractively(s.backup() + L"uninstall.exe", code);
  EXPECT_EQ(text, L"Drivona2 Ostrauwen Version 1.2 wurde vollständig entfernt.");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(it::ReadBytes(s.target + L"Vehicles\\bus.cfg"), "the user's own bus");
  const auto changes = s.Changes();
  EXPECT_TRUE(changes.empty()) << Narrow(changes);
}

// Without backups the replaced user file is gone for good; a file the user added to a folder of
// the add-on keeps that folder. Nothing else differs.
TEST(Uninstall, SilentAfterInstallWithoutBackups) {
  RoundTrip s(L"silent", "roundtrip.zip");
  s.Install(false);
  it::WriteBytes(s.target + L"Addons\\Ostrauwen\\meins.txt", "added by the user");
  EXPECT_EQ(RunSilently(s.backup() + L"uninstall.exe"), 0);
  const auto changes = s.Changes();
  const std::wstring t = [&] {
    std::wstring lower = s.target;
    CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
  }();
  const std::vector<std::wstring> expected = {L"+ dir  " + t + L"addons\\", L"+ dir  " + t + L"addons\\ostrauwen\\",
                                              L"+ file " + t + L"addons\\ostrauwen\\meins.txt",
                                              L"- file " + t + L"vehicles\\bus.cfg"};
  std::vector<std::wstring> sorted = changes;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, expected) << Narrow(changes);
}

// A file of the add-on held open by another program (the game): "&Wiederholen" once it is
// closed finishes the job.
TEST(Uninstall, FileInUseIsRetried) {
  RoundTrip s(L"inuse", "roundtrip.zip");
  s.Install();
  HANDLE game = CreateFileW((s.target + L"maps\\Ostrauwen\\global.cfg").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(game, INVALID_HANDLE_VALUE);

  SetupApp un;
  ASSERT_TRUE(un.Start(s.backup() + L"uninstall.exe", L"", TempFolder()));
  MessageBoxInfo question = un.WaitForMessageBox();
  ASSERT_TRUE(question);
  SetupApp::Press(question, IDYES);
  EXPECT_TRUE(SetupApp::WaitForAnyWindow(kUninstallWindowClass, 20s));
  MessageBoxInfo inUse = SetupApp::WaitForAnyMessageBox(kTitle, 30s);
  ASSERT_TRUE(inUse);
  EXPECT_NE(inUse.text.find(L"global.cfg"), std::wstring::npos);
  EXPECT_EQ(inUse.captionOf(IDRETRY), L"&Wiederholen");
  EXPECT_EQ(inUse.captionOf(IDCANCEL), L"&Abbrechen");
  CloseHandle(game);
  SetupApp::Press(inUse, IDRETRY);
  MessageBoxInfo outcome = SetupApp::WaitForAnyMessageBox(kTitle, 60s);
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome.text, L"Drivona2 Ostrauwen Version 1.2 wurde vollständig entfernt.");
  SetupApp::Press(outcome, IDOK);
  EXPECT_EQ(un.WaitForExit(30s), 0);
  const auto changes = s.Changes();
  EXPECT_TRUE(changes.empty()) << Narrow(changes);
}

// A name that the ANSI code page cannot hold is undone through the journal's lossless copy.
TEST(Uninstall, NameOutsideTheCodePage) {
  RoundTrip s(L"codepage", "codepage.zip");
  s.Install();
  ASSERT_TRUE(it::Exists(s.target + L"maps\\Třebíč\\Náměstí.cfg"));
  if (!it::Exists(s.backup() + L"uninstall.dat.utf8")) GTEST_SKIP() << "this setup keeps no lossless journal";
  EXPECT_EQ(RunSilently(s.backup() + L"uninstall.exe"), 0);
  const auto changes = s.Changes();
  EXPECT_TRUE(changes.empty()) << Narrow(changes);
}

// "&Nein" on the question ends with nothing changed, not even a working copy.
TEST(Uninstall, DeclinedChangesNothing) {
  RoundTrip s(L"declined", "example.zip");
  s.Install();
  const MachineSnapshot installed = MachineSnapshot::Take();
  SetupApp un;
  ASSERT_TRUE(un.Start(s.backup() + L"uninstall.exe", L"", TempFolder()));
  MessageBoxInfo question = un.WaitForMessageBox();
  ASSERT_TRUE(question);
  SetupApp::Press(question, IDNO);
  EXPECT_EQ(un.WaitForExit(), 1);
  EXPECT_EQ(RemoveWorkingCopies(), 0);
  const auto changes = installed.DifferencesTo(MachineSnapshot::Take());
  EXPECT_TRUE(changes.empty()) << Narrow(changes);
}

// An installation that was cancelled during the extraction, and one that failed (the
// uninstaller beside Setup.exe could not be copied: held open), are undone by the
// distribution's uninstall.exe, which finds the journal at the target the setup proposes.
TEST(Uninstall, CancelledAndFailedRunsUndoneFromTheDistribution) {
  {
    SCOPED_TRACE("cancelled");
    RoundTrip s(L"cancelled", "many.zip");
    SetupApp app;
    s.OpenSettings(app);
    ASSERT_TRUE(app.PostClick(ctl::btWeiter));
    ASSERT_TRUE(SetupApp::WaitFor([&] { return app.Text(ctl::leFortschritt) == L"Kopiere Dateien ... "; }));
    ASSERT_TRUE(app.PostClick(ctl::btAbbrechen));
    MessageBoxInfo box = app.WaitForMessageBox();
    ASSERT_TRUE(box);
    ASSERT_TRUE(app.Press(box, IDYES));
    EXPECT_EQ(app.WaitForExit(60s), 0);
    ASSERT_FALSE(it::Exists(s.target + L"many\\f600.txt"));
    EXPECT_EQ(RunSilently(s.dist.folder() + L"uninstall.exe"), 0);
    const auto changes = s.Changes();
    EXPECT_TRUE(changes.empty()) << Narrow(changes);
  }
  {
    SCOPED_TRACE("failed");
    RoundTrip s(L"failed", "roundtrip.zip");
    HANDLE held = CreateFileW((s.dist.folder() + L"uninstall.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    SetupApp app;
    s.OpenSettings(app);
    ASSERT_TRUE(app.Click(ctl::btWeiter));
    EXPECT_EQ(app.Text(ctl::laSetupRslt), L"Fehler während der Installation.");
    ASSERT_TRUE(PostMessageW(app.MainWindow(), WM_CLOSE, 0, 0));
    EXPECT_EQ(app.WaitForExit(), 0);
    CloseHandle(held);
    EXPECT_EQ(RunSilently(s.dist.folder() + L"uninstall.exe"), 0);
    const auto changes = s.Changes();
    EXPECT_TRUE(changes.empty()) << Narrow(changes);
  }
}

// A run killed in the middle of the extraction leaves the lossless copy that says what it
// changed; the distribution's uninstall.exe undoes it, the incomplete new file included.
TEST(Uninstall, KilledRunUndoneFromTheDistribution) {
  RoundTrip s(L"killed", "large.zip");
  SetupApp app;
  s.OpenSettings(app);
  ASSERT_TRUE(app.PostClick(ctl::btWeiter));
  // Killed while the large entry (24 MiB) is being written under its own name.
  const std::filesystem::path terrain = it::FsPath(s.target + L"large\\terrain.bin");
  std::error_code ec;
  ASSERT_TRUE(SetupApp::WaitFor([&] { return std::filesystem::file_size(terrain, ec) > 0 && !ec; }, 60s));
  ASSERT_TRUE(app.Kill());
  ASSERT_LT(std::filesystem::file_size(terrain), 25165824u) << "the entry was complete before the kill";
  EXPECT_EQ(RunSilently(s.dist.folder() + L"uninstall.exe"), 0);
  const auto changes = s.Changes();
  EXPECT_TRUE(changes.empty()) << Narrow(changes);
}

// A second installation over the first, with backups both times: one uninstall returns to the
// state before the first (the user's file comes back, not the first installation's).
TEST(Uninstall, SecondInstallationOverTheFirst) {
  RoundTrip s(L"second", "roundtrip.zip");
  s.Install();
  s.Install();
  const std::wstring log = s.root + L"second.log";
  EXPECT_EQ(RunSilently(s.backup() + L"uninstall.exe", L"/LOG=\"" + log + L"\""), 0);
  RemoveWorkingCopies();  // the working copy writes the log until it ends
  SCOPED_TRACE(it::ReadBytes(log));
  DeleteFileW(log.c_str());
  EXPECT_EQ(it::ReadBytes(s.target + L"Vehicles\\bus.cfg"), "the user's own bus");
  const auto changes = s.Changes();
  EXPECT_TRUE(changes.empty()) << Narrow(changes);
}

// Installed into a second folder afterwards: uninstalling the first leaves the second one's
// uninstall entry, install path and Start-menu links alone.
TEST(Uninstall, SecondFolderKeepsItsEntry) {
  RoundTrip first(L"first-folder", "roundtrip.zip");
  first.Install();
  const std::wstring second = first.root + L"Zweiter Ordner\\";
  std::filesystem::create_directories(it::FsPath(second));
  {
    HostEntry moved(KEY_WOW64_32KEY, second);
    SetupApp app;
    ASSERT_TRUE(StartWizard(app, first.dist));
    WalkTo(app, wpSettings);
    ASSERT_EQ(app.Text(ctl::LeDestination), second);
    ASSERT_TRUE(app.Click(ctl::btWeiter));
    ASSERT_TRUE(app.PostClick(ctl::btWeiter));
    ASSERT_EQ(app.WaitForExit(), 0);
  }
  const std::wstring secondUninstaller = second + L"Uninstall_Drivona2 Ostrauwen V1.2\\uninstall.exe";
  const std::wstring log = first.root + L"first.log";
  const long code = RunSilently(first.backup() + L"uninstall.exe", L"/LOG=\"" + log + L"\"");
  RemoveWorkingCopies();
  SCOPED_TRACE(it::ReadBytes(log));
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(it::Exists(first.backup()));
  EXPECT_FALSE(it::Exists(first.target + L"maps\\Ostrauwen\\global.cfg"));
  EXPECT_EQ(it::RegistryValue(it::kUninstallKey, L"UninstallString"), L"\"" + secondUninstaller + L"\"");
  EXPECT_EQ(it::RegistryValue(it::kProductKey, L"InstallPath"), second);
  EXPECT_TRUE(it::Exists(CommonProgramsMenu() + L"Drivona2 Ostrauwen\\Drivona2 Ostrauwen Version 1.2 entfernen.lnk"));
  EXPECT_TRUE(it::Exists(second + L"maps\\Ostrauwen\\global.cfg"));
  RemoveTree(second);
}

// A journal edited by someone who may write the game's folder: records pointing outside the
// product, "..", foreign registry keys and a foreign "Destination=" change nothing outside the
// product, and the log names what was refused.
TEST(Uninstall, HostileJournalTouchesNothingOutside) {
  it::TestFolder root(L"un-hostile");
  const std::wstring target = root + L"Drivona 2\\";
  const std::wstring backup = target + L"Uninstall_Drivona2 Ostrauwen V1.2\\";
  const std::wstring victim = root + L"victim\\";
  RemoveProductTraces();
  it::WriteBytes(victim + L"secret.txt", "must stay");
  it::WriteBytes(victim + L"other.txt", "must stay too");
  it::WriteBytes(target + L"addon.txt", "the add-on's file");
  it::WriteBytes(backup + L"uninstall.exe", UninstallerBytes());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Victim Corp", 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(key, L"Keep", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
  RegCloseKey(key);

  const auto journalOf = [&](const std::wstring& destination) {
    std::wstring text = L"Program=Drivona2 Ostrauwen Version 1.2 [Version=1.0.2.41,  Windows=Windows 7]\r\nQuelle=C:\\Setup.exe\r\n"
                        L"Destination=" + destination + L"\r\nrmDir;" + backup + L"\r\n";
    for (const std::wstring& record : std::vector<std::wstring>{L"Delete;" + victim + L"secret.txt", L"Delete;" + target + L"..\\victim\\other.txt", L"rmDir;" + victim,
          L"Move;" + victim + L"other.txt;" + backup + L"other.txt", L"Delete;" + target + L"addon.txt",
          std::wstring(L"DelRegValue;\\SOFTWARE\\Victim Corp\\Keep"), std::wstring(L"DelRegKey;\\SOFTWARE\\Victim Corp\\"),
          std::wstring(L"Delete;C:\\windows\\win.ini"), L"RenDel;" + backup + L"uninstall.exe"})
      text += record + L"\r\n";
    return std::string(text.begin(), text.end());  // ASCII paths
  };
  const std::wstring log = root + L"uninstall.log";

  // A foreign "Destination=": the whole journal is refused.
  it::WriteBytes(backup + L"uninstall.dat", journalOf(victim));
  EXPECT_EQ(RunSilently(backup + L"uninstall.exe"), 4);
  EXPECT_TRUE(it::Exists(target + L"addon.txt"));

  // The right one: only the add-on's file goes, each foreign record is named.
  it::WriteBytes(backup + L"uninstall.dat", journalOf(backup));
  EXPECT_EQ(RunSilently(backup + L"uninstall.exe", L"/LOG=\"" + log + L"\""), 10);
  RemoveWorkingCopies();
  EXPECT_FALSE(it::Exists(target + L"addon.txt"));
  EXPECT_EQ(it::ReadBytes(victim + L"secret.txt"), "must stay");
  EXPECT_EQ(it::ReadBytes(victim + L"other.txt"), "must stay too");
  EXPECT_TRUE(it::Exists(L"C:\\windows\\win.ini"));
  EXPECT_EQ(it::RegistryValue(L"SOFTWARE\\Victim Corp", L"Keep"), L"x");
  const std::string logText = it::ReadBytes(log);
  for (const char* named : {"victim\\secret.txt", "Victim Corp\\Keep", "win.ini"})
    EXPECT_NE(logText.find(named), std::string::npos) << named << " not named in the log";
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Victim Corp", KEY_WOW64_32KEY, 0);
}

// A journal whose path leads through a link below the target to a folder outside the product
// (planted from outside by the plant_links fixture, as Wine makes no junctions, and named in both
// journal files in place of the installed folder, as a link cannot be renamed from inside Wine):
// the file of the same name out there stays, and the outcome names the refusal.
TEST(Uninstall, LinkInsideTheTargetIsNotFollowed) {
  const std::wstring planted = WindowsPathOf(PLANTED_LINKS_DIR) + L"\\";
  const std::wstring outside = planted + L"outside\\Ostrauwen\\global.cfg";
  RoundTrip s(L"link", "roundtrip.zip", planted + L"un-target\\");
  ASSERT_TRUE(it::Exists(s.target + L"elsewhere")) << "made by the plant_links fixture";
  s.Install();
  ASSERT_TRUE(it::Exists(s.target + L"maps\\Ostrauwen\\global.cfg"));
  it::WriteBytes(outside, "not the add-on's");
  for (const wchar_t* journal : {L"uninstall.dat", L"uninstall.dat.utf8"}) {
    std::string text = it::ReadBytes(s.backup() + journal);
    const std::string from = "un-target\\maps\\Ostrauwen\\global.cfg", to = "un-target\\elsewhere\\Ostrauwen\\global.cfg";
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
      text.replace(at, from.size(), to);
    it::WriteBytes(s.backup() + journal, text);
  }

  const std::wstring log = s.root + L"uninstall.log";
  EXPECT_EQ(RunSilently(s.backup() + L"uninstall.exe", L"/LOG=\"" + log + L"\""), 2);
  EXPECT_EQ(it::ReadBytes(outside), "not the add-on's");
  const std::string logText = it::ReadBytes(log);
  SCOPED_TRACE(logText);
  EXPECT_NE(logText.find("reparse-point: " + std::string(planted.begin(), planted.end()) + "un-target\\elsewhere\\Ostrauwen\\global.cfg"),
            std::string::npos);
}

// A language block appended to a copy of uninstall.exe changes its texts.
TEST(Uninstall, LanguageBlockTranslatesTheQuestion) {
  it::TestFolder dir(L"un-language");
  const std::vector<std::wstring> lines = {L"1100=Remove %s", L"1101=Really remove it?"};
  const std::vector<uint8_t> block = BuildLanguageBlock(lines, true);
  it::WriteBytes(dir + L"uninstall.exe", UninstallerBytes() + std::string(block.begin(), block.end()));
  it::WriteBytes(dir + L"uninstall.dat", "");
  SetupApp un;
  ASSERT_TRUE(un.Start(dir + L"uninstall.exe", L"", dir.path()));
  MessageBoxInfo question = un.WaitForMessageBox();
  ASSERT_TRUE(question);
  EXPECT_EQ(question.title, L"Remove Drivona2 Ostrauwen Version 1.2");
  EXPECT_EQ(question.text, L"Really remove it?");
  SetupApp::Press(question, IDNO);
  EXPECT_EQ(un.WaitForExit(), 1);
}

}  // namespace
