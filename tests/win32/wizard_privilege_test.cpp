// The wizard's reaction to a failing administrator test. Wine gives every process full rights,
// so the test replaces the window's privilege test (a member that defaults to the real one).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/Pump.h"
#include "wizard/fSetupMain.h"

namespace {
struct SeenBox {
  std::wstring title, text;
};

BOOL CALLBACK CollectBox(HWND w, LPARAM p) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t cls[16] = {};
  GetClassNameW(w, cls, 16);
  if (pid == GetCurrentProcessId() && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(w)) {
    *reinterpret_cast<HWND*>(p) = w;
    return FALSE;
  }
  return TRUE;
}

std::wstring TextOf(HWND w) {
  wchar_t buffer[512] = {};
  GetWindowTextW(w, buffer, 512);
  return buffer;
}
}  // namespace

TEST(WizardPrivileges, FailingTestShowsTheMessageAndEndsWithoutAQuestion) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  LoadLibraryW(L"Msftedit.dll");
  static std::atomic<unsigned> asked{0};
  TfmSetupMain window;
  window.privilegeTest = [](unsigned mask) -> unsigned {
    asked = mask;
    return 1;  // the backup privilege could not be enabled
  };
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
  HWND handle = window.handle();

  // Answers every box of this process with OK and records it.
  std::mutex m;
  std::vector<SeenBox> boxes;
  std::atomic<bool> done{false};
  std::thread watcher([&] {
    while (!done) {
      HWND box = nullptr;
      EnumWindows(CollectBox, reinterpret_cast<LPARAM>(&box));
      if (box) {
        Sleep(50);
        {
          std::lock_guard<std::mutex> lock(m);
          boxes.push_back({TextOf(box), TextOf(GetDlgItem(box, 0xFFFF))});
        }
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        while (IsWindow(box) && !done) Sleep(20);
      }
      Sleep(20);
    }
  });
  SetTimer(nullptr, 0, 15000, nullptr);  // a WM_TIMER keeps the loop from waiting forever
  ShowWindow(handle, SW_SHOW);
  PostMessageW(handle, WM_ACTIVATE, WA_ACTIVE, 0);
  MSG msg;
  const DWORD start = GetTickCount();
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && GetTickCount() - start < 15000) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  done = true;
  watcher.join();

  EXPECT_EQ(asked.load(), 31u);
  EXPECT_FALSE(IsWindow(handle)) << "the program ends";
  std::lock_guard<std::mutex> lock(m);
  ASSERT_EQ(boxes.size(), 1u) << "no confirmation is asked";
  EXPECT_EQ(boxes[0].text,
            L"Keine ausreichende Rechte zum Ausführen des Setups!\n\rBitte mit Administrator Rechten erneut ausführen.");
}
