// The wizard window's controls as data: one row per control in creation order (which is also
// z-order and tab order), with the rectangle as designed for a 1010 x 613 client area and the
// edges the control is anchored to. The window builds every control from this table in one loop.
#pragma once
#include <cstdint>
#include <span>

#include "wizard/ControlIds.h"

enum class ControlKind : uint8_t {
  Picture,      // JPEG picture, stretched
  Label,        // text on the banner, sized to its text
  ResultLabel,  // text on a page, sized to its text
  GradientPanel,
  BevelLine,    // plain panel with a raised bevel, used as a 2-pixel line
  Button,
  ImageButton,  // button showing the folder symbol
  StatusBar,
  PageBox,      // group box without caption that holds one step's controls
  StaticText,
  RichText,
  RadioButton,
  Memo,
  LabeledEdit,  // edit with a label above it
  SideLabeledEdit,  // edit with a label on its left
  CheckBox,
  ProgressBar,
};

enum Anchor : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

struct Rect {
  int left, top, width, height;
  bool operator==(const Rect&) const = default;
};

// Per-control style choices that the window maps onto Win32 style bits.
enum ControlFlag : uint16_t {
  cfNone = 0,
  cfCentered = 1,
  cfRightAligned = 2,
  cfSunken = 4,
  cfReadOnly = 8,
  cfNoTabStop = 16,
  cfChecked = 32,
  cfButtonFace = 64,  // read-only edit painted in the button-face colour
  cfHidden = 128,
  cfFontArialBold13 = 256,
  cfFontSans13 = 512,
};

struct ControlSpec {
  ControlKind kind;
  int id;           // ctl::Id
  const char* name;
  int parent;       // ctl::Id of the page box, or 0 for the window itself
  Rect designed;    // relative to the parent
  uint8_t anchors;
  const wchar_t* caption;
  int tag;          // translation id, 0 = none
  uint16_t flags;
};

inline constexpr int kDesignedClientWidth = 1010;
inline constexpr int kDesignedClientHeight = 613;
inline constexpr int kClientWidth = 600;
inline constexpr int kClientHeight = 460;

std::span<const ControlSpec> WizardControls();
const ControlSpec* FindControl(int id);

// The rectangle after the parent's client area changed from `from` to `to` (width, height):
// a control anchored left and right keeps both distances, anchored right only moves with the
// right edge, and likewise for top and bottom.
Rect ApplyAnchors(const Rect& designed, uint8_t anchors, int fromWidth, int fromHeight, int toWidth,
                  int toHeight);
