// TXiPanel: the gradient panel as a Win32 custom control of the window class "TXiPanel".
//
// Use:
//   RegisterXiPanelClass(instance);                       // once, before the first panel
//   TXiPanel* p = TXiPanel::Create(parent, id, {0, 372, 601, 441});
//     or CreateWindowExW(0, kXiPanelClassName, caption, WS_CHILD | WS_VISIBLE, ...) and then
//   TXiPanel* p = TXiPanel::FromHwnd(hwnd);
//   ConfigureXiPanel2(*p);                                // the wizard's bottom bar as stored
//
// The window owns its TXiPanel: it is created with the window (WM_NCCREATE) and deleted with it
// (WM_NCDESTROY); never delete it yourself. The caption is the window text (WM_SETTEXT repaints)
// and the font is the one given by WM_SETFONT or SetFont (not owned; by default the parent's font
// at creation, else DEFAULT_GUI_FONT). Painting goes through an off-screen bitmap copied in one
// BitBlt, the background is never erased separately, so the gradient does not flicker.
// WM_PRINTCLIENT paints into the given device context (PrintWindow works). WM_COMMAND and
// WM_NOTIFY of controls placed on the panel go on to the panel's parent.
//
// Overlapping siblings: a panel paints its whole rectangle. Give it WS_CLIPSIBLINGS (Create does)
// and keep controls that lie on it above it in the z-order, or give them WS_CLIPSIBLINGS as well.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "controls/XiPanel.h"

inline constexpr wchar_t kXiPanelClassName[] = L"TXiPanel";

// Registers the window class "TXiPanel" for instance; true also when it is registered already.
bool RegisterXiPanelClass(HINSTANCE instance);

class TXiPanel {
 public:
  // Registers the class if needed and creates a visible child panel with the client-relative
  // rectangle bounds. Null on failure (the cause is logged).
  static TXiPanel* Create(HWND parent, int id, const RECT& bounds, HINSTANCE instance = nullptr);
  // The panel object of a window of class "TXiPanel", null for any other window.
  static TXiPanel* FromHwnd(HWND window);

  HWND Handle() const { return FHandle; }

  // The indexed colour property: 0 ColorFace, 1 ColorGrad, 2 ColorLight, 3 ColorDark. Setting
  // stores and repaints; other indices are ignored.
  TColor GetColor(int index) const;
  void SetColor(int index, TColor color);
  TColor ColorFace() const { return FColorFace; }
  TColor ColorGrad() const { return FColorGrad; }
  TColor ColorLight() const { return FColorLight; }
  TColor ColorDark() const { return FColorDark; }
  void SetColorFace(TColor c) { SetColor(0, c); }
  void SetColorGrad(TColor c) { SetColor(1, c); }
  void SetColorLight(TColor c) { SetColor(2, c); }
  void SetColorDark(TColor c) { SetColor(3, c); }

  // Stores the scheme; every scheme but csCustom replaces all four colours; repaints.
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme scheme);
  TFillDirection FillDirection() const { return FFillDirection; }
  void SetFillDirection(TFillDirection direction);  // repaints
  // Stored without repaint, like InternNr (a free number for the user, unused in painting).
  TPenStyle FillStyle() const { return FFillStyle; }
  void SetFillStyle(TPenStyle style) { FFillStyle = style; }
  int32_t InternNr() const { return FInternNr; }
  void SetInternNr(int32_t value) { FInternNr = value; }

  // The panel's own properties; each setter repaints.
  TAlignment Alignment() const { return FAlignment; }  // default taCenter
  void SetAlignment(TAlignment alignment);
  TBevelCut BevelInner() const { return FBevelInner; }  // default bvNone
  void SetBevelInner(TBevelCut cut);
  TBevelCut BevelOuter() const { return FBevelOuter; }  // default bvRaised
  void SetBevelOuter(TBevelCut cut);
  int BevelWidth() const { return FBevelWidth; }  // default 1; values below 1 count as 1
  void SetBevelWidth(int width);
  std::wstring Caption() const;
  void SetCaption(const std::wstring& caption);
  HFONT Font() const { return FFont; }
  void SetFont(HFONT font);
  TColor FontColor() const { return FFontColor; }  // default black
  void SetFontColor(TColor color);

  // Draws the whole panel into dc at 0, 0 through an off-screen bitmap of the client size.
  void Paint(HDC dc) const;

  TXiPanel(const TXiPanel&) = delete;
  TXiPanel& operator=(const TXiPanel&) = delete;

 private:
  friend bool RegisterXiPanelClass(HINSTANCE instance);
  explicit TXiPanel(HWND window);  // the defaults, then ColorScheme := csDesert
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Repaint() const;

  // The control's own fields, in declared order.
  TColor FColorFace = clWhite;
  TColor FColorGrad = clWhite;
  TColor FColorLight = clSilver;
  TColor FColorDark = clBlack;
  TFillDirection FFillDirection = fdVertical;
  TColorScheme FColorScheme = csCustom;
  TPenStyle FFillStyle = psSolid;
  int32_t FInternNr = 0;

  // The panel's.
  HWND FHandle;
  TAlignment FAlignment = taCenter;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  HFONT FFont = nullptr;
  TColor FFontColor = clBlack;
};

// Gives a panel the state of the wizard window's bottom bar XiPanel2: no outer or inner bevel,
// no caption, colours white / 193,224,255 / 77,150,240 / 0,89,179, csSky, fdVertical.
void ConfigureXiPanel2(TXiPanel& panel);
