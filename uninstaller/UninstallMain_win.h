// The uninstaller's run from its command line to its exit code.
#pragma once

int RunUninstaller();
