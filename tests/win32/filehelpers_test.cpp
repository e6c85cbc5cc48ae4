// The start-up probe and the shell's folder browser (pre-selection, OK and Cancel).
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/ProgramPath.h"
#include "support/FileHelpers.h"
#include "support/SetupConfig.h"

namespace {

TEST(InitSetupEnvironment, SourceDirIsTheProgramFolder) {
  SetupConfig.sourceDir.clear();
  SetupNumberFormat = {L' ', L'.'};
  EXPECT_TRUE(InitSetupEnvironment());
  const std::wstring program = ProgramFileName();
  ASSERT_FALSE(SetupConfig.sourceDir.empty());
  EXPECT_EQ(SetupConfig.sourceDir.back(), L'\\');
  EXPECT_EQ(program.rfind(SetupConfig.sourceDir, 0), 0u) << "not the folder of the program";
  EXPECT_EQ(program.find(L'\\', SetupConfig.sourceDir.size()), std::wstring::npos);
  EXPECT_EQ(FormatByteSize(0, 0, 1689255936), L"1,57 GiByte");
}

// Answers the folder browser from a second thread: waits for its dialog, then presses command.
class DialogAnswer {
 public:
  DialogAnswer(int command) : thread_([this, command, owner = GetCurrentThreadId()] { Run(owner, command); }) {}
  ~DialogAnswer() { thread_.join(); }
  bool Found() const { return found_; }

 private:
  void Run(DWORD owner, int command) {
    for (int i = 0; i < 200 && !found_; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      EnumThreadWindows(owner, FindDialog, reinterpret_cast<LPARAM>(this));
      if (dialog_) found_ = true;
    }
    if (!found_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let the pre-selection settle
    PostMessageW(dialog_, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
  }
  static BOOL CALLBACK FindDialog(HWND w, LPARAM self) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(w)) return TRUE;
    reinterpret_cast<DialogAnswer*>(self)->dialog_ = w;
    return FALSE;
  }
  HWND dialog_ = nullptr;
  std::atomic<bool> found_{false};
  std::thread thread_;
};

class FolderBrowser : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(FolderBrowser, OkReturnsThePreselectedFolderWithoutDelimiter) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
  std::wstring result;
  {
    DialogAnswer answer(IDOK);
    result = BrowseForFolder(nullptr, L"Ziel für (Test) suchen:", std::wstring(windows) + L"\\", true);
    EXPECT_TRUE(answer.Found());
  }
  EXPECT_EQ(SetupConfig.browseInitialPath, std::wstring(windows) + L"\\");
  EXPECT_EQ(CompareStringOrdinal(result.c_str(), -1, windows, -1, TRUE), CSTR_EQUAL) << result.size();
}

TEST_F(FolderBrowser, CancelReturnsEmptyText) {
  std::wstring result = L"unchanged";
  {
    DialogAnswer answer(IDCANCEL);
    result = BrowseForFolder(nullptr, L"Quelle suchen:", L"", false);
    EXPECT_TRUE(answer.Found());
  }
  EXPECT_EQ(result, L"");
  EXPECT_EQ(SetupConfig.browseInitialPath, L"");
}

}  // namespace
