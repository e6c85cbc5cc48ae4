// uSetupInstall: the install run. Called by the wizard from Next on the settings step, after it
// has moved to the progress step and cleared cancelRequested. Extracts the data archive entry
// by entry into the target folder (backing up or marking each file it replaces), installs the
// uninstaller, creates the Start-menu shortcuts, records the install path and saves the journal
// as uninstall.dat. An error raised on the way ends the run after its final step (journal
// saved) and comes back in the result, for the window's handler boundary.
#pragma once
#include <string>

#include "install/InstallRequest.h"

class InstallHost;

InstallResult InstallAddon(InstallHost& host, const InstallRequest& request);

// The same with the running setup program's path given: the journal's "Quelle=" line names it
// and the uninstaller is copied from its folder. InstallAddon(host, request) passes the
// program's own path; tests pass one in a distribution folder of their own.
InstallResult InstallAddon(InstallHost& host, const InstallRequest& request, const std::wstring& setupProgram);
