// The gradient panel's arithmetic: gradient lines, colour schemes, caption position, bevel rings.
#include "controls/XiPanel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(XiPanelGradient, BottomBarRowsRunFromWhiteToOneStepShortOfSkyBlue) {
  const auto lines = GradientLines(0, 0, 601, 69, kXiPanel2Colors.face, kXiPanel2Colors.grad,
                                   fdVertical);
  ASSERT_EQ(lines.size(), 69u);
  for (int i = 0; i < 69; ++i) {
    // white + i * (193,224,255 - white) / 69, rounded
    const auto channel = [i](int from, int to) {
      return uint8_t(std::lround(from + i * double(to - from) / 69));
    };
    const TColor want = RgbColor(channel(255, 193), channel(255, 224), channel(255, 255));
    EXPECT_EQ(lines[i], (TGradientLine{0, i, 601, i, want})) << "row " << i;
  }
  EXPECT_EQ(lines.front().color, RgbColor(255, 255, 255));
  EXPECT_EQ(lines.back().color, RgbColor(194, 224, 255));
}

TEST(XiPanelGradient, DirectionsGiveLineCountAndEndPoints) {
  // A 10 x 4 rectangle at 2, 3 from black to RGB 100, 0, 200.
  struct Case {
    TFillDirection direction;
    size_t count;
    TGradientLine first, last;
  };
  const Case cases[] = {
      {fdVertical, 4, {2, 3, 12, 3, 0}, {2, 6, 12, 6, RgbColor(75, 0, 150)}},
      {fdHorizontal, 10, {2, 3, 2, 7, 0}, {11, 3, 11, 7, RgbColor(90, 0, 180)}},
      // diagonal lines end one pixel beyond the left edge so that it gets painted too
      {fdDiagonal, 14, {2, 3, 1, 4, 0}, {15, 3, 1, 17, RgbColor(93, 0, 186)}},
  };
  for (const Case& c : cases) {
    const auto lines = GradientLines(2, 3, 12, 7, clBlack, RgbColor(100, 0, 200), c.direction);
    ASSERT_EQ(lines.size(), c.count) << int(c.direction);
    EXPECT_EQ(lines.front(), c.first) << int(c.direction);
    EXPECT_EQ(lines.back(), c.last) << int(c.direction);
  }
  EXPECT_TRUE(GradientLines(0, 0, 0, 0, clBlack, clWhite, fdDiagonal).empty());
}

TEST(XiPanelGradient, RoundsHalfToEven) {
  // 0 -> 5 over 2 lines: 0, 2.5 (to 2); 0 -> 7 over 2: 0, 3.5 (to 4).
  const auto lines = GradientLines(0, 0, 1, 2, clBlack, RgbColor(5, 7, 0), fdVertical);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].color, RgbColor(2, 4, 0));
}

TEST(XiPanelScheme, EverySchemeSetsItsColours) {
  struct Case {
    TColorScheme scheme;
    TXiPanelColors want;
  };
  const Case cases[] = {
      {csDesert, {clWhite, RgbColor(255, 225, 164), RgbColor(213, 143, 0), RgbColor(155, 105, 0)}},
      {csGrass, {clWhite, RgbColor(203, 242, 176), RgbColor(106, 181, 62), RgbColor(55, 111, 21)}},
      {csSilver, {clWhite, RgbColor(222, 224, 218), RgbColor(125, 125, 125), RgbColor(98, 98, 98)}},
      {csSky, {clWhite, RgbColor(193, 224, 255), RgbColor(77, 150, 240), RgbColor(0, 89, 179)}},
      {csRose, {clWhite, RgbColor(255, 204, 204), RgbColor(204, 81, 6), RgbColor(157, 0, 0)}},
      {csSun, {clWhite, RgbColor(255, 255, 191), RgbColor(149, 149, 0), RgbColor(100, 100, 0)}},
  };
  const TXiPanelColors setOneByOne{RgbColor(1, 2, 3), RgbColor(4, 5, 6), RgbColor(7, 8, 9),
                                   RgbColor(10, 11, 12)};
  for (const Case& c : cases) {
    TXiPanelColors colors = setOneByOne;
    ApplyColorScheme(c.scheme, colors);
    EXPECT_EQ(colors, c.want) << int(c.scheme);
  }
  TXiPanelColors colors = setOneByOne;
  ApplyColorScheme(csCustom, colors);
  EXPECT_EQ(colors, setOneByOne);
  EXPECT_EQ(kXiPanel2Colors, cases[3].want);
}

TEST(XiPanelCaption, BothBevelsMoveJustifiedCaptionsInwardsOnly) {
  // Panel 200 wide, caption 50 wide, BevelWidth 3.
  struct Case {
    TAlignment alignment;
    int outerOnly, both;
  };
  const Case cases[] = {
      {taLeftJustify, 5, 8},
      {taRightJustify, 145, 142},
      {taCenter, 75, 75},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CaptionX(c.alignment, 200, 3, false, 50), c.outerOnly) << int(c.alignment);
    EXPECT_EQ(CaptionX(c.alignment, 200, 3, true, 50), c.both) << int(c.alignment);
  }
  EXPECT_EQ(CaptionX(taCenter, 10, 1, false, 15), -2);  // -5 / 2 truncates toward zero
  EXPECT_EQ(CaptionY(69, 13), 28);
  EXPECT_EQ(CaptionY(5, 8), -1);
}

TEST(XiPanelBevel, RingsStayInsideTheBitmapInDrawingOrder) {
  const TColor L = RgbColor(1, 1, 1), D = RgbColor(2, 2, 2);
  const std::vector<TBevelRing> both = BevelRings(20, 10, bvRaised, bvLowered, 2, L, D);
  const std::vector<TBevelRing> wantBoth = {
      {0, 0, 19, 9, L, D}, {1, 1, 18, 8, L, D},  // outer, raised
      {2, 2, 17, 7, D, L}, {3, 3, 16, 6, D, L},  // inner from BevelWidth, lowered
  };
  EXPECT_EQ(both, wantBoth);
  const std::vector<TBevelRing> innerOnly = {{0, 0, 19, 9, L, D}};
  EXPECT_EQ(BevelRings(20, 10, bvNone, bvSpace, 1, L, D), innerOnly);
  EXPECT_TRUE(BevelRings(20, 10, bvNone, bvNone, 4, L, D).empty());
}

}  // namespace
