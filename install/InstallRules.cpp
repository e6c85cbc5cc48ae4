#include "install/InstallRules.h"

#include <cmath>

#include "install/ZipMaster.h"

int ProgressPosition(int index, int count) {
  if (count <= 0) return 0;
  const double exact = static_cast<double>(index) / count * 100.0;
  const double below = std::floor(exact);
  const double rest = exact - below;
  double rounded = below;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) != 0.0)) rounded = below + 1.0;
  return static_cast<int>(rounded);
}

bool IsEarlierBackupError(uint32_t code) { return code == 80 || code == 183; }

uint32_t ZipErrorCode(int componentError, uint32_t systemCode) {
  if (systemCode != 0) return systemCode;
  switch (componentError) {
    case zmNoArchive: return kUnreadableArchiveCode;
    case zmNoMatch: return kNoMatchCode;
    case zmUnsafeName: return kInvalidNameCode;
    case zmBaseDirMissing: return kPathNotFoundCode;
    case zmTargetExists: return kTargetExistsCode;
    case zmPasswordMissing:
    case zmWrongPassword: return kWrongPasswordCode;
    case zmUnsupported: return kUnsupportedCode;
    case zmWriteFailed: return kWriteFaultCode;
    default: return kDamagedEntryCode;
  }
}
