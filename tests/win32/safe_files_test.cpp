// The uninstaller's file operations through handles, for real: what is deleted and renamed is
// the opened entry itself, a file open without sharing counts as in use, and a link or junction
// is seen as itself, never followed.
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>

#include "install/JournalRecords.h"
#include "tests/win32/InstallTestSupport.h"
#include "uninstaller/SafeFiles_win.h"

namespace it = install_test;

namespace {

// A junction (mount point) from link to target, as an unprivileged user could make one in a
// folder they may write. False where the platform cannot make one.
bool MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!CreateDirectoryW(link.c_str(), nullptr)) return false;
  unique_handle dir(CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!dir) return false;
  const std::wstring substitute = L"\\??\\" + target;
  std::vector<uint8_t> buffer(sizeof(DWORD) + 2 * sizeof(WORD) + 4 * sizeof(WORD) +
                              (substitute.size() + target.size() + 2) * sizeof(wchar_t));
  auto* words = reinterpret_cast<WORD*>(buffer.data());
  *reinterpret_cast<DWORD*>(buffer.data()) = IO_REPARSE_TAG_MOUNT_POINT;
  words[2] = static_cast<WORD>(buffer.size() - 8);                                  // data length
  words[4] = 0;                                                                      // substitute offset
  words[5] = static_cast<WORD>(substitute.size() * sizeof(wchar_t));                 // substitute length
  words[6] = static_cast<WORD>((substitute.size() + 1) * sizeof(wchar_t));           // print offset
  words[7] = static_cast<WORD>(target.size() * sizeof(wchar_t));                     // print length
  auto* names = reinterpret_cast<wchar_t*>(words + 8);
  std::copy(substitute.begin(), substitute.end(), names);
  std::copy(target.begin(), target.end(), names + substitute.size() + 1);
  DWORD returned = 0;
  return DeviceIoControl(dir.get(), FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                         0, &returned, nullptr) != FALSE;
}

TEST(SafeFiles, DeleteAndRenameThroughTheOpenedHandle) {
  it::TestFolder dir(L"safe-files");
  it::WriteBytes(dir + L"a\\file.txt", "installed");
  it::WriteBytes(dir + L"backup.txt", "original");

  OpenedEntry file = OpenEntry(dir + L"a\\file.txt");
  ASSERT_EQ(file.kind, EntryKind::File);
  EXPECT_EQ(file.size, 9u);
  EXPECT_TRUE(EqualsNoCase(file.finalPath, dir + L"a\\file.txt")) << std::string(file.finalPath.begin(), file.finalPath.end());

  OpenedEntry backup = OpenEntry(dir + L"backup.txt");
  file.handle.reset();  // a replaced file must not be open
  ASSERT_TRUE(RenameOpened(backup, dir + L"a\\file.txt", true)) << GetLastError();
  EXPECT_EQ(it::ReadBytes(dir + L"a\\file.txt"), "original");
  EXPECT_FALSE(it::Exists(dir + L"backup.txt"));

  OpenedEntry folder = OpenEntry(dir + L"a\\");
  ASSERT_EQ(folder.kind, EntryKind::Folder);
  EXPECT_FALSE(FolderEmpty(folder));
  EXPECT_FALSE(DeleteOpened(folder));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  folder.handle.reset();  // an entry marked for deletion goes when its last handle closes

  OpenedEntry again = OpenEntry(dir + L"a\\file.txt");
  ASSERT_TRUE(DeleteOpened(again));
  EXPECT_FALSE(it::Exists(dir + L"a\\file.txt"));
  OpenedEntry empty = OpenEntry(dir + L"a");
  EXPECT_TRUE(FolderEmpty(empty));
  EXPECT_TRUE(DeleteOpened(empty));
  EXPECT_FALSE(it::Exists(dir + L"a"));
  EXPECT_EQ(OpenEntry(dir + L"a\\file.txt").kind, EntryKind::Absent);
}

TEST(SafeFiles, FileOpenWithoutSharingIsInUse) {
  it::TestFolder dir(L"safe-files-use");
  it::WriteBytes(dir + L"game.dll", "busy");
  unique_handle game(CreateFileW((dir + L"game.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(game);
  EXPECT_EQ(OpenEntry(dir + L"game.dll").kind, EntryKind::InUse);
  game.reset();
  EXPECT_EQ(OpenEntry(dir + L"game.dll").kind, EntryKind::File);
}

// Whether this platform can make a junction or a symbolic link at all: under Wine 8 neither
// FSCTL_SET_REPARSE_POINT nor CreateSymbolicLinkW makes one, so the scenarios cannot plant a
// real one and check the final-path comparison with a folder of another name instead.
TEST(SafeFiles, LinksAreSeenAsThemselves) {
  it::TestFolder dir(L"safe-files-link");
  it::WriteBytes(dir + L"outside\\victim.txt", "keep me");
  // Each attempt counts only when the attributes show a reparse point: Wine's CreateSymbolicLinkW
  // reports success and makes nothing.
  const auto isLink = [&] {
    const DWORD attributes = GetFileAttributesW((dir + L"inside").c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  };
  bool made = MakeJunction(dir + L"inside", dir + L"outside") && isLink();
  if (!made) {
    RemoveDirectoryW((dir + L"inside").c_str());
    made = CreateSymbolicLinkW((dir + L"inside").c_str(), (dir + L"outside").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) &&
           isLink();
  }
  if (!made) GTEST_SKIP() << "this platform makes neither junctions nor symbolic links";
  EXPECT_EQ(OpenEntry(dir + L"inside").kind, EntryKind::ReparsePoint);
  OpenedEntry through = OpenEntry(dir + L"inside\\victim.txt");
  ASSERT_EQ(through.kind, EntryKind::File);
  EXPECT_TRUE(EqualsNoCase(through.finalPath, dir + L"outside\\victim.txt"));
}

TEST(SafeFiles, JournalFileReplacedWholeAndBounded) {
  it::TestFolder dir(L"safe-files-journal");
  it::WriteBytes(dir + L"uninstall.dat", "old");
  ASSERT_TRUE(WriteJournalFile(dir + L"uninstall.dat", "new bytes"));
  EXPECT_EQ(it::ReadBytes(dir + L"uninstall.dat"), "new bytes");
  EXPECT_FALSE(it::Exists(dir + L"uninstall.dat.tmp"));
  std::string bytes;
  EXPECT_EQ(ReadJournalFile(dir + L"uninstall.dat", 9, bytes), ReadResult::Read);
  EXPECT_EQ(bytes, "new bytes");
  EXPECT_EQ(ReadJournalFile(dir + L"uninstall.dat", 8, bytes), ReadResult::TooLarge);
  EXPECT_EQ(ReadJournalFile(dir + L"missing.dat", 8, bytes), ReadResult::Absent);
  EXPECT_NE(ReadJournalFile(dir.path(), 8, bytes), ReadResult::Read);
}

}  // namespace
