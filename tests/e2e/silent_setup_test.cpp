// The real Setup.exe with /SILENT: no window, the outcome as the exit code, the log in a file.
// Each run starts in a folder other than the distribution, so the data file is found beside
// Setup.exe and not in the current folder.
#include "tests/e2e/Installation.h"

#include <functional>

#include "support/ProductFacts.h"
#include "support/Utf8.h"
#include "wizard/SetupExitCode.h"

namespace {

// No host entry unless a case writes one.
void RemoveAllTraces() {
  RemoveProductTraces();
  HostEntry::RemoveAll();
}

void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

// A readable archive whose one empty entry claims 1 PiB in its directory (a ZIP64 size), more
// than any test drive has free.
std::string HugeArchive() {
  const std::string name = "huge.bin";
  std::string zip;
  Put32(zip, 0x04034b50);
  for (uint16_t v : {45, 0, 0, 0, 0x21}) Put16(zip, v);
  for (int i = 0; i < 3; ++i) Put32(zip, 0);
  Put16(zip, static_cast<uint16_t>(name.size()));
  Put16(zip, 0);
  zip += name;
  const uint32_t directory = static_cast<uint32_t>(zip.size());
  Put32(zip, 0x02014b50);
  for (uint16_t v : {45, 45, 0, 0, 0, 0x21}) Put16(zip, v);
  Put32(zip, 0);           // CRC
  Put32(zip, 0);           // compressed size
  Put32(zip, 0xFFFFFFFF);  // uncompressed size: in the ZIP64 field
  Put16(zip, static_cast<uint16_t>(name.size()));
  Put16(zip, 12);
  for (int i = 0; i < 3; ++i) Put16(zip, 0);
  Put32(zip, 0);
  Put32(zip, 0);  // local header offset
  zip += name;
  Put16(zip, 0x0001);
  Put16(zip, 8);
  Put32(zip, 0);
  Put32(zip, 0x40000);  // 2^50
  const uint32_t directorySize = static_cast<uint32_t>(zip.size()) - directory;
  Put32(zip, 0x06054b50);
  for (uint16_t v : {0, 0, 1, 1}) Put16(zip, v);
  Put32(zip, directorySize);
  Put32(zip, directory);
  Put16(zip, 0);
  return zip;
}

// One unattended run: a distribution with the archive (and the uninstaller), a target folder.
struct SilentRun {
  it::TestFolder root;
  std::wstring target;
  Distribution dist;

  SilentRun(const std::wstring& name, const std::string& archive, bool withUninstaller = true)
      : root(L"silent-" + name), target(root + L"Debug Ziel\\"), dist(L"silent-" + name) {
    RemoveAllTraces();
    if (!archive.empty()) dist.writeFile(L"Ostrauwen_1-2.dat", archive);
    if (withUninstaller) dist.writeFile(L"uninstall.exe", "MZ e2e uninstaller");
  }
  ~SilentRun() { RemoveAllTraces(); }
  std::wstring backup() const { return target + L"Uninstall_Drivona2 Ostrauwen V1.2\\"; }
  std::wstring log() const { return root + L"setup.log"; }

  long Run(const std::wstring& args) {
    SetupApp app;
    if (!app.Start(dist.setupExe(), args, root.path())) return -2;
    return app.WaitForExit(60s);
  }
  long RunInto(const std::wstring& extra = L"") {
    return Run(L"/SILENT /DIR=\"" + target + L"\" /LOG=\"" + log() + L"\"" + extra);
  }
  std::string LogText() const { return it::Exists(log()) ? it::ReadBytes(log()) : std::string(); }
};

}  // namespace

TEST(SilentSetup, InstallsIntoDirWithLogAndBackups) {
  SilentRun s(L"install", ArchiveBytes("full.zip"));
  it::WriteBytes(s.target + L"Vehicles\\bus.cfg", "alt");
  // The target path holds "Debug": it must not set the debug level.
  ASSERT_EQ(s.RunInto(), 0) << s.LogText();

  EXPECT_EQ(it::ReadBytes(s.target + L"maps\\Ostrauwen\\global.cfg"), "[Global]\r\nName=Ostrauwen\r\nVersion=1.2\r\n");
  EXPECT_EQ(it::ReadBytes(s.backup() + L"Vehicles\\bus.cfg"), "alt");
  EXPECT_EQ(it::ReadBytes(s.backup() + L"uninstall.exe"), "MZ e2e uninstaller");
  const auto journal = it::JournalLines(s.backup() + L"uninstall.dat");
  ASSERT_GT(journal.size(), 3u);
  EXPECT_EQ(journal[1], L"Quelle=" + s.dist.setupExe());
  EXPECT_EQ(journal.back(), L"DelRegKey;\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\");
  EXPECT_EQ(it::RegistryValue(it::kProductKey, L"InstallPath"), s.target);

  const std::string log = s.LogText();
  EXPECT_NE(log.find("[5] Setup Start [/SILENT]"), std::string::npos) << log;
  // UTF-8, whatever the debug level: the level-9 lines of the run are there.
  EXPECT_NE(log.find("[9] InstallAddon Ende [Installation erfolgreich fertig gestellt.]"), std::string::npos) << log;
  EXPECT_NE(log.find("Ziel: " + WideToUtf8(s.target)), std::string::npos) << log;
  EXPECT_NE(log.find("Setup Ende [0, installed]\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("Debuglevel switched"), std::string::npos) << log;

  // Again over the installation with /NOBACKUP: replaced, no second backup, journal replaced.
  it::WriteBytes(s.target + L"Vehicles\\bus.cfg", "neu");
  ASSERT_EQ(s.RunInto(L" /NOBACKUP"), 0) << s.LogText();
  EXPECT_EQ(it::ReadBytes(s.backup() + L"Vehicles\\bus.cfg"), "alt");
  const auto second = it::JournalLines(s.backup() + L"uninstall.dat");
  EXPECT_NE(std::find(second.begin(), second.end(), L"Delete;" + s.target + L"Vehicles\\bus.cfg"), second.end());
}

// The target proposed from the host's entry, a drive root given as /DIR.
TEST(SilentSetup, TargetFromHostEntryOrDriveRoot) {
  SilentRun s(L"host", ArchiveBytes("example.zip"));
  HostEntry host(KEY_WOW64_32KEY, s.target);
  ASSERT_EQ(s.Run(L"/silent"), 0);
  EXPECT_TRUE(it::Exists(s.target + L"maps\\Ostrauwen\\global.cfg"));
  RemoveProductTraces();

  // A drive root gets the product's folder, as in the target browser. No volume answers for Q:,
  // so its free space is unknown and nothing is installed.
  ASSERT_EQ(s.Run(L"/SILENT /DIR=Q:\\ /LOG=\"" + s.log() + L"\""), ToInt(SetupExitCode::TooLittleSpace));
  EXPECT_NE(s.LogText().find("Ziel: Q:\\Drivona2 Ostrauwen\\, Quelle: "), std::string::npos) << s.LogText();
}

// Every documented exit code from a real case; nothing is installed where the table says so.
TEST(SilentSetup, ExitCodes) {
  struct Case {
    const char* name;
    std::string archive;
    bool withUninstaller;
    std::function<void(SilentRun&)> prepare;
    std::wstring args;  // empty: /SILENT /DIR= /LOG=
    SetupExitCode code;
    bool installsNothing;
  };
  const std::wstring url = L"Quellmark Media Webseite besuchen.URL";
  HANDLE held = nullptr;
  const Case cases[] = {
      {"game not found", ArchiveBytes("example.zip"), true, nullptr, L"/SILENT", SetupExitCode::GameNotFound, true},
      {"data file missing", "", true, nullptr, L"", SetupExitCode::DataFileMissing, true},
      {"too little space", HugeArchive(), true, nullptr, L"", SetupExitCode::TooLittleSpace, true},
      {"extraction failed", ArchiveBytes("wrong-password.zip"), true, nullptr, L"", SetupExitCode::ExtractionFailed, false},
      {"stage failed", ArchiveBytes("example.zip"), false, nullptr, L"", SetupExitCode::StageFailed, false},
      {"already running", ArchiveBytes("example.zip"), true,
       [&](SilentRun&) { held = CreateMutexW(nullptr, TRUE, product::singleInstanceMutex); }, L"",
       SetupExitCode::AlreadyRunning, true},
      {"bad switch", ArchiveBytes("example.zip"), true, nullptr, L"/SILENT /DIR=Spiele", SetupExitCode::BadSwitches, true},
      {"unknown switch", ArchiveBytes("example.zip"), true, nullptr, L"/SILENT /FOO", SetupExitCode::BadSwitches, true},
      {"journal not saved", ArchiveBytes("example.zip"), true,
       [](SilentRun& s) { std::filesystem::create_directories(it::FsPath(s.backup() + L"uninstall.dat\\x")); }, L"",
       SetupExitCode::JournalNotSaved, false},
      {"raised error", ArchiveBytes("example.zip"), true,
       [&](SilentRun&) {
         std::filesystem::create_directories(it::FsPath(CommonProgramsMenu() + L"Drivona2 Ostrauwen\\" + url));
       },
       L"", SetupExitCode::RaisedError, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SilentRun s(L"code", c.archive, c.withUninstaller);
    if (c.prepare) c.prepare(s);
    const long code = c.args.empty() ? s.RunInto() : s.Run(c.args);
    if (held) {
      CloseHandle(held);
      held = nullptr;
    }
    EXPECT_EQ(code, ToInt(c.code)) << s.LogText();
    if (c.installsNothing) {
      EXPECT_FALSE(it::Exists(s.target));
      EXPECT_FALSE(it::RegistryValue(it::kUninstallKey, L"UninstallString"));
    }
    if (c.args.empty()) {
      EXPECT_NE(s.LogText().find("Setup Ende [" + std::to_string(ToInt(c.code)) + ", "), std::string::npos);
    }
  }
}

// Started with a token that lacks the backup and restore privileges, the setup ends with the
// code for missing administrator rights. The distribution holds no data file, so a platform
// that ignores the token shows as code 2 and the case is skipped there.
TEST(SilentSetup, WithoutAdministratorRights) {
  SilentRun s(L"rights", "");
  HANDLE token = nullptr, restricted = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token));
  LUID_AND_ATTRIBUTES remove[2] = {};
  LookupPrivilegeValueW(nullptr, L"SeBackupPrivilege", &remove[0].Luid);
  LookupPrivilegeValueW(nullptr, L"SeRestorePrivilege", &remove[1].Luid);
  const bool made = CreateRestrictedToken(token, 0, 0, nullptr, 2, remove, 0, nullptr, &restricted);
  CloseHandle(token);
  if (!made) GTEST_SKIP() << "no restricted token: " << GetLastError();
  std::wstring line = L"\"" + s.dist.setupExe() + L"\" /SILENT /DIR=\"" + s.target + L"\" /LOG=\"" + s.log() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessAsUserW(restricted, nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                            s.root.path().c_str(), &si, &pi);
  CloseHandle(restricted);
  ASSERT_TRUE(started) << GetLastError();
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (code == static_cast<DWORD>(ToInt(SetupExitCode::DataFileMissing))) GTEST_SKIP() << "the token was not used";
  EXPECT_EQ(code, static_cast<DWORD>(ToInt(SetupExitCode::NotElevated))) << s.LogText();
  EXPECT_NE(s.LogText().find("Keine ausreichende Rechte"), std::string::npos) << s.LogText();
}

// The round trip scripts rely on: a silent install into /DIR, then the uninstaller's /S from the
// backup folder, leaves the machine as it was before. Runs where the uninstaller is built.
#if __has_include("tests/e2e/MachineSnapshot.h") && defined(UNINSTALL_EXE_UNIX_PATH)
#include "tests/e2e/MachineSnapshot.h"

TEST(SilentSetup, RoundTripWithSilentUninstall) {
  SilentRun s(L"roundtrip", ArchiveBytes("full.zip"));
  s.dist.writeFile(L"uninstall.exe", it::ReadBytes(WindowsPathOf(UNINSTALL_EXE_UNIX_PATH)));
  it::WriteBytes(s.target + L"Vehicles\\bus.cfg", "the user's own bus");
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const MachineSnapshot before = MachineSnapshot::Take();

  ASSERT_EQ(s.Run(L"/SILENT /DIR=\"" + s.target + L"\" /LOG=\"" + s.log() + L"\""), 0) << s.LogText();
  SetupApp un;
  ASSERT_TRUE(un.Start(s.backup() + L"uninstall.exe", L"/S /LOG=\"" + s.log() + L"\"", temp));
  EXPECT_EQ(un.WaitForExit(60s), 0) << s.LogText();
  // The uninstaller's working copy in the temporary folder goes once it has ended.
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((std::wstring(temp) + L"Drivona2-Ostrauwen-uninstall-*.exe").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring copy = std::wstring(temp) + data.cFileName;
      EXPECT_TRUE(SetupApp::WaitFor([&] { return DeleteFileW(copy.c_str()) != FALSE; }, 30s));
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  EXPECT_EQ(it::ReadBytes(s.target + L"Vehicles\\bus.cfg"), "the user's own bus");
  std::vector<std::wstring> changes = before.DifferencesTo(MachineSnapshot::Take());
  // The log itself is the one new file.
  std::wstring logName = s.log();
  CharLowerBuffW(logName.data(), static_cast<DWORD>(logName.size()));
  std::erase(changes, L"+ file " + logName);
  std::string text;
  for (const std::wstring& c : changes) text += WideToUtf8(c) + "\n";
  EXPECT_TRUE(changes.empty()) << text;
  EXPECT_NE(s.LogText().find("uninstall Ende [0, "), std::string::npos) << s.LogText();
}
#endif
