// Stand-in for the add-on's uninstaller in the demo distribution: it only says what it is.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"Dies ist das Deinstallationsprogramm der Demo-Distribution. Es entfernt nichts.",
              L"Drivona2 Ostrauwen entfernen", MB_OK | MB_ICONINFORMATION);
  return 0;
}
