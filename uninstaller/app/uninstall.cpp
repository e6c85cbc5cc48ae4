// Program entry of uninstall.exe: COM as a single-threaded apartment (the folder browser needs
// it), common controls for the progress bar, then the run; its outcome is the exit code.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "uninstaller/UninstallMain_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&icc);
  return RunUninstaller();
}
