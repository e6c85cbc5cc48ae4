// Program entry of Setup.exe: library search restricted to the system folder, one setup or
// uninstaller of the product at a time, COM as a single-threaded apartment for the whole
// process, the wizard window as main window, its message loop, exit code 0. With /SILENT the
// unattended setup runs instead of the window and its outcome is the exit code.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "platform/DllSearch.h"
#include "platform/Pump.h"
#include "platform/SingleInstance.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/LogFile_win.h"
#include "support/ProductFacts.h"
#include "wizard/SilentSetup.h"
#include "wizard/fSetupMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  HardenDllSearch();
  const SetupSwitches switches = ProcessSetupSwitches();
  if (!switches.logFile.empty() && !StartLogFile(switches.logFile))
    LogProc(3, L"CreateFileW(\"" + switches.logFile + L"\") : " + LastErrorText(true));
  if (switches.silent) {
    // Takes the one-instance mutex itself, after the administrator test; no box, an exit code.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return RunSilentSetup(switches);
  }
  const unique_handle single = AcquireSingleInstance(product::singleInstanceMutex);
  if (!single) {
    ShowSecondInstanceBox();
    return 0;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  const unique_hmodule richEdit = LoadSystemLibrary(L"Msftedit.dll");  // the rich-text view's class

  TfmSetupMain window;
  if (window.Create(instance)) {
    SetPumpDialogWindow(window.handle());
    ShowWindow(window.handle(), show);
    UpdateWindow(window.handle());
    RunMessageLoop();
  }
  return 0;
}
