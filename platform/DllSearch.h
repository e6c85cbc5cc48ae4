// Library search of a program that runs elevated from a folder that users can write (a
// download folder, the game's folder): nothing planted there may be loaded in its place.
#pragma once
#include <windows.h>

#include "platform/Handles.h"

// Restricts the search of every later library load, delay-loaded imports included, to the
// system folder. Call it first thing in the program entry. False when the system lacks
// SetDefaultDllDirectories (Windows 7 without its update); the current folder is then at
// least taken out of the search.
bool HardenDllSearch();

// Loads a library of the system folder by its full path; empty when it cannot be loaded.
unique_hmodule LoadSystemLibrary(const wchar_t* fileName);
