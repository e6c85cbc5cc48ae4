// What the window shows after start: caption, welcome and version texts, the status bar, the
// agreement and notes files, and the layout at run time.
#include "controls/XiPanel.h"
#include "tests/e2e/Scenario.h"

namespace {
struct Rows {
  int top, bottom;
};
Rows RowsOf(const RECT& r) { return {r.top, r.bottom}; }
}  // namespace

TEST(StartUp, CaptionTextsAndLayoutAfterStart) {
  Distribution dist(L"startup");
  dist.writeFile(L"Ostrauwen_1-2.dat", kEmptyArchive);
  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist));
  EXPECT_EQ(app.WindowTitle(), L"Addon Drivona2 Ostrauwen Version 1.2 - Setup");
  EXPECT_EQ(app.Text(ctl::stIntro),
            L"\r\nMit &diesem Programm installieren Sie das Addon \"Drivona2 Ostrauwen Version 1.2\" für Drivona 2 - "
            L"Der Fahrgastsimulator");
  EXPECT_EQ(app.Text(ctl::stVersion), L"Version 1.0 (1.0.2.41)");

  const RECT client = app.MainClientRect();
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 460);
  const RECT bar = app.ClientRectOf(ctl::XiPanel2);
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.right, 601);
  EXPECT_EQ(RowsOf(bar).top, 372);
  EXPECT_EQ(RowsOf(bar).bottom, 441);
  const RECT status = app.ClientRectOf(ctl::sbMain);
  EXPECT_EQ(status.top, 441);
  EXPECT_EQ(status.bottom, 460);
  EXPECT_EQ(status.right - status.left, 600);
  for (int id : {ctl::btBack, ctl::btWeiter, ctl::btAbbrechen}) {
    const RECT b = app.ClientRectOf(id);
    EXPECT_EQ(b.top, 395) << id;
    EXPECT_EQ(b.bottom, 420) << id;
  }
  EXPECT_EQ(app.ClientRectOf(ctl::btBack).left, 336);
  EXPECT_EQ(app.ClientRectOf(ctl::btAbbrechen).left, 512);
  const RECT page = app.ClientRectOf(ctl::gbPage1);
  EXPECT_EQ(page.left, 253);
  EXPECT_EQ(page.top, 87);
  EXPECT_EQ(page.right - page.left, 340);
  EXPECT_EQ(page.bottom - page.top, 280);
  EXPECT_EQ(app.ClientRectOf(ctl::Panel2).right - app.ClientRectOf(ctl::Panel2).left, 602);

  // Where controls overlap, the later one lies on top (comes first from the top of the stack).
  auto depth = [&](int id) {
    int n = 0;
    for (HWND w = GetWindow(app.MainWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT), ++n)
      if (w == app.Control(id)) return n;
    return -1;
  };
  for (auto [below, above] : {std::pair{ctl::imTop, ctl::laStepDisplay}, std::pair{ctl::XiPanel2, ctl::Panel1},
                              std::pair{ctl::XiPanel2, ctl::btWeiter}, std::pair{ctl::Panel1, ctl::btBack}}) {
    EXPECT_LT(depth(above), depth(below)) << above << " over " << below;
  }

  // The right panel is CopyrightSize wide: 37 digit widths plus one text height of the bar's font.
  const std::vector<int> parts = app.StatusBarParts(ctl::sbMain);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[1], -1);
  // The window's default font, "MS Sans Serif" 11 pixels (font handles do not cross processes).
  HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE digit{};
  GetTextExtentPoint32W(dc, L"8", 1, &digit);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  DeleteObject(font);
  EXPECT_EQ(600 - parts[0], 37 * digit.cx + digit.cy);
}

TEST(StartUp, AgreementAndNotesFilesReplaceTheBuiltInTextsOnce) {
  const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252 Vertrag aus der Datei: Gr\\'f6\\'dfe\\par}";
  const std::string readme = "\xEF\xBB\xBFHinweise aus der Datei: \xC3\xA4\xC3\xB6\xC3\xBC \xC3\x9F";
  struct Case {
    bool withFiles;
    const wchar_t* agreementStart;
    const wchar_t* notesStart;
  };
  for (const Case& c : {Case{true, L"Vertrag aus der Datei: Größe", L"Hinweise aus der Datei: äöü ß"},
                        Case{false, L"Lizenzvertrag für das Addon", L"Hinweise zur Installation"}}) {
    SCOPED_TRACE(c.withFiles ? "with files" : "built-in");
    Distribution dist(L"texts");
    dist.writeFile(L"Ostrauwen_1-2.dat", kEmptyArchive);
    if (c.withFiles) {
      dist.writeFile(L"Lizenzvertrag.rtf", rtf);
      dist.writeFile(L"Readme.txt", readme);
    }
    SetupApp app;
    ASSERT_TRUE(StartWizard(app, dist));
    EXPECT_EQ(app.Text(ctl::reLizenz).rfind(c.agreementStart, 0), 0u) << "agreement";
    EXPECT_EQ(app.Text(ctl::meReadme).rfind(c.notesStart, 0), 0u) << "notes";

    // A later activation reloads nothing and keeps the step.
    ASSERT_TRUE(app.Click(ctl::btWeiter));
    dist.writeFile(L"Readme.txt", "\xEF\xBB\xBFGe\xC3\xA4ndert");
    PostMessageW(app.MainWindow(), WM_ACTIVATE, WA_INACTIVE, 0);
    PostMessageW(app.MainWindow(), WM_ACTIVATE, WA_ACTIVE, 0);
    app.Sync();
    Sleep(200);
    app.Sync();
    EXPECT_EQ(app.Text(ctl::meReadme).rfind(c.notesStart, 0), 0u) << "after activation";
    EXPECT_EQ(app.Text(ctl::laStepDisplay), L"Lizenzvereinbarung");
  }
}

// The bottom bar read back from the screen: one gradient line per pixel row.
TEST(StartUp, BottomBarPaintsTheComputedGradient) {
  Distribution dist(L"gradient");
  dist.writeFile(L"Ostrauwen_1-2.dat", kEmptyArchive);
  SetupApp app;
  ASSERT_TRUE(StartWizard(app, dist));
  SetForegroundWindow(app.MainWindow());
  app.Sync();
  Sleep(300);
  HWND bar = app.Control(ctl::XiPanel2);
  RECT r;
  GetWindowRect(bar, &r);
  const std::vector<TGradientLine> lines =
      GradientLines(0, 0, r.right - r.left, r.bottom - r.top, kXiPanel2Colors.face, kXiPanel2Colors.grad, fdVertical);
  ASSERT_EQ(lines.size(), 69u);
  HDC screen = GetDC(nullptr);
  // Column 10 lies left of the buttons; rows 0 and 1 lie under the raised line Panel1.
  for (int row = 2; row < 69; ++row) {
    const COLORREF seen = GetPixel(screen, r.left + 10, r.top + row);
    EXPECT_EQ(seen, lines[static_cast<size_t>(row)].color) << "row " << row;
  }
  ReleaseDC(nullptr, screen);
}
