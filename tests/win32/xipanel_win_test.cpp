// The gradient panel and the picture control as real windows: what they paint on the screen and
// through PrintWindow, and the decoding of the program's JPEG resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/Picture.h"
#include "controls/PictureScale.h"
#include "controls/XiPanel_win.h"
#include "resources/resource_ids.h"

namespace {

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// A visible top-level window with a client area of 640 x 480 to place controls on.
class HostWindow {
 public:
  HostWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = Instance();
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"XiPanelTestHost";
    RegisterClassExW(&wc);  // fails harmlessly when registered by an earlier test
    RECT r{0, 0, 640, 480};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    window = CreateWindowExW(0, wc.lpszClassName, L"XiPanel test", WS_OVERLAPPEDWINDOW, 20, 20,
                             r.right - r.left, r.bottom - r.top, nullptr, nullptr, Instance(),
                             nullptr);
    RegisterXiPanelClass(Instance());
    RegisterPictureClass(Instance());
  }
  ~HostWindow() { DestroyWindow(window); }
  void Show() {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    for (int i = 0; i < 10; ++i) {  // let the X server map and expose the window
      PumpPending();
      Sleep(20);
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpPending();
  }
  HWND window = nullptr;
};

// Pixels of a 32-bit top-down bitmap as COLORREF values (red in the lowest byte).
struct Pixels {
  int width = 0, height = 0;
  std::vector<TColor> colors;
  TColor at(int x, int y) const { return colors[size_t(y) * size_t(width) + size_t(x)]; }
};

TColor FromDib(uint32_t p) { return RgbColor(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)); }

// Captures width x height pixels: draw(dc) renders into a 32-bit DIB section.
template <class Draw>
Pixels Capture(int width, int height, Draw draw) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  draw(dc);
  GdiFlush();
  Pixels out{width, height, {}};
  const auto* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < size_t(width) * size_t(height); ++i) out.colors.push_back(FromDib(p[i]));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return out;
}

// What the window shows on the screen.
Pixels ScreenPixels(HWND window, int width, int height) {
  return Capture(width, height, [&](HDC target) {
    HDC screen = GetDC(window);
    BitBlt(target, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    ReleaseDC(window, screen);
  });
}

// What the window paints for PrintWindow.
Pixels PrintedPixels(HWND window, int width, int height) {
  return Capture(width, height, [&](HDC target) { PrintWindow(window, target, PW_CLIENTONLY); });
}

// Checks that every pixel of row y has the colour of gradient line y; stops at the first miss.
void ExpectRowsMatchGradient(const Pixels& pixels, const std::vector<TGradientLine>& lines,
                             const char* how) {
  ASSERT_EQ(lines.size(), size_t(pixels.height));
  for (int y = 0; y < pixels.height; ++y) {
    for (int x = 0; x < pixels.width; ++x) {
      if (pixels.at(x, y) != lines[size_t(y)].color) {
        ADD_FAILURE() << how << ": pixel " << x << ", " << y << " is " << std::hex
                      << pixels.at(x, y) << ", want " << lines[size_t(y)].color;
        return;
      }
    }
  }
}

TEST(XiPanelWindow, BottomBarPaintsOneGradientLinePerRow) {
  HostWindow host;
  TXiPanel* panel = TXiPanel::Create(host.window, 100, {0, 372, 601, 441});
  ASSERT_NE(panel, nullptr);
  ConfigureXiPanel2(*panel);
  host.Show();

  const auto lines =
      GradientLines(0, 0, 601, 69, kXiPanel2Colors.face, kXiPanel2Colors.grad, fdVertical);
  ASSERT_EQ(lines.back().color, RgbColor(194, 224, 255));
  ExpectRowsMatchGradient(ScreenPixels(panel->Handle(), 601, 69), lines, "screen");
  ExpectRowsMatchGradient(PrintedPixels(panel->Handle(), 601, 69), lines, "PrintWindow");
}

TEST(XiPanelWindow, CreatedByClassNameStartsDesertAndFollowsItsProperties) {
  HostWindow host;
  HWND window = CreateWindowExW(0, kXiPanelClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20,
                                host.window, nullptr, Instance(), nullptr);
  TXiPanel* panel = TXiPanel::FromHwnd(window);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(TXiPanel::FromHwnd(host.window), nullptr);

  const TXiPanelColors desert{clWhite, RgbColor(255, 225, 164), RgbColor(213, 143, 0),
                              RgbColor(155, 105, 0)};
  EXPECT_EQ((TXiPanelColors{panel->ColorFace(), panel->ColorGrad(), panel->ColorLight(),
                            panel->ColorDark()}),
            desert);
  EXPECT_EQ(panel->ColorScheme(), csDesert);
  EXPECT_EQ(panel->FillDirection(), fdVertical);
  EXPECT_EQ(panel->Alignment(), taCenter);

  // Custom colours survive csCustom and show in a horizontal fill.
  panel->SetColor(0, RgbColor(0, 0, 0));
  panel->SetColor(1, RgbColor(100, 50, 250));
  panel->SetColorScheme(csCustom);
  panel->SetFillDirection(fdHorizontal);
  panel->SetBevelOuter(bvNone);
  EXPECT_EQ(panel->GetColor(1), RgbColor(100, 50, 250));
  const Pixels printed = PrintedPixels(window, 50, 20);
  const auto lines = GradientLines(0, 0, 50, 20, RgbColor(0, 0, 0), RgbColor(100, 50, 250),
                                   fdHorizontal);
  for (int x : {0, 17, 49}) EXPECT_EQ(printed.at(x, 10), lines[size_t(x)].color) << x;
}

// Left and right edge of the dark caption pixels of a white panel (the bevel colours used below
// have a high green part and do not count).
std::pair<int, int> CaptionColumns(const Pixels& p) {
  int left = p.width, right = -1;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      if (GreenOf(p.at(x, y)) < 128) left = std::min(left, x), right = std::max(right, x);
  return {left, right};
}

TEST(XiPanelWindow, CaptionAndBevelsPaintWhereTheArithmeticPutsThem) {
  HostWindow host;
  TXiPanel* panel = TXiPanel::Create(host.window, 101, {0, 0, 200, 40});
  ASSERT_NE(panel, nullptr);
  panel->SetColorScheme(csCustom);
  panel->SetColorFace(clWhite);
  panel->SetColorGrad(clWhite);
  // Bevel colours with a high green part, so that only the black caption counts as dark.
  panel->SetColorLight(RgbColor(255, 200, 0));
  panel->SetColorDark(RgbColor(0, 160, 255));
  panel->SetCaption(L"Weiter");
  panel->SetAlignment(taRightJustify);
  panel->SetBevelWidth(3);
  panel->SetBevelOuter(bvRaised);

  const Pixels outerOnly = PrintedPixels(panel->Handle(), 200, 40);
  panel->SetBevelInner(bvLowered);
  const Pixels both = PrintedPixels(panel->Handle(), 200, 40);

  // The outer bevel's light top and dark bottom lie inside the bitmap.
  EXPECT_EQ(outerOnly.at(100, 0), RgbColor(255, 200, 0));
  EXPECT_EQ(outerOnly.at(0, 20), RgbColor(255, 200, 0));
  EXPECT_EQ(outerOnly.at(100, 39), RgbColor(0, 160, 255));
  EXPECT_EQ(outerOnly.at(199, 20), RgbColor(0, 160, 255));
  // The lowered inner bevel starts at inset 3 with the dark colour on top.
  EXPECT_EQ(both.at(100, 3), RgbColor(0, 160, 255));

  HDC dc = GetDC(panel->Handle());
  HGDIOBJ old = SelectObject(dc, panel->Font());
  SIZE size{};
  GetTextExtentPoint32W(dc, L"Weiter", 6, &size);
  SelectObject(dc, old);
  ReleaseDC(panel->Handle(), dc);

  const auto [left1, right1] = CaptionColumns(outerOnly);
  const auto [left2, right2] = CaptionColumns(both);
  ASSERT_LE(left1, right1) << "no caption painted";
  const int x1 = 200 - 3 - 2 - size.cx;  // right-justified, outer bevel only
  EXPECT_GE(left1, x1 - 1);
  EXPECT_LE(right1, x1 + size.cx);
  EXPECT_EQ(left2, left1 - 3);  // both bevels: BevelWidth further left
  EXPECT_EQ(right2, right1 - 3);

  panel->SetAlignment(taCenter);
  const auto centredOuter = CaptionColumns(PrintedPixels(panel->Handle(), 200, 40));
  panel->SetBevelInner(bvNone);
  EXPECT_EQ(CaptionColumns(PrintedPixels(panel->Handle(), 200, 40)), centredOuter);
}

DecodedPicture DecodeResource(int id) {
  size_t size = 0;
  const void* data = FindRcData(Instance(), id, size);
  EXPECT_NE(data, nullptr) << id;
  return data ? DecodeJpeg(data, size) : DecodedPicture();
}

// Average colour of a block of a decoded picture.
TColor Average(const DecodedPicture& p, int x0, int y0, int w, int h) {
  unsigned long r = 0, g = 0, b = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      const uint32_t v = p.bits[size_t(y) * size_t(p.width) + size_t(x)];
      r += (v >> 16) & 0xFF, g += (v >> 8) & 0xFF, b += v & 0xFF;
    }
  const unsigned long n = (unsigned long)(w) * (unsigned long)(h);
  return RgbColor(uint8_t(r / n), uint8_t(g / n), uint8_t(b / n));
}

TEST(PictureControl, ProgramPicturesDecodeToTheirSizesAndColours) {
  const DecodedPicture top = DecodeResource(IDR_PICTURE_TOP);
  ASSERT_TRUE(top.bitmap.get());
  EXPECT_EQ(top.width, 1168);
  EXPECT_EQ(top.height, 140);
  // Where the white step title goes (16, 24 at display size, twice that here): deep blue.
  const TColor title = Average(top, 32, 40, 400, 40);
  EXPECT_LT(RedOf(title), 60);
  EXPECT_LT(GreenOf(title), 90);
  EXPECT_GT(BlueOf(title), RedOf(title) + 50);

  const DecodedPicture left = DecodeResource(IDR_PICTURE_LEFT);
  ASSERT_TRUE(left.bitmap.get());
  EXPECT_EQ(left.width, 482);
  EXPECT_EQ(left.height, 554);
  // Light sky at the top right, bluer than it is red.
  const TColor sky = Average(left, 420, 0, 60, 20);
  EXPECT_GT(RedOf(sky), 200);
  EXPECT_GE(BlueOf(sky), RedOf(sky));

  EXPECT_TRUE(LoadImageW(Instance(), MAKEINTRESOURCEW(IDR_FOLDER_ICON), IMAGE_ICON, 16, 16, 0));
}

TEST(PictureControl, ShowsThePictureResampledToItsClientArea) {
  HostWindow host;
  HWND im = CreateWindowExW(0, kPictureClassName, L"", WS_CHILD | WS_VISIBLE, 8, 4, 584, 70,
                            host.window, nullptr, Instance(), nullptr);
  ASSERT_NE(im, nullptr);
  EXPECT_EQ(PictureSize(im).cx, 0);
  ASSERT_TRUE(SetPictureResource(im, IDR_PICTURE_TOP));
  EXPECT_EQ(PictureSize(im).cx, 1168);
  EXPECT_EQ(PictureSize(im).cy, 140);
  host.Show();

  const DecodedPicture top = DecodeResource(IDR_PICTURE_TOP);
  ASSERT_TRUE(top.bitmap.get());
  const std::vector<uint32_t> source(top.bits, top.bits + size_t(top.width) * size_t(top.height));
  const std::vector<uint32_t> want = ScalePixelsArea(source, 1168, 140, 584, 70);
  const Pixels screen = ScreenPixels(im, 584, 70);
  const Pixels printed = PrintedPixels(im, 584, 70);
  for (auto [x, y] : {std::pair{10, 10}, {300, 35}, {583, 69}}) {
    const TColor expected = FromDib(want[size_t(y) * 584 + size_t(x)]);
    EXPECT_EQ(printed.at(x, y), expected) << x << ", " << y;
    EXPECT_EQ(screen.at(x, y), expected) << x << ", " << y;
  }

  // Data that does not decode leaves the picture as it was.
  const unsigned char garbage[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0};
  EXPECT_FALSE(SetPictureJpeg(im, garbage, sizeof(garbage)));
  EXPECT_FALSE(SetPictureResource(im, 9999));
  EXPECT_EQ(PictureSize(im).cx, 1168);
  DestroyWindow(im);
}

TEST(PictureControl, RejectsDamagedJpegData) {
  size_t size = 0;
  const auto* data = static_cast<const unsigned char*>(FindRcData(Instance(), IDR_PICTURE_LEFT, size));
  ASSERT_NE(data, nullptr);
  std::vector<unsigned char> bytes(data, data + size);
  EXPECT_FALSE(DecodeJpeg(bytes.data(), 2).bitmap.get());        // only the start marker
  EXPECT_FALSE(DecodeJpeg(bytes.data() + 2, size - 2).bitmap.get());  // no start marker
  // Cut inside the image data: libjpeg fills the rest; still a picture of the full size.
  const DecodedPicture cut = DecodeJpeg(bytes.data(), size / 2);
  ASSERT_TRUE(cut.bitmap.get());
  EXPECT_EQ(cut.width, 482);
  EXPECT_FALSE(DecodeJpeg(nullptr, 0).bitmap.get());
}

}  // namespace
