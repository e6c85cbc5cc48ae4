// Path normalisation and the product's area: no spelling of a path may lead outside it.
#include <gtest/gtest.h>

#include <map>

#include "JournalSamples.h"
#include "uninstaller/PathScope.h"

using namespace samples;

TEST(PathScope, Normalisation) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;  // nullptr: refused
  } cases[] = {
      {L"D:\\Spiele\\Drivona 2\\maps\\", L"d:\\spiele\\drivona 2\\maps"},
      {L"d:/Spiele//Drivona 2/./maps", L"d:\\spiele\\drivona 2\\maps"},
      {L"D:\\Spiele\\Drivona 2\\..\\..\\Windows\\win.ini", L"d:\\windows\\win.ini"},
      {L"D:\\Spiele\\Drivona 2. . \\maps...", L"d:\\spiele\\drivona 2\\maps"},
      {L"D:\\", L"d:\\"},
      {L"\\\\?\\D:\\Spiele\\x.cfg", L"d:\\spiele\\x.cfg"},
      {L"\\\\?\\UNC\\Server\\Share\\x", L"\\\\server\\share\\x"},
      {L"\\\\Server\\Share\\a\\..\\x", L"\\\\server\\share\\x"},
      {L"D:\\Spiele\\\u00C4RGER\\\u0158", L"d:\\spiele\\\u00E4rger\\\u0159"},
      {L"D:\\..\\x", nullptr},                    // above the root
      {L"\\\\Server\\Share\\..\\..\\x", nullptr},  // above the share
      {L"maps\\x.cfg", nullptr},                  // relative
      {L"D:x.cfg", nullptr},                      // drive-relative
      {L"\\Windows\\win.ini", nullptr},           // the current drive
      {L"D:\\a\\x.cfg:evil", nullptr},            // a stream
      {L"D:\\a\\x.cfg::$DATA", nullptr},
      {L"D:\\a\\CON", nullptr},
      {L"D:\\a\\nul.txt", nullptr},
      {L"D:\\a\\com1 .cfg", nullptr},
      {L"D:\\a\\LPT9\\x", nullptr},
      {L"D:\\a\\*.cfg", nullptr},
      {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\x", nullptr},
      {L"\\\\.\\C:\\x", nullptr},
      {L"\\\\.\\PhysicalDrive0", nullptr},
      {L"\\??\\C:\\x", L"c:\\x"},
      {L"\\\\?\\D:\\a\\..\\x", nullptr},  // taken literally there: not what it looks like
      {L"\\\\?\\D:\\a.\\x", nullptr},
      {L"\\\\Server", nullptr},
      {L"", nullptr},
      {L"D:\\a\\...\\x", nullptr},
  };
  for (const auto& c : cases) {
    const auto normal = NormalizePath(c.in);
    if (!c.out) {
      EXPECT_FALSE(normal) << c.in;
    } else {
      ASSERT_TRUE(normal) << c.in;
      EXPECT_EQ(normal->path, c.out) << c.in;
    }
  }
  EXPECT_TRUE(NormalizePath(L"D:\\a\\")->isFolder);
  EXPECT_FALSE(NormalizePath(L"D:\\a")->isFolder);
  EXPECT_FALSE(NormalizePath(std::wstring(L"D:\\a\0b", 6)));
}

TEST(PathScope, ShortNamesThroughTheResolver) {
  const std::map<std::wstring, std::wstring> longNames = {
      {L"d:\\spiele\\drivon~1", L"D:\\Spiele\\Drivona 2"},
      {L"d:\\spiele\\drivon~2", L"D:\\Spiele\\Drivona 2 Kopie"},
  };
  const ShortNameResolver resolver = [&](const std::wstring& p) -> std::optional<std::wstring> {
    const auto it = longNames.find(p);
    return it == longNames.end() ? std::nullopt : std::optional<std::wstring>(it->second);
  };
  // The file does not exist: its folder resolves, the name below stays.
  EXPECT_EQ(NormalizePath(L"D:\\SPIELE\\DRIVON~1\\maps\\neu.cfg", resolver)->path, L"d:\\spiele\\drivona 2\\maps\\neu.cfg");
  const ScopeInputs in{kBackup, kBackup, L"", kPrograms, resolver};
  const auto scope = MakeProductScope(in);
  ASSERT_TRUE(scope);
  EXPECT_EQ(PlacePath(*scope, L"D:\\SPIELE\\DRIVON~1\\x.cfg", resolver)->area, PathArea::Target);
  EXPECT_EQ(PlacePath(*scope, L"D:\\SPIELE\\DRIVON~2\\x.cfg", resolver)->area, PathArea::Outside);
}

TEST(PathScope, TheAllowedAreaComesFromOutsideTheJournal) {
  const std::wstring quoted = L"\"" + kBackup + L"uninstall.exe\"";
  const struct {
    const char* what;
    ScopeInputs in;
    bool accepted;
  } cases[] = {
      {"found in its own backup folder", {kBackup, kBackup, L"", kPrograms, {}}, true},
      {"spelled differently", {L"d:/spiele/DRIVONA 2/uninstall_drivona2 ostrauwen v1.2", kBackup, L"", kPrograms, {}}, true},
      {"uninstall entry, quoted", {kBackup, kBackup, quoted, kPrograms, {}}, true},
      {"uninstall entry, unquoted", {kBackup, kBackup, kBackup + L"uninstall.exe", kPrograms, {}}, true},
      {"foreign Destination=", {kBackup, L"C:\\Windows\\Uninstall_Drivona2 Ostrauwen V1.2\\", L"", kPrograms, {}}, false},
      {"journal elsewhere", {L"E:\\Ostrauwen\\", L"E:\\Ostrauwen\\", L"", kPrograms, {}}, false},
      {"other folder name", {L"D:\\Spiele\\Uninstall\\", L"D:\\Spiele\\Uninstall\\", L"", kPrograms, {}}, false},
      {"target would be a drive", {L"C:\\Uninstall_Drivona2 Ostrauwen V1.2\\", L"C:\\Uninstall_Drivona2 Ostrauwen V1.2\\", L"", kPrograms, {}}, false},
      {"entry names another folder", {kBackup, kBackup, L"\"E:\\Other\\Uninstall_Drivona2 Ostrauwen V1.2\\uninstall.exe\"", kPrograms, {}}, false},
      {"Destination= climbs", {kBackup, kTarget + L"maps\\..\\..\\Uninstall_Drivona2 Ostrauwen V1.2\\", L"", kPrograms, {}}, false},
  };
  for (const auto& c : cases) {
    std::wstring refusal;
    const auto scope = MakeProductScope(c.in, &refusal);
    EXPECT_EQ(scope.has_value(), c.accepted) << c.what;
    EXPECT_EQ(refusal.empty(), c.accepted) << c.what;
  }
}

TEST(PathScope, Areas) {
  const auto scope = MakeProductScope({kBackup, kBackup, L"", kPrograms, {}});
  ASSERT_TRUE(scope);
  const struct {
    std::wstring path;
    PathArea area;
  } cases[] = {
      {kTarget + L"maps\\x.cfg", PathArea::Target},
      {kTarget, PathArea::Target},
      {kBackup + L"Vehicles\\bus.cfg", PathArea::Backup},
      {kMenu + L"x.lnk", PathArea::StartMenu},
      {kPrograms + L"Quellmark Media\\", PathArea::AboveMenu},
      {L"D:\\Spiele\\", PathArea::AboveTarget},
      {L"D:\\", PathArea::Outside},
      {kPrograms, PathArea::Outside},
      {kPrograms + L"Other\\x.lnk", PathArea::Outside},
      {kPrograms + L"Quellmark Media\\Other Game\\x.lnk", PathArea::Outside},
      {kTarget + L"..\\..\\Windows\\win.ini", PathArea::Outside},
      {L"D:\\Spiele\\Drivona 2 Kopie\\x", PathArea::Outside},
      {kTarget + L"maps\\..\\..\\Drivona 2\\x", PathArea::Target},
  };
  for (const auto& c : cases) {
    const auto placed = PlacePath(*scope, c.path);
    ASSERT_TRUE(placed) << c.path;
    EXPECT_EQ(placed->area, c.area) << c.path;
  }
  EXPECT_FALSE(AreaAllowsFile(PathArea::AboveTarget));
  EXPECT_TRUE(AreaAllowsFolder(PathArea::AboveTarget));
}

TEST(PathScope, RegistryKeysAndOwnership) {
  const auto scope = MakeProductScope({kBackup, kBackup, L"", kPrograms, {}});
  ASSERT_TRUE(scope);
  const struct {
    const wchar_t* key;
    KeyArea area;
  } cases[] = {
      {L"\\SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Uninstall_Drivona2 Ostrauwen V1.2\\", KeyArea::UninstallEntry},
      {L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\", KeyArea::ProductKey},
      {L"\\software\\quellmark media\\drivona2 ostrauwen", KeyArea::ProductKey},
      {L"\\SOFTWARE\\Quellmark Media\\", KeyArea::PublisherKey},
      {L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\", KeyArea::Outside},
      {L"\\SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\", KeyArea::Outside},
      {L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\..\\..\\Classes\\", KeyArea::Outside},
      {L"", KeyArea::Outside},
  };
  for (const auto& c : cases) EXPECT_EQ(PlaceKey(*scope, c.key), c.area) << c.key;

  const std::wstring uninstaller = kBackup + L"uninstall.exe";
  EXPECT_TRUE(UninstallStringNames(L"\"" + uninstaller + L"\"", uninstaller));
  EXPECT_TRUE(UninstallStringNames(uninstaller, uninstaller));
  EXPECT_TRUE(UninstallStringNames(L"\"" + uninstaller + L"\" /S", uninstaller));
  EXPECT_FALSE(UninstallStringNames(L"\"E:\\Zweit\\Uninstall_Drivona2 Ostrauwen V1.2\\uninstall.exe\"", uninstaller));
  EXPECT_FALSE(UninstallStringNames(L"\"" + uninstaller, uninstaller));
  EXPECT_TRUE(InstallPathNames(kTarget, L"d:\\spiele\\drivona 2"));
  EXPECT_FALSE(InstallPathNames(L"E:\\Zweit\\", kTarget));
}
