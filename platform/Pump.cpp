#include "platform/Pump.h"

namespace {
HWND dialogWindow = nullptr;

void Dispatch(MSG& msg) {
  if (dialogWindow && IsDialogMessageW(dialogWindow, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}
}  // namespace

void SetPumpDialogWindow(HWND window) { dialogWindow = window; }

void PumpMessagesNowAndThen() {
  static ULONGLONG last = 0;
  const ULONGLONG now = GetTickCount64();
  if (now - last < 10) return;
  last = now;
  PumpMessages();
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
  return static_cast<int>(msg.wParam);
}
