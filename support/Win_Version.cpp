#include "support/Win_Version.h"

#include "support/DebugLog.h"

namespace {

std::wstring WindowsName(const WindowsVersionRecord& r) {
  switch (r.platformId) {
    case 0:
      return L"Windows " + std::to_wstring(r.majorVersion) + L"." + std::to_wstring(r.minorVersion);
    case 1: {
      std::wstring name;
      switch (r.minorVersion) {
        case 0: name = L"Windows 95 "; break;
        case 10: name = L"Windows 98 "; break;
        case 11: name = L"Windows 98 SE "; break;
        case 90: name = L"Windows ME "; break;
        default: name = L"Windows 95 basierend ??? "; break;
      }
      return name + r.servicePack;
    }
    case 2:
      switch (r.majorVersion) {
        case 3:
        case 4:
          return L"Windows NT ";
        case 5:
          switch (r.minorVersion) {
            case 0: return L"Windows 2000 ";
            case 1: return L"Windows XP ";
            case 2: return L"Windows 2003 ";
            default: return L"???? ";
          }
        case 6:
          switch (r.minorVersion) {
            case 0: return L"Windows Vista ";
            case 1: return L"Windows 7 ";
            case 2: return L"Windows 8 ";
            case 3: return L"Windows 8.1 ";
            default: return L"???? ";
          }
        default:
          return L"Windows NT basierend ???";
      }
    default:
      return {};
  }
}

// Suite groups in test order; a later group that is present replaces the edition.
struct SuiteGroup {
  uint16_t bits;
  const wchar_t* edition;
};
constexpr SuiteGroup kSuiteGroups[] = {
    {0x0001 | 0x0020, L" Small Business Server "},
    {0x0004, L"Backoffice "},
    {0x0400, L"Web Edition "},
    {0x0200, L"Home "},
    {0x0010, L"Terminal Server "},
    {0x0100, L"Professional "},
};

}  // namespace

std::wstring WindowsBuildText(const WindowsVersionRecord& r) {
  if (r.queryFailed) return {};
  return L"Build " + std::to_wstring(static_cast<int32_t>(r.majorVersion)) + L"." +
         std::to_wstring(static_cast<int32_t>(r.minorVersion)) + L"." +
         std::to_wstring(r.buildNumber & 0xFFFF);
}

std::wstring WindowsVersionText(const WindowsVersionRecord& r, bool withBuild, bool withBitness,
                                bool isWow64) {
  std::wstring result;
  if (r.queryFailed) {
    result = L" Fehler in der Ermittlung der Windowsversion [" + std::to_wstring(r.errorCode) + L"]";
  } else {
    std::wstring name = WindowsName(r);
    std::wstring edition;
    uint16_t mask = r.suiteMask;
    for (const SuiteGroup& g : kSuiteGroups) {
      if (mask & g.bits) {
        edition = g.edition;
        mask &= static_cast<uint16_t>(~g.bits);
      }
    }
    if (mask != 0)
      edition = L" ?? " + std::to_wstring(mask);
    else if (edition.empty() && r.minorVersion != 0)
      name = L"Windows PE ";
    result = r.productType != 0 ? name + edition + r.servicePack : name;
  }
  if (withBuild) result += L" (" + WindowsBuildText(r) + L")";
  if (withBitness) result += isWow64 ? L" (64-Bit)" : L" (32-Bit)";
  LogProc(9, L"GetWindowsVersionsStr Exit : [Result=" + result + L"]");
  return result;
}
