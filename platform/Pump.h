// The one place that processes pending window messages while a handler runs.
#pragma once
#include <windows.h>

// Dispatches every message that is waiting for this thread and returns. Tab and arrow keys go
// through the dialog manager of the main window, as in the main loop. A WM_QUIT that arrives is
// posted again so that the main loop still ends.
void PumpMessages();

// As PumpMessages, but only when 10 ms have passed since it last pumped: the install run calls
// it after every entry, and looking for messages costs a trip to the window server each time.
// Input then waits 10 ms at most (a timer tick where the clock is coarser).
void PumpMessagesNowAndThen();

// The window whose dialog-manager keys the pump and the main loop handle.
void SetPumpDialogWindow(HWND window);

// The program's message loop; returns when WM_QUIT arrives.
int RunMessageLoop();
