#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "platform/ProgramPath.h"
#include "support/MyEXEInfoIO.h"

std::wstring GetFileVersionOf(const std::wstring& fileName, const std::wstring& language,
                              bool withBitness) {
  std::wstring result;
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &handle);
  if (size != 0) {
    std::vector<unsigned char> data(size);
    if (GetFileVersionInfoW(fileName.c_str(), 0, size, data.data())) {
      std::wstring subBlock = L"StringFileInfo\\" + language + L"04E4\\FileVersion";
      wchar_t* value = nullptr;
      UINT length = 0;
      if (VerQueryValueW(data.data(), subBlock.c_str(), reinterpret_cast<void**>(&value), &length) &&
          value) {
        // length counts characters, with or without the terminator: stop at the first zero,
        // and never read past the version data of a damaged record.
        auto* begin = reinterpret_cast<unsigned char*>(value);
        auto* end = data.data() + data.size();
        if (begin >= data.data() && begin < end) {
          size_t room = static_cast<size_t>(end - begin) / sizeof(wchar_t);
          result.assign(value, wcsnlen(value, std::min<size_t>(length, room)));
        }
      }
    }
  }
  if (withBitness) result += L" (32-Bit)";
  return result;
}

std::wstring GetExeFileVersion(const std::wstring& language, bool withBitness) {
  return GetFileVersionOf(ProgramFileName(), language, withBitness);
}
