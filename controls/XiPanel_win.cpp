// TXiPanel's window: class registration, properties, and painting of the pure arithmetic's lines,
// caption and bevel rings through one off-screen bitmap.
#include "controls/XiPanel_win.h"

#include <new>

#include "platform/GdiObjects.h"
#include "platform/WindowText.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"

namespace {

// The TXiPanel pointer lives in the class's extra window bytes, leaving GWLP_USERDATA free.
constexpr int kObjectSlot = 0;

void LogFailure(const wchar_t* function, const wchar_t* call) {
  LogProc(3, std::wstring(function) + L" " + call + L" [Error=" + LastErrorText(true) + L"]");
}

void DrawPolyline(HDC dc, TColor color, const POINT (&points)[3]) {
  GdiObject<HPEN> pen(CreatePen(PS_SOLID, 2, color));
  if (!pen.get()) return;
  gdi::SelectGuard select(dc, pen.get());
  Polyline(dc, points, 3);
}

}  // namespace

bool RegisterXiPanelClass(HINSTANCE instance) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(instance, kXiPanelClassName, &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  // Redraw on every size change: the gradient and the caption depend on both extents.
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = &TXiPanel::WindowProc;
  wc.cbWndExtra = sizeof(TXiPanel*);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = nullptr;  // Paint covers every pixel
  wc.lpszClassName = kXiPanelClassName;
  if (RegisterClassExW(&wc) == 0) {
    LogFailure(L"RegisterXiPanelClass", L"RegisterClassExW");
    return false;
  }
  return true;
}

TXiPanel* TXiPanel::Create(HWND parent, int id, const RECT& bounds, HINSTANCE instance) {
  if (instance == nullptr) instance = GetModuleHandleW(nullptr);
  if (!RegisterXiPanelClass(instance)) return nullptr;
  HWND window = CreateWindowExW(0, kXiPanelClassName, L"",
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                bounds.left, bounds.top, bounds.right - bounds.left,
                                bounds.bottom - bounds.top, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (window == nullptr) {
    LogFailure(L"TXiPanel.Create", L"CreateWindowExW");
    return nullptr;
  }
  return FromHwnd(window);
}

TXiPanel* TXiPanel::FromHwnd(HWND window) {
  wchar_t name[16] = {};
  if (window == nullptr || GetClassNameW(window, name, 16) == 0 ||
      std::wstring(name) != kXiPanelClassName)
    return nullptr;
  return reinterpret_cast<TXiPanel*>(GetWindowLongPtrW(window, kObjectSlot));
}

TXiPanel::TXiPanel(HWND window) : FHandle(window) {
  // FColorDark black, FColorLight silver and fdVertical are the member defaults; the scheme
  // then replaces all four colours with the desert values.
  HWND parent = GetParent(window);
  FFont = parent ? reinterpret_cast<HFONT>(SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
  if (FFont == nullptr) FFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SetColorScheme(csDesert);
}

TColor TXiPanel::GetColor(int index) const {
  switch (index) {
    case 0: return FColorFace;
    case 1: return FColorGrad;
    case 2: return FColorLight;
    case 3: return FColorDark;
  }
  return clBlack;
}

void TXiPanel::SetColor(int index, TColor color) {
  switch (index) {
    case 0: FColorFace = color; break;
    case 1: FColorGrad = color; break;
    case 2: FColorLight = color; break;
    case 3: FColorDark = color; break;
    default: return;
  }
  Repaint();
}

void TXiPanel::SetColorScheme(TColorScheme scheme) {
  FColorScheme = scheme;
  TXiPanelColors colors{FColorFace, FColorGrad, FColorLight, FColorDark};
  ApplyColorScheme(scheme, colors);
  FColorFace = colors.face;
  FColorGrad = colors.grad;
  FColorLight = colors.light;
  FColorDark = colors.dark;
  Repaint();
}

void TXiPanel::SetFillDirection(TFillDirection direction) {
  FFillDirection = direction;
  Repaint();
}

void TXiPanel::SetAlignment(TAlignment alignment) {
  FAlignment = alignment;
  Repaint();
}

void TXiPanel::SetBevelInner(TBevelCut cut) {
  FBevelInner = cut;
  Repaint();
}

void TXiPanel::SetBevelOuter(TBevelCut cut) {
  FBevelOuter = cut;
  Repaint();
}

void TXiPanel::SetBevelWidth(int width) {
  FBevelWidth = width < 1 ? 1 : width;
  Repaint();
}

std::wstring TXiPanel::Caption() const { return GetWindowTextString(FHandle); }

void TXiPanel::SetCaption(const std::wstring& caption) {
  SetWindowTextW(FHandle, caption.c_str());  // WM_SETTEXT repaints
}

void TXiPanel::SetFont(HFONT font) {
  FFont = font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  Repaint();
}

void TXiPanel::SetFontColor(TColor color) {
  FFontColor = color;
  Repaint();
}

void TXiPanel::Repaint() const { InvalidateRect(FHandle, nullptr, FALSE); }

void TXiPanel::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(FHandle, &client);
  const int W = client.right, H = client.bottom;
  if (W <= 0 || H <= 0) return;

  gdi::unique_memdc canvas(CreateCompatibleDC(dc));
  GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, W, H));
  if (!canvas || !bitmap.get()) {
    LogFailure(L"TXiPanel.Paint", L"CreateCompatibleBitmap");
    return;
  }
  gdi::SelectGuard selectBitmap(canvas.get(), bitmap.get());

  for (const TGradientLine& line :
       GradientLines(0, 0, W, H, FColorFace, FColorGrad, FFillDirection)) {
    GdiObject<HPEN> pen(CreatePen(FFillStyle, 1, line.color));
    if (!pen.get()) continue;
    gdi::SelectGuard selectPen(canvas.get(), pen.get());
    MoveToEx(canvas.get(), line.x1, line.y1, nullptr);
    LineTo(canvas.get(), line.x2, line.y2);
  }

  gdi::SelectGuard selectFont(canvas.get(), FFont);
  const std::wstring caption = Caption();
  SIZE captionSize{}, sampleSize{};
  GetTextExtentPoint32W(canvas.get(), caption.c_str(), int(caption.size()), &captionSize);
  GetTextExtentPoint32W(canvas.get(), kCaptionHeightSample, int(std::size(kCaptionHeightSample) - 1),
                        &sampleSize);
  const bool bothBevels = FBevelInner != bvNone && FBevelOuter != bvNone;
  const int x = CaptionX(FAlignment, W, FBevelWidth, bothBevels, captionSize.cx);
  const int y = CaptionY(H, sampleSize.cy);
  SetBkMode(canvas.get(), TRANSPARENT);
  SetTextColor(canvas.get(), FFontColor);
  TextOutW(canvas.get(), x, y, caption.c_str(), int(caption.size()));

  for (const TBevelRing& ring :
       BevelRings(W, H, FBevelOuter, FBevelInner, FBevelWidth, FColorLight, FColorDark)) {
    DrawPolyline(canvas.get(), ring.topLeft,
                 {{ring.left, ring.bottom}, {ring.left, ring.top}, {ring.right, ring.top}});
    DrawPolyline(canvas.get(), ring.bottomRight,
                 {{ring.right, ring.top}, {ring.right, ring.bottom}, {ring.left, ring.bottom}});
  }

  BitBlt(dc, 0, 0, W, H, canvas.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK TXiPanel::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TXiPanel*>(GetWindowLongPtrW(window, kObjectSlot));
  try {
    switch (message) {
      case WM_NCCREATE: {
        auto* created = new (std::nothrow) TXiPanel(window);
        if (created == nullptr) return FALSE;
        SetWindowLongPtrW(window, kObjectSlot, reinterpret_cast<LONG_PTR>(created));
        break;
      }
      case WM_NCDESTROY:
        SetWindowLongPtrW(window, kObjectSlot, 0);
        delete self;
        break;
      case WM_ERASEBKGND:
        return 1;  // Paint covers everything; erasing first would flicker
      case WM_PAINT: {
        gdi::PaintDc dc(window);
        if (self && dc.get()) self->Paint(dc.get());
        return 0;
      }
      case WM_PRINTCLIENT:
        if (self) self->Paint(reinterpret_cast<HDC>(wParam));
        return 0;
      case WM_SETTEXT: {
        LRESULT result = DefWindowProcW(window, message, wParam, lParam);
        if (self) self->Repaint();
        return result;
      }
      case WM_SETFONT:
        if (self) {
          self->FFont = wParam ? reinterpret_cast<HFONT>(wParam)
                               : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
          if (LOWORD(lParam)) self->Repaint();
        }
        return 0;
      case WM_GETFONT:
        return self ? reinterpret_cast<LRESULT>(self->FFont) : 0;
      case WM_COMMAND:
      case WM_NOTIFY:
        // Controls placed on the panel report to the window that handles them.
        if (HWND parent = GetParent(window)) return SendMessageW(parent, message, wParam, lParam);
        return 0;
    }
  } catch (...) {
    // Nothing may unwind through the system's window procedure caller; the panel just stays
    // as it was painted last (only allocation can fail here).
    LogProc(3, L"TXiPanel.WindowProc [message=" + std::to_wstring(message) + L", out of memory]");
    return message == WM_NCCREATE ? FALSE : 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void ConfigureXiPanel2(TXiPanel& panel) {
  panel.SetBevelOuter(bvNone);
  panel.SetBevelInner(bvNone);
  panel.SetCaption(L"");
  panel.SetColorFace(kXiPanel2Colors.face);
  panel.SetColorGrad(kXiPanel2Colors.grad);
  panel.SetColorLight(kXiPanel2Colors.light);
  panel.SetColorDark(kXiPanel2Colors.dark);
  panel.SetColorScheme(csSky);
  panel.SetFillDirection(fdVertical);
}
