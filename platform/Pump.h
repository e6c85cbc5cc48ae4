// The one place that processes pending window messages while a handler runs.
#pragma once
#include <windows.h>

// Dispatches every message that is waiting for this thread and returns. Tab and arrow keys go
// through the dialog manager of the main window, as in the main loop. A WM_QUIT that arrives is
// posted again so that the main loop still ends.
void PumpMessages();

// The window whose dialog-manager keys the pump and the main loop handle.
void SetPumpDialogWindow(HWND window);

// The program's message loop; returns when WM_QUIT arrives.
int RunMessageLoop();
