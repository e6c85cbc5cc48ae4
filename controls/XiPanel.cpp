// The arithmetic of the gradient panel: schemes, gradient lines, caption position, bevel rings.
#include "controls/XiPanel.h"

#include <cmath>

namespace {

struct SchemeEntry {
  TColor grad, light, dark;
};

// Indexed by TColorScheme; csCustom's entry is never used.
constexpr SchemeEntry kSchemes[] = {
    {0, 0, 0},                                                                  // csCustom
    {RgbColor(255, 225, 164), RgbColor(213, 143, 0), RgbColor(155, 105, 0)},    // csDesert
    {RgbColor(203, 242, 176), RgbColor(106, 181, 62), RgbColor(55, 111, 21)},   // csGrass
    {RgbColor(222, 224, 218), RgbColor(125, 125, 125), RgbColor(98, 98, 98)},   // csSilver
    {RgbColor(193, 224, 255), RgbColor(77, 150, 240), RgbColor(0, 89, 179)},    // csSky
    {RgbColor(255, 204, 204), RgbColor(204, 81, 6), RgbColor(157, 0, 0)},       // csRose
    {RgbColor(255, 255, 191), RgbColor(149, 149, 0), RgbColor(100, 100, 0)},    // csSun
};

// Rounds to the nearest integer with ties to even (the default floating-point rounding mode)
// and keeps the low byte, as a colour channel.
uint8_t ChannelByte(double value) { return uint8_t(static_cast<long>(std::nearbyint(value))); }

}  // namespace

void ApplyColorScheme(TColorScheme scheme, TXiPanelColors& colors) {
  if (scheme == csCustom || scheme > csSun) return;
  const SchemeEntry& e = kSchemes[scheme];
  colors = {clWhite, e.grad, e.light, e.dark};
}

int GradientLineCount(TFillDirection direction, int left, int top, int right, int bottom) {
  switch (direction) {
    case fdHorizontal: return right - left;
    case fdVertical: return bottom - top;
    case fdDiagonal: return (bottom - top) + (right - left);
  }
  return 0;
}

std::vector<TGradientLine> GradientLines(int left, int top, int right, int bottom, TColor start,
                                         TColor end, TFillDirection direction) {
  std::vector<TGradientLine> lines;
  const int n = GradientLineCount(direction, left, top, right, bottom);
  if (n <= 0) return lines;
  lines.reserve(size_t(n));
  double r = RedOf(start), g = GreenOf(start), b = BlueOf(start);
  const double stepR = (double(RedOf(end)) - r) / n;
  const double stepG = (double(GreenOf(end)) - g) / n;
  const double stepB = (double(BlueOf(end)) - b) / n;
  for (int i = 0; i < n; ++i) {
    const TColor color = RgbColor(ChannelByte(r), ChannelByte(g), ChannelByte(b));
    switch (direction) {
      case fdVertical: lines.push_back({left, top + i, right, top + i, color}); break;
      case fdHorizontal: lines.push_back({left + i, top, left + i, bottom, color}); break;
      // From (left + i, top) down to (left, top + i) inclusive: the end lies one pixel beyond,
      // because the line's last point is not painted and the left column would stay empty.
      case fdDiagonal: lines.push_back({left + i, top, left - 1, top + i + 1, color}); break;
    }
    r += stepR;
    g += stepG;
    b += stepB;
  }
  return lines;
}

int CaptionX(TAlignment alignment, int panelWidth, int bevelWidth, bool bothBevels,
             int captionWidth) {
  const int extra = bothBevels ? bevelWidth : 0;
  switch (alignment) {
    case taLeftJustify: return bevelWidth + 2 + extra;
    case taRightJustify: return panelWidth - bevelWidth - 2 - captionWidth - extra;
    case taCenter: break;
  }
  return (panelWidth - captionWidth) / 2;  // C++ division truncates toward zero
}

int CaptionY(int panelHeight, int textHeight) { return (panelHeight - textHeight) / 2; }

std::vector<TBevelRing> BevelRings(int width, int height, TBevelCut outer, TBevelCut inner,
                                   int bevelWidth, TColor light, TColor dark) {
  std::vector<TBevelRing> rings;
  auto addBevel = [&](TBevelCut cut, int start) {
    if (cut == bvNone) return;
    const bool lowered = cut == bvLowered;
    for (int k = 0; k < bevelWidth; ++k) {
      const int inset = start + k;
      rings.push_back({inset, inset, width - 1 - inset, height - 1 - inset,
                       lowered ? dark : light, lowered ? light : dark});
    }
  };
  addBevel(outer, 0);
  addBevel(inner, outer != bvNone ? bevelWidth : 0);
  return rings;
}
