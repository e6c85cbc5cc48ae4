// Program entry of Setup.exe: library search restricted to the system folder, one setup or
// uninstaller of the product at a time, COM as a single-threaded apartment for the whole
// process, the wizard window as main window, its message loop, exit code 0.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "platform/DllSearch.h"
#include "platform/Pump.h"
#include "platform/SingleInstance.h"
#include "support/ProductFacts.h"
#include "wizard/fSetupMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  HardenDllSearch();
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
