// XiPanel: the arithmetic of the gradient panel TXiPanel, free of any window system, so that the
// Win32 painter (controls/XiPanel_win.h) only turns these numbers into GDI calls.
//
// Colours are Windows COLORREF values: red in the lowest byte, green next, blue in the third.
// Coordinates are those of the panel's off-screen bitmap: 0, 0 is its top-left pixel.
#pragma once
#include <cstdint>
#include <vector>

using TColor = uint32_t;

constexpr TColor RgbColor(uint8_t r, uint8_t g, uint8_t b) {
  return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}
constexpr uint8_t RedOf(TColor c) { return uint8_t(c); }
constexpr uint8_t GreenOf(TColor c) { return uint8_t(c >> 8); }
constexpr uint8_t BlueOf(TColor c) { return uint8_t(c >> 16); }

inline constexpr TColor clWhite = RgbColor(255, 255, 255);
inline constexpr TColor clBlack = RgbColor(0, 0, 0);
inline constexpr TColor clSilver = RgbColor(192, 192, 192);

enum TFillDirection : uint8_t { fdHorizontal = 0, fdVertical = 1, fdDiagonal = 2 };
enum TColorScheme : uint8_t { csCustom = 0, csDesert, csGrass, csSilver, csSky, csRose, csSun };

// Line style of the gradient lines; the values are those of the Windows pen styles (PS_SOLID ...).
enum TPenStyle : uint8_t {
  psSolid = 0, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame
};
// Kind of a panel bevel and horizontal alignment of the caption.
enum TBevelCut : uint8_t { bvNone = 0, bvLowered, bvRaised, bvSpace };
enum TAlignment : uint8_t { taLeftJustify = 0, taRightJustify, taCenter };

// The four colours of a panel, in the order of the indexed colour property (0 face ... 3 dark).
struct TXiPanelColors {
  TColor face = clWhite;  // gradient start
  TColor grad = clWhite;  // gradient end
  TColor light = clSilver;  // bevel light colour
  TColor dark = clBlack;    // bevel dark colour
  bool operator==(const TXiPanelColors&) const = default;
};

// Applies a colour scheme: every scheme but csCustom sets face to white and grad, light and dark
// from its table; csCustom leaves all four colours as they are.
void ApplyColorScheme(TColorScheme scheme, TXiPanelColors& colors);

// The bottom bar of the wizard window as stored: white to RGB 193,224,255 with the sky bevels.
inline constexpr TXiPanelColors kXiPanel2Colors{RgbColor(255, 255, 255), RgbColor(193, 224, 255),
                                                RgbColor(77, 150, 240), RgbColor(0, 89, 179)};

// One gradient line: drawn like GDI's MoveTo(x1, y1) + LineTo(x2, y2), so (x2, y2) is not painted.
struct TGradientLine {
  int x1, y1, x2, y2;
  TColor color;
  bool operator==(const TGradientLine&) const = default;
};

// Number of gradient lines for a rectangle: its width, its height or, diagonally, their sum.
int GradientLineCount(TFillDirection direction, int left, int top, int right, int bottom);

// The gradient from start to end over left, top, right, bottom: line i has the colour
// start + i * (end - start) / n per channel (accumulated in double precision, rounded half to
// even), so line 0 is the start colour and the last line is one step short of the end colour.
// Vertical lines are pixel rows, horizontal ones pixel columns, diagonal ones run from the top
// edge down to the left edge. Empty for a rectangle without extent in the fill direction.
std::vector<TGradientLine> GradientLines(int left, int top, int right, int bottom, TColor start,
                                         TColor end, TFillDirection direction);

// Horizontal caption position in a panel of the given width: left-justified BevelWidth + 2 from
// the left, right-justified BevelWidth + 2 from the right, centred (width - caption) / 2 truncated
// toward zero; with both bevels drawn the justified positions move one more BevelWidth inwards.
int CaptionX(TAlignment alignment, int panelWidth, int bevelWidth, bool bothBevels,
             int captionWidth);
// Vertical caption position: (panel height - height of the text "AaBbCcDd") / 2, truncated.
int CaptionY(int panelHeight, int textHeight);
inline constexpr wchar_t kCaptionHeightSample[] = L"AaBbCcDd";

// One ring of a bevel. The ring is drawn with a pen 2 pixels wide as the polyline
// (left, bottom) -> (left, top) -> (right, top) in topLeft, then (right, top) -> (right, bottom)
// -> (left, bottom) in bottomRight. right and bottom are pixel coordinates inside the bitmap:
// ring k (inset k) runs from k, k to width - 1 - k, height - 1 - k, so every ring's centre line
// lies on the bitmap's pixels and the outermost ring is the bitmap's border.
struct TBevelRing {
  int left, top, right, bottom;
  TColor topLeft, bottomRight;
  bool operator==(const TBevelRing&) const = default;
};

// The rings of both bevels in drawing order: the outer bevel from inset 0, then the inner bevel
// from inset BevelWidth when an outer bevel is drawn, else from inset 0; each bevel has
// BevelWidth rings. Raised and space bevels are light at the top and left, lowered ones dark.
std::vector<TBevelRing> BevelRings(int width, int height, TBevelCut outer, TBevelCut inner,
                                   int bevelWidth, TColor light, TColor dark);
