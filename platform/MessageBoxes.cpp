#include "platform/MessageBoxes.h"

namespace {
// Renames the buttons of the next message box of this thread when it is activated.
HHOOK hook = nullptr;

LRESULT CALLBACK RenameButtons(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t cls[16] = {};
    GetClassNameW(box, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0) {
      SetDlgItemTextW(box, IDYES, L"&Ja");
      SetDlgItemTextW(box, IDNO, L"&Nein");
      SetDlgItemTextW(box, IDCANCEL, L"&Abbrechen");
      SetDlgItemTextW(box, IDOK, L"OK");
      SetDlgItemTextW(box, IDRETRY, L"&Wiederholen");
      HHOOK h = hook;
      hook = nullptr;
      UnhookWindowsHookEx(h);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

int GermanBox(HWND owner, const std::wstring& text, const wchar_t* title, UINT type) {
  hook = SetWindowsHookExW(WH_CBT, RenameButtons, nullptr, GetCurrentThreadId());
  int r = MessageBoxW(owner, text.c_str(), title, type);
  if (hook) {
    UnhookWindowsHookEx(hook);
    hook = nullptr;
  }
  return r;
}
}  // namespace

BoxAnswer ConfirmBox(HWND owner, const std::wstring& text) {
  switch (GermanBox(owner, text, L"Bestätigen", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return BoxAnswer::Yes;
    case IDNO: return BoxAnswer::No;
    default: return BoxAnswer::Cancel;
  }
}

void ErrorBox(HWND owner, const std::wstring& text) { GermanBox(owner, text, L"Fehler", MB_OK | MB_ICONERROR); }

void DefaultErrorBox(HWND owner, const std::wstring& title, const std::wstring& text) {
  GermanBox(owner, text, title.c_str(), MB_OK | MB_ICONERROR);
}

void PlainMessageBox(HWND owner, const std::wstring& title, const std::wstring& text) {
  GermanBox(owner, text, title.c_str(), MB_OK);
}

BoxAnswer YesNoBox(HWND owner, const std::wstring& title, const std::wstring& text) {
  return GermanBox(owner, text, title.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES ? BoxAnswer::Yes : BoxAnswer::No;
}

BoxAnswer RetryCancelBox(HWND owner, const std::wstring& title, const std::wstring& text) {
  return GermanBox(owner, text, title.c_str(), MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY ? BoxAnswer::Retry
                                                                                           : BoxAnswer::Cancel;
}
