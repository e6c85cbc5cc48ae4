// The scripted demo: starts Setup.exe from a distribution folder, walks every step and saves a
// picture of the window at each one (BMP files; the demo script turns them into PNG). With
// --uninstall it runs the distribution's uninstall.exe instead: the question, the progress
// window and the outcome.
//   demo_walk <distribution folder> <picture folder> <name prefix> [--missing-archive | --uninstall]
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "tests/driver/Driver.h"
#include "uninstaller/ProgressWindow_win.h"
#include "wizard/ControlIds.h"

namespace {
// Copies the window's screen area into a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const std::wstring& file) {
  RECT r;
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + stride * static_cast<DWORD>(h);
  std::ofstream out(file.c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof(fh));
  out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof(bi.bmiHeader));
  out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride * static_cast<DWORD>(h)));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return out.good();
}

struct Walk {
  SetupApp& app;
  std::wstring folder, prefix;
  int shot = 0;
  void Picture(const wchar_t* name, HWND window = nullptr, DWORD settle = 300) {
    if (app.MainWindow()) app.Sync();
    Sleep(settle);  // let the window finish painting
    wchar_t file[MAX_PATH];
    swprintf(file, MAX_PATH, L"%ls%ls-%02d-%ls.bmp", folder.c_str(), prefix.c_str(), ++shot, name);
    SaveWindowPicture(window ? window : app.MainWindow(), file);
    wprintf(L"picture: %ls\n", file);
    fflush(stdout);
  }
  // Answers a message box with OK after taking its picture.
  void AnswerBox(const wchar_t* name) {
    MessageBoxInfo box = app.WaitForMessageBox(5s);
    if (!box) return;
    Picture(name, box.handle);
    app.Press(box, box.captionOf(IDOK).empty() ? IDYES : IDOK);
  }
};
}  // namespace

// The installed target, as the setup recorded it (32-bit view of HKLM).
std::wstring InstalledTarget() {
  wchar_t value[MAX_PATH * 2] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
    return {};
  const LONG rc = RegQueryValueExW(key, L"InstallPath", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? value : L"";
}

// The uninstaller's boxes and window; its working copy is a process of its own. A file of the
// add-on is held open meanwhile (as a running game would), so the window waits on its retry box
// long enough for a picture.
int WalkUninstall(const std::wstring& dist, const std::wstring& pictures, const std::wstring& prefix) {
  const std::wstring held = InstalledTarget() + L"maps\\Ostrauwen\\global.cfg";
  HANDLE game = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetupApp app;
  if (!app.Start(dist + L"uninstall.exe", L"", dist)) return 1;
  Walk walk{app, pictures, prefix};
  MessageBoxInfo question = app.WaitForMessageBox();
  if (!question) return 1;
  walk.Picture(L"question", question.handle);
  SetupApp::Press(question, IDYES);
  if (game != INVALID_HANDLE_VALUE) {
    MessageBoxInfo inUse = SetupApp::WaitForAnyMessageBox(question.title, 30s);
    if (HWND window = SetupApp::WaitForAnyWindow(kUninstallWindowClass, 5s)) walk.Picture(L"progress", window);
    walk.Picture(L"file-in-use", inUse.handle);
    CloseHandle(game);
    SetupApp::Press(inUse, IDRETRY);
  }
  MessageBoxInfo outcome = SetupApp::WaitForAnyMessageBox(question.title, 60s);
  if (!outcome) return 1;
  walk.Picture(L"outcome", outcome.handle);
  SetupApp::Press(outcome, IDOK);
  return app.WaitForExit(30s) == 0 ? 0 : 1;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    fwprintf(stderr, L"usage: demo_walk <distribution folder> <picture folder> <prefix> [--missing-archive | --uninstall]\n");
    return 2;
  }
  const std::wstring dist = argv[1], pictures = argv[2], prefix = argv[3];
  const bool missingArchive = argc > 4 && std::wstring(argv[4]) == L"--missing-archive";
  if (argc > 4 && std::wstring(argv[4]) == L"--uninstall") return WalkUninstall(dist, pictures, prefix);
  SetupApp app;
  if (!app.Start(dist + L"Setup.exe", L"", dist) || !app.WaitForMainWindow()) {
    fwprintf(stderr, L"Setup.exe did not start\n");
    return 1;
  }
  SetupApp::WaitFor([&] { return app.Text(ctl::stVersion).find(L"%s") == std::wstring::npos; });
  Walk walk{app, pictures, prefix};
  walk.Picture(L"welcome");
  app.Click(ctl::btWeiter);
  app.Click(ctl::rbAccept);
  walk.Picture(L"agreement");
  app.Click(ctl::btWeiter);
  walk.Picture(L"notes");
  app.PostClick(ctl::btWeiter);
  if (missingArchive) {
    walk.AnswerBox(L"archive-message");
    walk.AnswerBox(L"missing-archive-box");
    walk.Picture(L"settings-missing-archive");
    app.PostClick(ctl::btAbbrechen);
    MessageBoxInfo box = app.WaitForMessageBox(5s);
    walk.Picture(L"cancel-question", box.handle);
    app.Press(box, IDYES);
    return app.WaitForExit() == 0 ? 0 : 1;
  }
  SetupApp::WaitFor([&] { return app.Text(ctl::laStepDisplay) == L"Einstellungen"; });
  walk.Picture(L"settings");
  app.PostClick(ctl::btWeiter);
  // The run takes a moment: catch it while the bar moves, then its result.
  SetupApp::WaitFor([&] { return !app.Text(ctl::leFortschritt).empty(); }, 10s);
  walk.Picture(L"progress");
  SetupApp::WaitFor([&] { return !app.Text(ctl::laSetupRslt).empty(); }, 60s);
  walk.Picture(L"result");
  if (app.Enabled(ctl::btWeiter)) {
    app.PostClick(ctl::btWeiter);
  } else {
    app.PostClick(ctl::btAbbrechen);
  }
  return app.WaitForExit(30s) == 0 ? 0 : 1;
}
