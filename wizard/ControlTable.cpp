#include "wizard/ControlTable.h"

#include <algorithm>
#include <array>

namespace {

using K = ControlKind;
constexpr uint8_t lt = akLeft | akTop;
constexpr uint8_t lb = akLeft | akBottom;
constexpr uint8_t ltr = akLeft | akTop | akRight;
constexpr uint8_t lrb = akLeft | akRight | akBottom;

// Designed rectangles: a bottom-anchored control lies 153 pixels lower and a right-anchored one
// is 410 pixels wider than at run time, where the client area is 600 x 460.
constexpr std::array kControls{
    ControlSpec{K::Picture, ctl::imTop, "imTop", 0, {8, 4, 584, 70}, lt, L"", 0, cfNone},
    ControlSpec{K::Label, ctl::laStepDisplay, "laStepDisplay", 0, {24, 28, 0, 0}, lt, L"", 0, cfNone},
    ControlSpec{K::Picture, ctl::imLeft, "imLeft", 0, {8, 88, 241, 277}, lt, L"", 0, cfNone},
    ControlSpec{K::GradientPanel, ctl::XiPanel2, "XiPanel2", 0, {0, 525, 1011, 69}, lrb, L"", 0, cfNone},
    ControlSpec{K::BevelLine, ctl::Panel1, "Panel1", 0, {-1, 525, 1012, 2}, lrb, L"", 0, cfNone},
    ControlSpec{K::Button, ctl::btBack, "btBack", 0, {336, 548, 75, 25}, lb, L"&Zurück", 0, cfNone},
    ControlSpec{K::Button, ctl::btWeiter, "btWeiter", 0, {424, 548, 75, 25}, lb, L"&Weiter", 0, cfNone},
    ControlSpec{K::Button, ctl::btAbbrechen, "btAbbrechen", 0, {512, 548, 75, 25}, lb, L"&Abbrechen", 0, cfNone},
    ControlSpec{K::StatusBar, ctl::sbMain, "sbMain", 0, {0, 594, 1010, 19}, lrb, L"", 0, cfNone},
    ControlSpec{K::BevelLine, ctl::Panel2, "Panel2", 0, {-2, 80, 1012, 2}, ltr, L"", 0, cfNone},

    ControlSpec{K::PageBox, ctl::gbPage1, "gbPage1", 0, {253, 87, 340, 280}, lt, L"", 0, cfHidden},
    ControlSpec{K::StaticText, ctl::stIntro, "stIntro", ctl::gbPage1, {8, 24, 319, 77}, lt,
                L"Willkommen", 101, cfCentered | cfSunken | cfFontArialBold13},
    ControlSpec{K::StaticText, ctl::stVersion, "stVersion", ctl::gbPage1, {8, 252, 317, 18}, lt,
                L"Version 1.0 (%s)", 102, cfRightAligned | cfSunken | cfFontSans13},

    ControlSpec{K::PageBox, ctl::gbPage2, "gbPage2", 0, {253, 87, 340, 280}, lt, L"", 0, cfHidden},
    ControlSpec{K::RichText, ctl::reLizenz, "reLizenz", ctl::gbPage2, {5, 18, 330, 214}, lt, L"", 0, cfReadOnly},
    ControlSpec{K::RadioButton, ctl::rbAccept, "rbAccept", ctl::gbPage2, {3, 236, 310, 17}, lt,
                L"Lizenzvertrag zustimmen", 0, cfNone},
    ControlSpec{K::RadioButton, ctl::rbNoAccept, "rbNoAccept", ctl::gbPage2, {3, 259, 318, 17}, lt,
                L"Lizenzvertrag ablehnen", 0, cfNone},

    ControlSpec{K::PageBox, ctl::gbPage3, "gbPage3", 0, {253, 87, 340, 280}, lt, L"", 0, cfHidden},
    ControlSpec{K::Memo, ctl::meReadme, "meReadme", ctl::gbPage3, {5, 18, 330, 257}, lt, L"", 0, cfReadOnly},

    ControlSpec{K::PageBox, ctl::gbPage6, "gbPage6", 0, {253, 87, 340, 280}, lt, L"", 0, cfHidden},
    ControlSpec{K::LabeledEdit, ctl::LeDestination, "LeDestination", ctl::gbPage6, {7, 29, 290, 21}, lt,
                L"Zielverzeichnis", 0, cfReadOnly},
    ControlSpec{K::ImageButton, ctl::btDestPath, "btDestPath", ctl::gbPage6, {303, 29, 22, 21}, lt, L"", 0, cfNone},
    ControlSpec{K::SideLabeledEdit, ctl::leBenoetigt, "leBenoetigt", ctl::gbPage6, {52, 53, 97, 21}, lt,
                L"Benötigt:", 0, cfRightAligned | cfNoTabStop | cfReadOnly},
    ControlSpec{K::SideLabeledEdit, ctl::leFrei, "leFrei", ctl::gbPage6, {200, 53, 97, 21}, lt, L"Frei:", 0,
                cfRightAligned | cfNoTabStop | cfReadOnly},
    ControlSpec{K::LabeledEdit, ctl::leSource, "leSource", ctl::gbPage6, {7, 118, 290, 21}, lt,
                L"Quell-Verzeichnis", 0, cfReadOnly},
    ControlSpec{K::ImageButton, ctl::btSourcePath, "btSourcePath", ctl::gbPage6, {303, 118, 22, 21}, lt, L"", 0,
                cfNone},
    ControlSpec{K::CheckBox, ctl::cbSaveFiles, "cbSaveFiles", ctl::gbPage6, {7, 174, 226, 17}, lt,
                L"Dateien die überschrieben werden sichern", 0, cfChecked},

    ControlSpec{K::PageBox, ctl::gbPage7, "gbPage7", 0, {253, 87, 340, 280}, lt, L"", 0, cfHidden},
    ControlSpec{K::LabeledEdit, ctl::leFortschritt, "leFortschritt", ctl::gbPage7, {9, 68, 315, 21}, lt,
                L"Fortschritt", 0, cfReadOnly | cfButtonFace},
    ControlSpec{K::ProgressBar, ctl::pgFortschritt, "pgFortschritt", ctl::gbPage7, {9, 95, 315, 17}, lt, L"", 0,
                cfNone},
    ControlSpec{K::ResultLabel, ctl::laSetupRslt, "laSetupRslt", ctl::gbPage7, {11, 250, 0, 0}, lt, L"", 0,
                cfNone},
};

}  // namespace

std::span<const ControlSpec> WizardControls() { return kControls; }

const ControlSpec* FindControl(int id) {
  auto it = std::find_if(kControls.begin(), kControls.end(), [id](const ControlSpec& c) { return c.id == id; });
  return it == kControls.end() ? nullptr : &*it;
}

Rect ApplyAnchors(const Rect& r, uint8_t anchors, int fromWidth, int fromHeight, int toWidth, int toHeight) {
  Rect out = r;
  const int dx = toWidth - fromWidth;
  const int dy = toHeight - fromHeight;
  if (anchors & akRight) {
    if (anchors & akLeft)
      out.width += dx;
    else
      out.left += dx;
  }
  if (anchors & akBottom) {
    if (anchors & akTop)
      out.height += dy;
    else
      out.top += dy;
  }
  return out;
}
