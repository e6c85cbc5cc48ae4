#include "uninstaller/AnsiCodec_win.h"

#include <windows.h>

#include "install/JournalFile_win.h"
#include "platform/AnsiText.h"

AnsiCodec PlatformAnsiCodec() {
  AnsiCodec codec;
  codec.decode = [](std::string_view bytes) -> std::optional<std::wstring> {
    if (bytes.empty()) return std::wstring();
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) return std::nullopt;
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length, text.data(), size);
    return text;
  };
  codec.encode = [](std::wstring_view text) { return ToAnsiBytes(std::wstring(text)); };
  return codec;
}
