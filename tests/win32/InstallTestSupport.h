// Shared pieces of the install engine's Wine tests: a test window for the run, unique folders,
// the product's configuration and registry keys, file and link helpers.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "install/InstallHost.h"
#include "install/InstallRequest.h"
#include "install/JournalFile_win.h"
#include "install/MyCreateShortCut.h"
#include "install/ZipMaster.h"
#include "platform/ComPtr.h"
#include "support/SetupConfig.h"
#include "tests/WindowsPath.h"

namespace install_test {

// What the run did to its window, in order.
class TestHost : public InstallHost {
 public:
  std::function<void(TestHost&)> onPump;  // runs at every pump, e.g. to cancel

  std::vector<std::wstring> labels, texts, messages;
  std::vector<int> positions;
  int pumps = 0;
  TZipMaster zip;

  void setProgressLabel(const std::wstring& text) override { labels.push_back(text); }
  void setProgressText(const std::wstring& text) override { texts.push_back(text); }
  void setProgressPosition(int percent) override { positions.push_back(percent); }
  bool cancelRequested() override { return SetupConfig.cancelRequested; }
  void pumpMessages() override {
    ++pumps;
    if (onPump) onPump(*this);
  }
  TZipMaster& archive() override { return zip; }
  void showMessage(const std::wstring& text) override { messages.push_back(text); }

  // Forgets what an earlier run did, for a second run through the same window.
  void ClearRecords() {
    labels.clear();
    texts.clear();
    messages.clear();
    positions.clear();
    pumps = 0;
  }
};

// The outcome of a run as the wizard shows it.
enum class Outcome { Success, Failure, NotShown };
inline Outcome OutcomeOf(const InstallResult& result) {
  if (!result.finished) return Outcome::NotShown;
  return result.success ? Outcome::Success : Outcome::Failure;
}

inline std::filesystem::path FsPath(const std::wstring& path) { return std::filesystem::path(path); }

inline bool Exists(const std::wstring& path) {
  std::error_code ec;
  return std::filesystem::exists(FsPath(path), ec);
}

inline std::string ReadBytes(const std::wstring& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::wstring& path, const std::string& bytes) {
  std::filesystem::create_directories(FsPath(path).parent_path());
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The lines of a saved journal, read as code page 1252 (Latin-1 suffices for these tests).
inline std::vector<std::wstring> JournalLines(const std::wstring& file) {
  std::vector<std::wstring> lines;
  std::wstring line;
  const std::string bytes = ReadBytes(file);
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      lines.push_back(line);
      line.clear();
      ++i;
    } else {
      line += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
    }
  }
  return lines;
}

// Code page 1252 bytes of a text made of Latin-1 characters.
inline std::string Latin1(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) {
    EXPECT_LT(static_cast<unsigned>(c), 0x100u) << "test text outside Latin-1";
    bytes += static_cast<char>(c);
  }
  return bytes;
}

// The saved journal of the example installation: the archive example.zip, the folder "maps"
// missing in the target and its Vehicles\bus.cfg backed up, none of the documents, no publisher
// folder below the Start-menu Programs folder yet. All folders end with "\".
inline std::string ExampleJournalBytes(const std::wstring& setupExe, const std::wstring& target,
                                       const std::wstring& programs, const std::wstring& windowsText) {
  const std::wstring b = target + L"Uninstall_Drivona2 Ostrauwen V1.2\\", t = target;
  const std::wstring m = programs + L"Quellmark Media\\Drivona2 Ostrauwen\\";
  const std::wstring u = L"\\SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Uninstall_Drivona2 Ostrauwen V1.2\\";
  const std::wstring lines[] = {
      L"Program=Drivona2 Ostrauwen Version 1.2 [Version=1.0.2.41,  Windows=" + windowsText + L"]",
      L"Quelle=" + setupExe,
      L"Destination=" + b,
      L"rmDir;" + b,
      L"rmDir;" + t + L"maps\\",
      L"rmDir;" + t + L"maps\\Ostrauwen\\",
      L"Delete;" + t + L"maps\\Ostrauwen\\global.cfg",
      L"Move;" + t + L"Vehicles\\bus.cfg;" + b + L"Vehicles\\bus.cfg",
      L"RenDel;" + b + L"uninstall.exe",
      L"DelRegValue;" + u + L"DisplayName",
      L"DelRegValue;" + u + L"UninstallString",
      L"DelRegValue;" + u + L"Publisher",
      L"DelRegKey;" + u,
      L"rmDir;" + programs + L"Quellmark Media\\",
      L"rmDir;" + m,
      L"Delete;" + m + L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk",
      L"Delete;" + m + L"Quellmark Media Webseite besuchen.URL",
      L"CreateError;2;" + t + L"Ostrauwen-Handbuch.pdf",
      L"CreateError;2;" + t + L"Ostrauwen_Liniennetzplan_Tag.pdf",
      L"CreateError;2;" + t + L"Ostrauwen_Liniennetzplan_Nacht.pdf",
      L"Delete;" + m + L"Verzeichnis mit Fahr- und Umlaufpläne öffnen.lnk",
      L"DelRegValue;\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\InstallPath",
      L"DelRegKey;\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\",
      L"DelRegKey;\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\",
  };
  std::string bytes;
  for (const std::wstring& line : lines) bytes += Latin1(line) + "\r\n";
  return bytes;
}

// A fresh, unique folder below the temporary folder, removed again at the end; ends with "\".
class TestFolder {
 public:
  explicit TestFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    dir = std::wstring(temp) + L"install-" + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    std::error_code ec;
    std::filesystem::remove_all(FsPath(dir), ec);
    std::filesystem::create_directories(FsPath(dir));
  }
  ~TestFolder() {
    std::error_code ec;
    std::filesystem::remove_all(FsPath(dir), ec);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;
  const std::wstring& path() const { return dir; }
  std::wstring operator+(const std::wstring& rest) const { return dir + rest; }

 private:
  std::wstring dir;
};

inline std::wstring operator+(const std::wstring& text, const TestFolder& folder) { return text + folder.path(); }
inline std::wstring operator+(const wchar_t* text, const TestFolder& folder) { return text + folder.path(); }

// A test archive made at build time (tests/fixtures/make-install-fixtures.sh).
inline std::wstring FixtureArchive(const std::string& name) {
  return WindowsPathOf(std::string(INSTALL_FIXTURE_DIR) + "/" + name);
}

// The product's registry keys in both views: removed before and after each test.
inline void DeleteProductKeys() {
  for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
      RegDeleteTreeW(key, L"Quellmark Media");
      RegDeleteTreeW(key, L"Microsoft\\Windows\\CurrentVersion\\Uninstall\\Uninstall_Drivona2 Ostrauwen V1.2");
      RegCloseKey(key);
    }
  }
}

// A test of the install run: it starts and ends without the product's registry keys and with
// the real journal writer, under the ANSI code page the expected journal bytes are written in.
class InstallRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 1252u) << "the harness pins the ANSI code page";
    DeleteProductKeys();
  }
  void TearDown() override {
    DeleteProductKeys();
    JournalWriteFile = WriteFile;
  }
};

// A string value of HKLM in the 32-bit view; nullopt-like empty optional when missing.
inline std::optional<std::wstring> RegistryValue(const std::wstring& key, const std::wstring& name) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &handle) != ERROR_SUCCESS)
    return std::nullopt;
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  DWORD type = 0;
  const LONG rc = RegQueryValueExW(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(handle);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::wstring(buffer);
}

inline constexpr const wchar_t* kUninstallKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Uninstall_Drivona2 Ostrauwen V1.2";
inline constexpr const wchar_t* kProductKey = L"SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen";

// SetupConfig as the wizard leaves it when Next is pressed on the settings step, with the
// Start-menu folder given.
inline void PrepareConfig(const std::wstring& startMenuDir) {
  SetupConfig.productRegistryKey = product::registryKey;
  SetupConfig.uninstallDirName = product::uninstallDirName;
  SetupConfig.dataFileName = std::wstring(product::dataFileBaseName) + product::dataFileExtension;
  SetupConfig.startMenuSubPath = product::startMenuSubPath;
  SetupConfig.productName = product::name;
  SetupConfig.startMenuDir = startMenuDir;
  PrepareShortcutNames();
  SetupConfig.currentPage = wpProgress;
  SetupConfig.cancelRequested = false;
}

// What a shell link holds, read back through the shell's link object.
struct LinkInfo {
  bool loaded = false;
  std::wstring path, workingFolder, arguments, description;
};
inline LinkInfo ReadLink(const std::wstring& file) {
  LinkInfo info;
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void())))
    return info;
  ComPtr<IPersistFile> persist = link.As<IPersistFile>();
  if (!persist || FAILED(persist->Load(file.c_str(), STGM_READ))) return info;
  wchar_t buffer[MAX_PATH * 2] = {};
  link->GetPath(buffer, MAX_PATH * 2, nullptr, SLGP_RAWPATH);
  info.path = buffer;
  buffer[0] = 0;
  link->GetWorkingDirectory(buffer, MAX_PATH * 2);
  info.workingFolder = buffer;
  buffer[0] = 0;
  link->GetArguments(buffer, MAX_PATH * 2);
  info.arguments = buffer;
  buffer[0] = 0;
  link->GetDescription(buffer, MAX_PATH * 2);
  info.description = buffer;
  info.loaded = true;
  return info;
}

// COM as the wizard's thread has it: a single-threaded apartment from the start.
class ComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
};

}  // namespace install_test
