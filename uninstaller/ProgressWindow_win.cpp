#include "uninstaller/ProgressWindow_win.h"

#include <commctrl.h>

#include "platform/Pump.h"

namespace {
LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The work cannot be interrupted halfway: closing is ignored until it is done.
  if (msg == WM_CLOSE) return 0;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterOnce(HINSTANCE instance) {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kUninstallWindowClass;
  registered = RegisterClassExW(&wc) != 0;
  return registered;
}

HWND Child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h, int id,
           HFONT font) {
  HWND c = CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return c;
}
}  // namespace

ProgressWindow::~ProgressWindow() {
  if (window) DestroyWindow(window);
  if (font) DeleteObject(font);
}

bool ProgressWindow::Create(const std::wstring& title, const std::wstring& label) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterOnce(instance)) return false;
  const int width = 460, height = 150;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  window = CreateWindowExW(0, kUninstallWindowClass, title.c_str(), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, x, y,
                           width, height, nullptr, nullptr, instance, nullptr);
  if (!window) return false;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  font = CreateFontIndirectW(&metrics.lfMessageFont);
  Child(window, L"STATIC", label, SS_LEFT, 16, 14, 420, 18, uctl::laRemoving, font);
  Child(window, L"STATIC", L"", SS_LEFT | SS_PATHELLIPSIS | SS_NOPREFIX, 16, 36, 420, 18, uctl::stCurrent, font);
  Child(window, PROGRESS_CLASSW, L"", 0, 16, 64, 420, 20, uctl::pgRemoving, font);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  PumpMessages();
  return true;
}

void ProgressWindow::Step(const std::wstring& item, int percent) {
  if (window) {
    SetDlgItemTextW(window, uctl::stCurrent, item.c_str());
    SendDlgItemMessageW(window, uctl::pgRemoving, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
  }
  PumpMessages();
}
