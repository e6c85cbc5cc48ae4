// Program entry of Setup.exe: COM as a single-threaded apartment, the wizard window, its loop.
#include <windows.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  MessageBoxW(nullptr, L"Setup", L"Setup", MB_OK);
  return 0;
}
