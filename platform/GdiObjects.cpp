#include "platform/GdiObjects.h"

namespace gdi {

SIZE TextExtent(HWND window, HFONT font, const std::wstring& text) {
  WindowDc dc(window);
  SelectGuard selected(dc.get(), font);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace gdi
