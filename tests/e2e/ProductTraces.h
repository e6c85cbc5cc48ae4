// The product's traces in the Wine prefix (registry keys, Start-menu folder), removed before and
// after each scenario that installs.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "tests/driver/Distribution.h"
#include "tests/win32/InstallTestSupport.h"

// The publisher's folder in the common Programs folder of the Start menu, ending with "\".
inline std::wstring CommonProgramsMenu() {
  wchar_t programs[MAX_PATH + 1] = {};
  SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, TRUE);
  return std::wstring(programs) + L"\\Quellmark Media\\";
}

inline void RemoveProductTraces() {
  install_test::DeleteProductKeys();
  RemoveTree(CommonProgramsMenu());
}
