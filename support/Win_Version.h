// Win_Version: the one-line description of the running Windows version.
// The text is composed from a version record by portable code; the Windows build fetches the
// record (GetVersionExW) and the bitness (IsWow64Process).
#pragma once
#include <cstdint>
#include <string>

// The facts of the extended version query.
struct WindowsVersionRecord {
  bool queryFailed = false;  // the query itself failed: only errorCode counts
  uint32_t errorCode = 0;    // the last error of the failed query
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint32_t buildNumber = 0;  // only the low 16 bits are shown
  uint32_t platformId = 0;
  std::wstring servicePack;  // the service-pack text, e.g. "Service Pack 1"
  uint16_t servicePackMajor = 0;
  uint16_t servicePackMinor = 0;
  uint16_t suiteMask = 0;
  uint8_t productType = 0;
};

// "Build major.minor.build", or empty text when the query failed.
std::wstring WindowsBuildText(const WindowsVersionRecord& record);

// The Windows text for record; isWow64 chooses " (64-Bit)" or " (32-Bit)" when withBitness.
// Logs the result at level 9.
std::wstring WindowsVersionText(const WindowsVersionRecord& record, bool withBuild,
                                bool withBitness, bool isWow64);

#ifdef _WIN32
std::wstring GetWindowsVersionsStr(bool withBuild, bool withBitness);
std::wstring GetWindowsBuildStr();
// Whether the 32-bit setup runs on 64-bit Windows. Raises SetupError when the system cannot
// answer.
bool IsWow64();
// The version record of the running system (queryFailed set when GetVersionExW fails).
WindowsVersionRecord QueryWindowsVersion();
#endif
