// Registry helpers against the real registry, in a test-only key below HKLM\SOFTWARE in the
// 32-bit view (under the win64 prefix: SOFTWARE\WOW6432Node).
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "support/DebugLog.h"
#include "support/MyRegistryIO.h"
#include "support/Privilegien.h"
#include "support/SetupError.h"
#include "tests/LogCapture.h"

namespace {


constexpr const wchar_t* kTestKey = L"SetupRegistryTest";  // below SOFTWARE
const std::wstring kBase = std::wstring(L"\\SOFTWARE\\") + kTestKey;

void DeleteTestKey(REGSAM view) {
  HKEY software = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
    RegDeleteTreeW(software, kTestKey);
    RegCloseKey(software);
  }
}

// A value read straight from one registry view, bypassing the unit under test.
bool RawValue(REGSAM view, const std::wstring& path, const std::wstring& name, std::wstring* text) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
    return false;
  unique_hkey owner(key);
  wchar_t buffer[512] = {};
  DWORD size = sizeof buffer - sizeof(wchar_t);
  DWORD type = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return false;
  if (text) *text = buffer;
  return true;
}

void RawSet(const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.substr(1).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  unique_hkey owner(key);
  ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteTestKey(KEY_WOW64_32KEY);
    DeleteTestKey(KEY_WOW64_64KEY);
    logged.clear();
    LogProc = Capture;
  }
  void TearDown() override {
    LogProc = WriteDebugLog;
    DeleteTestKey(KEY_WOW64_32KEY);
    DeleteTestKey(KEY_WOW64_64KEY);
  }
};

TEST_F(Registry, WriteCreatesTheKeyInThe32BitViewAndReadsBack) {
  const std::wstring key = kBase + L"\\Neu\\Tief";
  ASSERT_TRUE(RegWriteString(key, L"InstallPath", L"C:\\Spiele\\Drivona 2\\"));
  EXPECT_EQ(RegReadString(key, L"InstallPath"), L"C:\\Spiele\\Drivona 2\\");
  ASSERT_TRUE(RegWriteString(key, L"InstallPath", L"D:\\Ü"));  // overwrites
  EXPECT_EQ(RegReadString(key, L"InstallPath"), L"D:\\Ü");
  ASSERT_TRUE(RegWriteString(key, L"", L"Standard"));  // the key's default value
  EXPECT_EQ(RegReadString(key, L""), L"Standard");

  // Below the redirection node, not in the 64-bit SOFTWARE key.
  std::wstring raw;
  EXPECT_TRUE(RawValue(KEY_WOW64_64KEY, L"SOFTWARE\\WOW6432Node\\" + std::wstring(kTestKey) + L"\\Neu\\Tief",
                       L"InstallPath", &raw));
  EXPECT_EQ(raw, L"D:\\Ü");
  EXPECT_FALSE(RawValue(KEY_WOW64_64KEY, key.substr(1) , L"InstallPath", nullptr));
  EXPECT_TRUE(logged.empty());
}

TEST_F(Registry, ReadOfMissingKeyOrValueIsEmpty) {
  EXPECT_EQ(RegReadString(kBase + L"\\Fehlt", L"InstallPath"), L"");
  ASSERT_TRUE(RegWriteString(kBase, L"Da", L"x"));
  EXPECT_EQ(RegReadString(kBase, L"Fehlt"), L"");
  // A key path without the leading delimiter is taken from the root key as well.
  EXPECT_EQ(RegReadString(kBase.substr(1), L"Da"), L"x");
}

TEST_F(Registry, ReadTypesAndData) {
  const std::wstring expand = L"%SystemRoot%\\System32";
  RawSet(kBase, L"Expand", REG_EXPAND_SZ, expand.c_str(), static_cast<DWORD>((expand.size() + 1) * 2));
  const wchar_t inner[] = L"vorn\0hinten";
  RawSet(kBase, L"Inner", REG_SZ, inner, sizeof inner);
  RawSet(kBase, L"NoZero", REG_SZ, L"abc", 6);  // no terminating zero
  RawSet(kBase, L"Empty", REG_SZ, L"", 0);
  RawSet(kBase, L"Odd", REG_SZ, L"ab", 3);  // an odd byte count drops the half character
  RawSet(kBase, L"EmptyBinary", REG_BINARY, "", 0);
  const DWORD number = 42;
  RawSet(kBase, L"Zahl", REG_DWORD, &number, sizeof number);

  EXPECT_EQ(RegReadString(kBase, L"Expand"), expand);  // not expanded
  EXPECT_EQ(RegReadString(kBase, L"Inner"), L"vorn");
  EXPECT_EQ(RegReadString(kBase, L"NoZero"), L"abc");
  EXPECT_EQ(RegReadString(kBase, L"Empty"), L"");
  EXPECT_EQ(RegReadString(kBase, L"Odd"), L"a");
  EXPECT_EQ(RegReadString(kBase, L"EmptyBinary"), L"");  // no data: empty before any type check
  try {
    RegReadString(kBase, L"Zahl");
    ADD_FAILURE() << "no error raised";
  } catch (const SetupError& e) {
    EXPECT_EQ(e.message(), L"Ungültiger Datentyp für 'Zahl'");
  }
}

TEST_F(Registry, WriteRefusedByTheKeyRaises) {
  ASSERT_TRUE(RegWriteString(kBase, L"Wert", L"alt"));
  RegistryKey registry = CreateRegistry(HKEY_LOCAL_MACHINE, kRegistryFullAccess32);
  ASSERT_TRUE(registry.OpenKeyReadOnly(kBase));
  EXPECT_EQ(registry.Access(), KEY_READ | KEY_WOW64_32KEY);
  try {
    registry.WriteString(L"Wert", L"neu");
    ADD_FAILURE() << "no error raised";
  } catch (const SetupError& e) {
    EXPECT_EQ(e.message(), L"Fehler beim Setzen der Daten für 'Wert'");
  }
  EXPECT_EQ(RegReadString(kBase, L"Wert"), L"alt");
}

TEST_F(Registry, WriteToAnUncreatableKeyIsFalse) {
  // Key names are limited to 255 characters.
  EXPECT_FALSE(RegWriteString(kBase + L"\\" + std::wstring(300, L'x'), L"Wert", L"x"));
}

TEST_F(Registry, OpenKeyPathsAbsoluteAndRelative) {
  RegistryKey registry;  // HKEY_CURRENT_USER until set
  EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(registry.OpenKey(kBase, true));
  EXPECT_EQ(registry.CurrentPath(), kBase.substr(1));
  ASSERT_TRUE(registry.OpenKey(L"Unter", true));  // relative to the current key
  EXPECT_EQ(registry.CurrentPath(), kBase.substr(1) + L"\\Unter");
  registry.WriteString(L"Ort", L"unten");
  EXPECT_EQ(RegReadString(kBase + L"\\Unter", L"Ort"), L"unten");
  EXPECT_FALSE(registry.OpenKey(L"Fehlt", false));  // failure keeps the current key
  EXPECT_EQ(registry.CurrentPath(), kBase.substr(1) + L"\\Unter");
  ASSERT_TRUE(registry.OpenKey(kBase, false));  // absolute again
  EXPECT_EQ(registry.CurrentPath(), kBase.substr(1));
  EXPECT_TRUE(registry.KeyExists(L"Unter"));
  EXPECT_FALSE(registry.KeyExists(L"Fehlt"));
  EXPECT_FALSE(registry.ValueExists(L"Ort"));  // it lies in Unter
  registry.SetRootKey(HKEY_LOCAL_MACHINE);  // closes the current key
  EXPECT_EQ(registry.CurrentKey(), nullptr);
  EXPECT_EQ(registry.CurrentPath(), L"");
  ASSERT_TRUE(registry.OpenKey(kBase.substr(1) + L"\\Unter", false));  // no current key: from the root
  EXPECT_EQ(registry.ReadString(L"Ort"), L"unten");
}

TEST_F(Registry, MultiStringsRoundTrip) {
  RegistryKey registry = CreateRegistry(HKEY_LOCAL_MACHINE, kRegistryFullAccess32);
  ASSERT_TRUE(registry.OpenKey(kBase, true));
  const std::vector<std::wstring> lines = {L"eins", L"zwei ä", L"drei"};
  ASSERT_TRUE(registry.WriteStrings(L"Liste", lines));
  std::vector<std::wstring> back = {L"alt"};
  EXPECT_TRUE(registry.ReadStrings(L"Liste", back));
  EXPECT_EQ(back, lines);

  ASSERT_TRUE(registry.WriteStrings(L"Leer", {}));
  EXPECT_TRUE(registry.ReadStrings(L"Leer", back));
  EXPECT_TRUE(back.empty());
  const wchar_t unterminated[] = {L'a', 0, L'b', L'c'};
  RawSet(kBase, L"Offen", REG_MULTI_SZ, unterminated, sizeof unterminated);
  EXPECT_TRUE(registry.ReadStrings(L"Offen", back));
  EXPECT_EQ(back, (std::vector<std::wstring>{L"a", L"bc"}));
  EXPECT_TRUE(logged.empty());

  registry.WriteString(L"Text", L"x");
  EXPECT_FALSE(registry.ReadStrings(L"Text", back));
  EXPECT_FALSE(registry.ReadStrings(L"Fehlt", back));
  EXPECT_TRUE(back.empty());
  EXPECT_EQ(logged, (std::vector<std::pair<int32_t, std::wstring>>{
                        {3, L"ReadStrings: REG_MULTI_SZ erwartet"},
                        {3, L"ReadStrings: Name nicht vorhanden oder Typ konnte nicht ermittelt werden"}}));
}

TEST_F(Registry, RootKeyNames) {
  EXPECT_EQ(RootKeyName(HKEY_CLASSES_ROOT), L"HKEY_CLASSES_ROOT");
  EXPECT_EQ(RootKeyName(HKEY_CURRENT_USER), L"HKEY_CURRENT_USER");
  EXPECT_EQ(RootKeyName(HKEY_LOCAL_MACHINE), L"HKEY_LOCAL_MACHINE");
  EXPECT_EQ(RootKeyName(HKEY_USERS), L"HKEY_USERS");
  EXPECT_EQ(RootKeyName(HKEY_PERFORMANCE_DATA), L"HKEY_PERFORMANCE_DATA");
  EXPECT_EQ(RootKeyName(HKEY_CURRENT_CONFIG), L"HKEY_CURRENT_CONFIG");
  EXPECT_EQ(RootKeyName(HKEY_DYN_DATA), L"HKEY_DYN_DATA");
  EXPECT_EQ(RootKeyName(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000007))), L"not defined");
  EXPECT_EQ(RootKeyName(nullptr), L"not defined");
}

TEST_F(Registry, UnloadOfAKeyNotLoadedLogsBothLines) {
  EXPECT_FALSE(UnLoadRegFile(HKEY_USERS, L"SetupTestNotLoaded"));
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0], std::make_pair(3, std::wstring(L"SetupTestNotLoaded not loaded")));
  EXPECT_EQ(logged[1], std::make_pair(3, std::wstring(L"Can't unload key: \"SetupTestNotLoaded\" (Error: 2)")));
}

TEST_F(Registry, LoadOfAMissingFileIsRefused) {
  EXPECT_FALSE(LoadRegFile(L"C:\\fehlt\\hive.dat", HKEY_USERS, L"SetupTestHive"));
  EXPECT_EQ(logged, (std::vector<std::pair<int32_t, std::wstring>>{
                        {3, L"LoadRegFile: File \"C:\\fehlt\\hive.dat\" not found"}}));
}

TEST_F(Registry, HiveLoadsAndUnloads) {
  ASSERT_EQ(GetNewPrivileges(3), 0u);  // backup and restore
  ASSERT_TRUE(RegWriteString(kBase + L"\\Hive", L"Wert", L"im Hive"));
  wchar_t folder[MAX_PATH + 1] = {};
  ASSERT_NE(GetTempPathW(MAX_PATH, folder), 0u);
  const std::wstring file = std::wstring(folder) + L"setup_registry_test.hiv";
  DeleteFileW(file.c_str());
  {
    RegistryKey source = CreateRegistry(HKEY_LOCAL_MACHINE, kRegistryFullAccess32);
    ASSERT_TRUE(source.OpenKey(kBase + L"\\Hive", false));
    ASSERT_EQ(RegSaveKeyW(source.CurrentKey(), file.c_str(), nullptr), ERROR_SUCCESS);
  }
  ASSERT_TRUE(LoadRegFile(file, HKEY_USERS, L"SetupTestHive"));
  RegistryKey loaded = CreateRegistry(HKEY_USERS, KEY_READ);
  ASSERT_TRUE(loaded.OpenKey(L"SetupTestHive", false));
  EXPECT_EQ(loaded.ReadString(L"Wert"), L"im Hive");
  loaded.CloseKey();
  EXPECT_TRUE(UnLoadRegFile(HKEY_USERS, L"SetupTestHive"));
  EXPECT_FALSE(CreateRegistry(HKEY_USERS, KEY_READ).KeyExists(L"SetupTestHive"));
  EXPECT_EQ(logged, (std::vector<std::pair<int32_t, std::wstring>>{
                        {9, L"\"" + file + L"\" loaded to \"HKEY_USERS\\SetupTestHive\""}}));
  DeleteFileW(file.c_str());
}

// Paths that end with one or two delimiters go to the platform unchanged; record where the
// values land so the callers' paths (the uninstall key, productRegistryKey) are known to work.
TEST_F(Registry, TrailingDelimitersNameTheKeyWithoutThem) {
  const std::wstring one = kBase + L"\\Eins\\";
  const std::wstring two = kBase + L"\\Zwei\\\\";
  ASSERT_TRUE(RegWriteString(one, L"Wert", L"1"));
  ASSERT_TRUE(RegWriteString(two, L"Wert", L"2"));
  EXPECT_EQ(RegReadString(one, L"Wert"), L"1");
  EXPECT_EQ(RegReadString(two, L"Wert"), L"2");
  std::wstring raw;
  EXPECT_TRUE(RawValue(KEY_WOW64_32KEY, kBase.substr(1) + L"\\Eins", L"Wert", &raw));
  EXPECT_EQ(raw, L"1");
  EXPECT_TRUE(RawValue(KEY_WOW64_32KEY, kBase.substr(1) + L"\\Zwei", L"Wert", &raw));
  EXPECT_EQ(raw, L"2");
  // Nothing was created below them (no key with an empty name).
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kBase.substr(1) + L"\\Zwei").c_str(), 0,
                          KEY_READ | KEY_WOW64_32KEY, &key),
            ERROR_SUCCESS);
  unique_hkey owner(key);
  DWORD subKeys = 99;
  ASSERT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 0u);
}

}  // namespace
