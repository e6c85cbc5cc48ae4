// Pieces of the wizard window that live in files of their own: control classes and pictures,
// built-in texts, the privilege test and the install run's entry.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "install/InstallRequest.h"

class InstallHost;

// Registers the window classes of the picture and gradient-panel controls.
void RegisterControlClasses(HINSTANCE instance);
// Gives a freshly created picture or gradient panel its picture or colours.
void ConfigureControl(int id, HWND control);
// The image list with the 16 x 16 folder symbol, and a button that shows its picture 0.
HIMAGELIST CreateFolderImageList(HINSTANCE instance);
void SetFolderImage(HWND button, HIMAGELIST images);
// The built-in agreement (rich text) and notes texts.
void SetBuiltInTexts(HWND richEdit, HWND memo);
// Loads a rich-text file or a plain-text file into the views; false when it cannot be read.
bool LoadRichTextFile(HWND richEdit, const std::wstring& fileName);
bool LoadPlainTextFile(HWND memo, const std::wstring& fileName);
// GetNewPrivileges with the program's mask.
unsigned DefaultPrivilegeTest(unsigned mask);
// The product values of SetupConfig: the constants, the default required size and the
// Start-menu folder (kept as it was when the shell cannot name it).
void SetProductValues();
// Bytes free to the user on the volume of a folder (its first character + ":"), -1 when unknown.
int64_t FreeBytesFor(const std::wstring& folder);
// Names the shortcuts each time the settings step is shown.
void PrepareShortcutNames();
// The install run, called from Next on the settings step.
InstallResult RunInstall(InstallHost& host, const InstallRequest& request);
