// The product values of SetupConfig and the two sizes of the settings step, shared by the
// wizard and the unattended setup so that both install with the same parameters.
#include <windows.h>
#include <shlobj.h>

#include "support/SetupConfig.h"
#include "wizard/SettingsRules.h"
#include "wizard/WizardParts_win.h"

void SetProductValues() {
  SetupConfig.requiredBytes = product::defaultRequiredBytes;
  SetupConfig.productRegistryKey = product::registryKey;
  SetupConfig.uninstallDirName = product::uninstallDirName;
  SetupConfig.dataFileName = std::wstring(product::dataFileBaseName) + product::dataFileExtension;
  SetupConfig.startMenuSubPath = product::startMenuSubPath;
  SetupConfig.productName = product::name;
  wchar_t programs[MAX_PATH + 1] = {};
  if (SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, TRUE)) {
    SetupConfig.startMenuDir = std::wstring(programs) + L"\\" + SetupConfig.startMenuSubPath;
  }
}

int64_t FreeBytesFor(const std::wstring& folder) {
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExW(VolumeRootOf(folder).c_str(), &available, nullptr, nullptr)) return -1;
  return static_cast<int64_t>(available.QuadPart);
}
