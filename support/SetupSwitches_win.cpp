#include <windows.h>

#include "support/SetupSwitches.h"

SetupSwitches ProcessSetupSwitches() { return ParseSetupSwitches(SplitSetupCommandLine(GetCommandLineW())); }
