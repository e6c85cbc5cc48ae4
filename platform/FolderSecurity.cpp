#include "platform/FolderSecurity.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

namespace {
struct LocalFreeOnExit {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ~LocalFreeOnExit() {
    if (descriptor) LocalFree(descriptor);
  }
};
}  // namespace

uint32_t RestrictFolderToAdministrators(const std::wstring& folder) {
  LocalFreeOnExit sd;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminOnlyFolderSddl, SDDL_REVISION_1, &sd.descriptor,
                                                            nullptr))
    return GetLastError();
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  PSID owner = nullptr;
  if (!GetSecurityDescriptorDacl(sd.descriptor, &present, &dacl, &defaulted) ||
      !GetSecurityDescriptorOwner(sd.descriptor, &owner, &defaulted))
    return GetLastError();
  // The owner too: an owner may always rewrite the list, so a folder made by a user stays
  // theirs otherwise.
  std::wstring path = folder;
  return SetNamedSecurityInfoW(path.data(), SE_FILE_OBJECT,
                               OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                   PROTECTED_DACL_SECURITY_INFORMATION,
                               owner, nullptr, dacl, nullptr);
}
