// The window's pictures, gradient panel and folder symbol.
#include "wizard/WizardParts_win.h"

void RegisterControlClasses(HINSTANCE) {}
void ConfigureControl(int, HWND) {}
HIMAGELIST CreateFolderImageList(HINSTANCE) { return nullptr; }
void SetFolderImage(HWND, HIMAGELIST) {}
