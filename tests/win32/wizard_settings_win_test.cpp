// The settings step's folder browser and archive listing in a real wizard window, and the text
// of an error that is no SetupError.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "install/ZipMaster.h"
#include "support/ErrorText.h"
#include "support/SetupConfig.h"
#include "wizard/fSetupMain.h"

namespace {
struct DialogSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<DialogSearch*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  wchar_t cls[16] = {};
  GetClassNameW(w, cls, 16);
  if (owner == s->pid && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(w)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND FindDialogOf(DWORD pid) {
  DialogSearch s{pid, nullptr};
  EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

// A wizard window, shown, with another window of the program active above it: the browser must
// not take whatever window happens to be active as its owner. One window for all tests: the
// translation keeps the controls of the window it was registered with.
class SettingsWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    LoadLibraryW(L"Msftedit.dll");
    window = new TfmSetupMain;
    ASSERT_TRUE(window->Create(GetModuleHandleW(nullptr)));
    ShowWindow(window->handle(), SW_SHOW);
  }
  static void TearDownTestSuite() {
    DestroyWindow(window->handle());
    delete window;
    CoUninitialize();
  }
  void SetUp() override {
    other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    SetActiveWindow(other);
  }
  void TearDown() override { DestroyWindow(other); }

  // Clicks the target folder's browse button; a watcher notes the owner of the browser and
  // whether the wizard could be clicked under it, cancels it, then answers the boxes that follow.
  void BrowseAndCancel() {
    std::atomic<bool> done{false};
    std::thread watcher([&] {
      HWND box = nullptr;
      for (int i = 0; i < 500 && !box; ++i, Sleep(20)) box = FindDialogOf(GetCurrentProcessId());
      if (!box) return;
      Sleep(100);
      browserOwner = GetWindow(box, GW_OWNER);
      wizardEnabledUnderBrowser = IsWindowEnabled(window->handle());
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      while (IsWindow(box)) Sleep(20);
      while (!done) {
        if (HWND later = FindDialogOf(GetCurrentProcessId())) {
          ++laterBoxes;
          PostMessageW(later, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
          while (IsWindow(later)) Sleep(20);
        }
        Sleep(20);
      }
    });
    window->btDestPathClick();
    done = true;
    watcher.join();
  }

  static TfmSetupMain* window;
  HWND other = nullptr;
  HWND browserOwner = nullptr;
  bool wizardEnabledUnderBrowser = true;
  std::atomic<int> laterBoxes{0};
};
TfmSetupMain* SettingsWindow::window = nullptr;
}  // namespace

TEST_F(SettingsWindow, FolderBrowserIsModalToTheWizard) {
  BrowseAndCancel();
  EXPECT_EQ(browserOwner, window->handle());
  EXPECT_FALSE(wizardEnabledUnderBrowser);
  EXPECT_TRUE(IsWindowEnabled(window->handle())) << "enabled again once the browser is closed";
}

// Reading the archive's listing is the slow part: the hourglass is shown while it runs (here a
// damaged archive, whose report the component hands over while the listing is being read).
TEST_F(SettingsWindow, HourglassCoversTheArchiveListing) {
  const std::filesystem::path damaged = std::filesystem::temp_directory_path() / L"hourglass-damaged.dat";
  {
    std::ofstream out(damaged, std::ios::binary);
    out << "PK\x03\x04 not an archive";
  }
  SetupConfig.dataFileName = damaged.wstring();
  HCURSOR during = nullptr;
  bool reported = false;
  window->ZipMaster1().showMessage = [&](const std::wstring&) {
    reported = true;
    during = GetCursor();
  };
  BrowseAndCancel();
  window->ZipMaster1().showMessage = [](const std::wstring&) {};
  SetupConfig.dataFileName.clear();
  std::filesystem::remove(damaged);
  ASSERT_TRUE(reported);
  EXPECT_EQ(during, LoadCursorW(nullptr, IDC_WAIT));
  EXPECT_EQ(laterBoxes.load(), 1) << "the window shows the component's report";
  EXPECT_NE(GetCursor(), LoadCursorW(nullptr, IDC_WAIT)) << "the hourglass ends with the listing";
}

// An error raised as std::exception carries bytes: UTF-8 when they are well-formed, otherwise
// the ANSI code page (1252 in the test prefix), never one character per byte.
TEST(ExceptionText, DecodesUtf8ElseTheAnsiCodePage) {
  struct Case {
    const char* bytes;
    const wchar_t* text;
  };
  for (const Case& c : {Case{"Zugriff verweigert", L"Zugriff verweigert"},
                        Case{"Gr\xC3\xB6\xC3\x9F" "e 10 \xE2\x82\xAC", L"Größe 10 €"},
                        Case{"Gr\xF6\xDF" "e 10 \x80", L"Größe 10 €"},
                        Case{"", L""}}) {
    EXPECT_EQ(ExceptionText(c.bytes), c.text) << c.bytes;
  }
}
