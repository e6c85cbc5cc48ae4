// The wizard window: control creation from the control table, the step flow and closing.
#include "wizard/fSetupMain.h"

#include <commctrl.h>
#include <richedit.h>

#include "install/ZipMaster.h"
#include "platform/GdiObjects.h"
#include "platform/MessageBoxes.h"
#include "platform/Pump.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "support/Language.h"
#include "support/SetupConfig.h"
#include "support/SetupError.h"
#include "support/TextFormat.h"
#include "wizard/ControlTable.h"
#include "wizard/StepFlow.h"
#include "wizard/WindowComponent_win.h"
#include "wizard/WizardParts_win.h"

TfmSetupMain* fmSetupMain = nullptr;

namespace {
constexpr UINT WM_APP_ACTIVATE = WM_APP + 1;
constexpr const wchar_t* kPageBoxClass = L"TGroupBox";
constexpr const wchar_t* kLabelClass = L"TLabel";
constexpr const wchar_t* kBevelLineClass = L"TBevelPanel";

// Paints a window's client area as an edge of the given kind, `topInset` pixels below its top.
LRESULT PaintEdge(HWND window, UINT edge, int topInset) {
  gdi::PaintDc dc(window);
  RECT r;
  GetClientRect(window, &r);
  r.top += topInset;
  DrawEdge(dc.get(), &r, edge, BF_RECT);
  return 0;
}

// A plain panel with a raised bevel: light on its top and left, dark on its bottom and right.
// Two pixels high it is the raised line under the banner and above the bottom bar.
LRESULT CALLBACK BevelLineProc(HWND panel, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) return PaintEdge(panel, BDR_RAISEDINNER, 0);
  return DefWindowProcW(panel, msg, wParam, lParam);
}

// Page boxes hold a step's controls: they draw an etched frame, pass the notifications of their
// children on to the window (a plain group box would swallow them) and let Tab move inside.
LRESULT CALLBACK PageBoxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return SendMessageW(GetParent(box), msg, wParam, lParam);
    case WM_PAINT:
      return PaintEdge(box, EDGE_ETCHED, 6);  // a group box's frame sits half a text line down
  }
  return DefWindowProcW(box, msg, wParam, lParam);
}

// The step title on the banner: white bold text drawn over the picture beneath it, so the label
// has no background of its own (the picture paints its part into the label first).
LRESULT CALLBACK LabelProc(HWND label, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(label, msg, wParam, lParam);
      InvalidateRect(label, nullptr, TRUE);
      return r;
    }
    case WM_PAINT: {
      gdi::PaintDc paint(label);
      const HDC dc = paint.get();
      RECT r;
      GetClientRect(label, &r);
      if (HWND under = reinterpret_cast<HWND>(GetWindowLongPtrW(label, GWLP_USERDATA))) {
        RECT mine, theirs;
        GetWindowRect(label, &mine);
        GetWindowRect(under, &theirs);
        POINT old;
        SetViewportOrgEx(dc, theirs.left - mine.left, theirs.top - mine.top, &old);
        SendMessageW(under, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        SetViewportOrgEx(dc, old.x, old.y, nullptr);
      } else {
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
      }
      std::wstring text = GetWindowTextString(label);
      gdi::SelectGuard font(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_SINGLELINE);
      return 0;
    }
  }
  return DefWindowProcW(label, msg, wParam, lParam);
}

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HBRUSH background) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

HFONT MakeFont(const wchar_t* face, int height, bool bold) {
  return CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

LngKind TranslationKind(ControlKind kind) {
  switch (kind) {
    case ControlKind::Label:
    case ControlKind::ResultLabel: return LngKind::Label;
    case ControlKind::StaticText: return LngKind::StaticText;
    case ControlKind::CheckBox: return LngKind::CheckBox;
    case ControlKind::RadioButton: return LngKind::RadioButton;
    case ControlKind::PageBox: return LngKind::GroupBox;
    case ControlKind::LabeledEdit:
    case ControlKind::SideLabeledEdit: return LngKind::LabeledEdit;
    case ControlKind::Button:
    case ControlKind::ImageButton: return LngKind::PushButton;
    case ControlKind::StatusBar: return LngKind::StatusBar;
    default: return LngKind::Other;
  }
}

struct Win32Class {
  const wchar_t* name;
  DWORD style;
};

Win32Class ClassFor(const ControlSpec& c) {
  const bool readOnly = c.flags & cfReadOnly;
  switch (c.kind) {
    case ControlKind::Picture: return {L"TImage", 0};
    case ControlKind::Label: return {kLabelClass, 0};
    case ControlKind::ResultLabel: return {L"STATIC", SS_LEFT | SS_NOPREFIX};
    case ControlKind::GradientPanel: return {L"TXiPanel", 0};
    case ControlKind::BevelLine: return {kBevelLineClass, 0};
    case ControlKind::Button: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::ImageButton: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
    // Placed by its anchors like every other control, so it is exactly 19 pixels high.
    case ControlKind::StatusBar: return {STATUSCLASSNAMEW, SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN};
    case ControlKind::PageBox: return {kPageBoxClass, 0};
    case ControlKind::StaticText: {
      DWORD s = SS_NOPREFIX;
      if (c.flags & cfCentered) s = SS_CENTER;
      if (c.flags & cfRightAligned) s = SS_RIGHT | SS_NOPREFIX;
      if (c.flags & cfSunken) s |= SS_SUNKEN;
      return {L"STATIC", s};
    }
    case ControlKind::RichText:
      return {MSFTEDIT_CLASS, ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | WS_TABSTOP};
    case ControlKind::RadioButton: return {L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP};
    case ControlKind::Memo:
      return {L"EDIT", ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL | WS_TABSTOP};
    case ControlKind::LabeledEdit:
    case ControlKind::SideLabeledEdit: {
      DWORD s = ES_AUTOHSCROLL;
      if (readOnly) s |= ES_READONLY;
      if (c.flags & cfRightAligned) s |= ES_RIGHT;
      if (!(c.flags & cfNoTabStop)) s |= WS_TABSTOP;
      return {L"EDIT", s};
    }
    case ControlKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP};
    case ControlKind::ProgressBar: return {PROGRESS_CLASSW, 0};
  }
  return {L"STATIC", 0};
}

}  // namespace

TfmSetupMain::TfmSetupMain() : privilegeTest(DefaultPrivilegeTest), zipMaster(std::make_unique<TZipMaster>()) {
  zipMaster->pumpMessages = PumpMessages;
}

TfmSetupMain::~TfmSetupMain() {
  if (fImages) ImageList_Destroy(fImages);
  if (fmSetupMain == this) fmSetupMain = nullptr;
}

HWND TfmSetupMain::control(int id) const {
  auto it = fControls.find(id);
  return it == fControls.end() ? nullptr : it->second;
}

bool TfmSetupMain::Create(HINSTANCE instance) {
  fInstance = instance;
  RegisterWindowClass(instance, kMainWindowClass, WindowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RegisterWindowClass(instance, kPageBoxClass, PageBoxProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RegisterWindowClass(instance, kLabelClass, LabelProc, nullptr);
  RegisterWindowClass(instance, kBevelLineClass, BevelLineProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
  RegisterControlClasses(instance);

  fmSetupMain = this;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT r{0, 0, kDesignedClientWidth, kDesignedClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
  fHandle = CreateWindowExW(WS_EX_CONTROLPARENT, kMainWindowClass, L"Setup", style, CW_USEDEFAULT, CW_USEDEFAULT,
                            r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, this);
  return fHandle != nullptr;
}

LRESULT CALLBACK TfmSetupMain::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TfmSetupMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<TfmSetupMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->fHandle = hwnd;
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->HandleMessage(msg, wParam, lParam);
}

// Each handler is a boundary for errors raised inside it: the default error box shows the
// message and the wizard stays on its step. Handlers pump messages, so a close confirmed inside
// one is held back (CloseWindow) until the outermost handler has returned and its error box has
// been read: no handler works on a destroyed window.
template <typename Handler>
void TfmSetupMain::Guarded(Handler handler) {
  ++fHandlerDepth;
  try {
    handler();
  } catch (const SetupError& e) {
    DefaultErrorBox(fHandle, GetWindowTextString(fHandle), e.message());
  } catch (const std::exception& e) {
    DefaultErrorBox(fHandle, GetWindowTextString(fHandle), ExceptionText(e.what()));
  }
  --fHandlerDepth;
  if (fHandlerDepth == 0 && fClosePending && IsWindow(fHandle)) DestroyWindow(fHandle);
}

// Next and Back clicked by the user. A click that arrives while a move is still being handled
// (its step display pumps messages) is dropped: it would start a second move inside the first,
// even the install run inside the display of the settings step. The pass-through step calls
// the handlers directly and is not affected.
template <typename Handler>
void TfmSetupMain::UserMove(Handler handler) {
  if (fMoving) {
    LogProc(9, L"Klick während eines Schrittwechsels verworfen");
    return;
  }
  fMoving = true;
  Guarded(handler);
  fMoving = false;
}

LRESULT TfmSetupMain::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      CreateControls();
      Guarded([this] { FormCreate(); });
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) Guarded([this] { FormShow(); });
      break;
    case WM_ACTIVATE:
      // Runs after activation has finished, so that boxes shown by it are ordinary modal boxes.
      if (LOWORD(wParam) != WA_INACTIVE) PostMessageW(fHandle, WM_APP_ACTIVATE, 0, 0);
      break;
    case WM_APP_ACTIVATE:
      Guarded([this] { FormActivate(); });
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (HBRUSH b = OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(b);
      }
      break;
    case WM_SIZE:
      if (control(ctl::sbMain)) sbMainResize();
      return 0;
    case WM_CLOSE: {
      bool allowed = true;
      Guarded([&] { FormClose(allowed); });
      if (allowed) CloseWindow();
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(fHandle, msg, wParam, lParam);
}

void TfmSetupMain::CreateControls() {
  fDefaultFont.reset(MakeFont(L"MS Sans Serif", 11, false));
  fArialBold13.reset(MakeFont(L"Arial", 13, true));  // the step title and the welcome text
  fVersionFont.reset(MakeFont(L"MS Sans Serif", 13, false));
  fResultFont.reset(MakeFont(L"MS Sans Serif", 11, true));
  SendMessageW(fHandle, WM_SETFONT, reinterpret_cast<WPARAM>(fDefaultFont.get()), FALSE);
  fImages = CreateFolderImageList(fInstance);

  fFormComponent = std::make_unique<WindowComponent>(fHandle, LngKind::Window, 0);
  for (const ControlSpec& c : WizardControls()) {
    HWND parent = c.parent ? control(c.parent) : fHandle;
    const Win32Class cls = ClassFor(c);
    // Siblings overlap (buttons on the bottom bar, the title on the banner): none paints over a later one.
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | cls.style;
    if (!(c.flags & cfHidden)) style |= WS_VISIBLE;
    DWORD exStyle = 0;
    if (c.kind == ControlKind::PageBox) exStyle |= WS_EX_CONTROLPARENT;
    if (c.kind == ControlKind::LabeledEdit || c.kind == ControlKind::SideLabeledEdit ||
        c.kind == ControlKind::Memo || c.kind == ControlKind::RichText) {
      exStyle |= WS_EX_CLIENTEDGE;
    }
    const Rect& r = c.designed;
    HWND h = CreateWindowExW(exStyle, cls.name, c.caption, style, r.left, r.top, r.width, r.height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), fInstance, nullptr);
    if (!h) {
      // A control class that failed to register still gets a placeholder of the same place.
      h = CreateWindowExW(0, L"STATIC", c.caption, style, r.left, r.top, r.width, r.height, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), fInstance, nullptr);
    }
    fControls[c.id] = h;
    HFONT font = fDefaultFont.get();
    if (c.flags & cfFontArialBold13) font = fArialBold13.get();
    if (c.flags & cfFontSans13) font = fVersionFont.get();
    if (c.kind == ControlKind::Label) font = fArialBold13.get();
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    HWND label = nullptr;
    if (c.kind == ControlKind::LabeledEdit || c.kind == ControlKind::SideLabeledEdit) {
      // The label of a labelled edit: above it, or on its left, 3 pixels apart.
      const SIZE size = gdi::TextExtent(h, fDefaultFont.get(), c.caption);
      const int lx = c.kind == ControlKind::LabeledEdit ? r.left : r.left - size.cx - 3;
      const int ly = c.kind == ControlKind::LabeledEdit ? r.top - size.cy - 3 : r.top + (r.height - size.cy) / 2;
      label = CreateWindowExW(0, L"STATIC", c.caption, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, lx, ly,
                              size.cx, size.cy, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id + ctl::labelOffset)), fInstance,
                              nullptr);
      SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(fDefaultFont.get()), FALSE);
      fControls[c.id + ctl::labelOffset] = label;
    }
    switch (c.kind) {
      case ControlKind::Label:
        SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control(ctl::imTop)));
        break;
      case ControlKind::ImageButton:
        SetFolderImage(h, fImages);
        break;
      case ControlKind::CheckBox:
        if (c.flags & cfChecked) SendMessageW(h, BM_SETCHECK, BST_CHECKED, 0);
        break;
      case ControlKind::ProgressBar:
        SendMessageW(h, PBM_SETRANGE32, 0, 100);
        break;
      case ControlKind::RichText:
        SendMessageW(h, EM_SETBKGNDCOLOR, 0, GetSysColor(COLOR_WINDOW));
        SendMessageW(h, EM_SETTARGETDEVICE, 0, 0);  // wrap lines at the view's width
        break;
      case ControlKind::Picture:
      case ControlKind::GradientPanel:
        ConfigureControl(c.id, h);
        break;
      default:
        break;
    }
    auto component = std::make_unique<WindowComponent>(h, TranslationKind(c.kind), c.tag, label);
    fFormComponent->owned.push_back(component.get());
    fComponents.push_back(std::move(component));
  }
  SetBuiltInTexts(control(ctl::reLizenz), control(ctl::meReadme));
  ArrangeZOrder();
}

// Win32 stacks the first child created on top, and the dialog manager tabs from the top down.
// Later controls must lie on top of earlier ones where they overlap (the title on the banner,
// the buttons on the bottom bar) while the tab order stays the creation order: so the
// decorations, which are no tab stops, go to the bottom, the earliest lowest.
void TfmSetupMain::ArrangeZOrder() {
  const auto controls = WizardControls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    const bool decoration = it->kind == ControlKind::Picture || it->kind == ControlKind::GradientPanel ||
                            it->kind == ControlKind::BevelLine;
    if (it->parent == 0 && decoration) {
      SetWindowPos(control(it->id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void TfmSetupMain::FormCreate() {
  RunCreationSteps();
  SetupConfig.currentPage = wpWelcome;
  HWND page1 = control(ctl::gbPage1);
  MoveWindow(page1, 253, 87, 340, 280, FALSE);
  for (int id : {ctl::gbPage2, ctl::gbPage3, ctl::gbPage6, ctl::gbPage7}) SetPagePosition(page1, control(id));
  // The designed client area of 1010 x 613 becomes 600 x 460; anchored controls follow.
  RECT r{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(fHandle, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(fHandle, GWL_EXSTYLE)));
  const int w = r.right - r.left, h = r.bottom - r.top;
  SetWindowPos(fHandle, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyAnchors();
  // Centred on the screen's work area.
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(fHandle, nullptr, work.left + (work.right - work.left - w) / 2,
               work.top + (work.bottom - work.top - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfmSetupMain::ApplyAnchors() {
  RECT client;
  GetClientRect(fHandle, &client);
  for (const ControlSpec& c : WizardControls()) {
    if (c.parent != 0 || c.kind == ControlKind::PageBox || c.kind == ControlKind::Label) continue;
    const Rect r = ::ApplyAnchors(c.designed, c.anchors, kDesignedClientWidth, kDesignedClientHeight,
                                  client.right, client.bottom);
    MoveWindow(control(c.id), r.left, r.top, r.width, r.height, FALSE);
  }
  InvalidateRect(fHandle, nullptr, TRUE);
}

void TfmSetupMain::SetPagePosition(HWND source, HWND dest) {
  RECT r;
  GetWindowRect(source, &r);
  MapWindowPoints(nullptr, GetParent(source), reinterpret_cast<POINT*>(&r), 2);
  MoveWindow(dest, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

void TfmSetupMain::FormShow() { DisplayForm(); }

void TfmSetupMain::FormActivate() { RunFirstActivation(); }

void TfmSetupMain::ShowPage(int pageBox) { ShowWindow(control(pageBox), SW_SHOW); }

void TfmSetupMain::SetTitle(const std::wstring& title) {
  HWND label = control(ctl::laStepDisplay);
  SetWindowTextString(label, title);
  SizeLabelToText(ctl::laStepDisplay);
}

void TfmSetupMain::SizeLabelToText(int id) {
  HWND label = control(id);
  const ControlSpec* spec = FindControl(id);
  std::wstring text = GetWindowTextString(label);
  const SIZE size =
      gdi::TextExtent(label, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), text.empty() ? L" " : text);
  SetWindowPos(label, nullptr, spec->designed.left, spec->designed.top, text.empty() ? 0 : size.cx, size.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(label, nullptr, TRUE);
}

void TfmSetupMain::SetNextEnabled(bool enabled) { EnableWindow(control(ctl::btWeiter), enabled); }
void TfmSetupMain::SetBackEnabled(bool enabled) { EnableWindow(control(ctl::btBack), enabled); }

bool TfmSetupMain::Accepted() const {
  return SendMessageW(control(ctl::rbAccept), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TfmSetupMain::DisplayForm() {
  for (int id : {ctl::gbPage1, ctl::gbPage2, ctl::gbPage3, ctl::gbPage6, ctl::gbPage7}) {
    ShowWindow(control(id), SW_HIDE);
  }
  if (const StepInfo* step = StepFor(SetupConfig.currentPage)) {
    if (step->page == wpSettings) SetProductParameters();
    if (step->pageBox) ShowPage(step->pageBox);
    SetTitle(GetLngString(step->titleId, step->title));
    if (step->back != ButtonOnEnter::Unchanged) SetBackEnabled(step->back == ButtonOnEnter::Enabled);
    switch (step->next) {
      case ButtonOnEnter::Enabled: SetNextEnabled(true); break;
      case ButtonOnEnter::Disabled: SetNextEnabled(false); break;
      case ButtonOnEnter::WhileAccepted: SetNextEnabled(Accepted()); break;
      default: break;
    }
    if (step->page == wpSettings) {
      PrepareShortcutNames();
      CheckSourceFolder(true);
    }
    if (step->page == wpInstallType) {
      // The pass-through step continues in the direction of travel.
      if (fKeyDirection == -1)
        btBackClick();
      else
        btWeiterClick();
    }
  }
  switch (NextCaptionFor(SetupConfig.currentPage, SetupConfig.lastPage)) {
    case NextCaption::Finish: SetWindowTextString(control(ctl::btWeiter), GetLngString(5, L"&Fertigstellen")); break;
    case NextCaption::Continue: SetWindowTextString(control(ctl::btWeiter), GetLngString(6, L"&Weiter")); break;
    case NextCaption::DisableBoth:
      SetNextEnabled(false);
      SetBackEnabled(false);
      break;
  }
  PumpMessages();
}

void TfmSetupMain::btWeiterClick() {
  fKeyDirection = 1;
  if (SetupConfig.currentPage <= 0) {
    SendMessageW(fHandle, WM_CLOSE, 0, 0);
    return;
  }
  if (SetupConfig.currentPage >= SetupConfig.lastPage) {
    const InstallRequest request = InstallRequestFromSettings();
    SetupConfig.currentPage += 1;
    DisplayForm();
    // A close confirmed while the progress step was being shown ends the program before the
    // run starts: nothing is installed.
    if (fClosePending) return;
    SetupConfig.cancelRequested = false;
    const InstallResult result = RunInstall(*this, request);
    ShowInstallResult(result);
    if (result.error) std::rethrow_exception(result.error);
    return;
  }
  SetupConfig.currentPage += 1;
  DisplayForm();
}

void TfmSetupMain::btBackClick() {
  fKeyDirection = -1;
  if (SetupConfig.currentPage < 2) return;
  SetupConfig.currentPage -= 1;
  DisplayForm();
}

void TfmSetupMain::btAbbrechenClick() { SendMessageW(fHandle, WM_CLOSE, 0, 0); }

void TfmSetupMain::rbAcceptClick() { SetNextEnabled(Accepted()); }

void TfmSetupMain::FormClose(bool& closeAllowed) {
  if (fClosePending) {
    closeAllowed = true;  // confirmed already, while a handler (the install run) was going on
    return;
  }
  if (SetupConfig.currentPage > 0) {
    if (ConfirmBox(fHandle, GetLngString(37, L"Sind Sie sicher dass Sie das Setup abbrechen wollen ?")) !=
        BoxAnswer::Yes) {
      closeAllowed = false;
      return;
    }
  }
  closeAllowed = true;
  SetupConfig.cancelRequested = true;
}

void TfmSetupMain::CloseWindow() {
  if (fHandlerDepth > 0) {
    // A handler (the install run, a step display) is still on the stack: Guarded closes the
    // window once the outermost one has returned.
    fClosePending = true;
    return;
  }
  DestroyWindow(fHandle);
}

void TfmSetupMain::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case ctl::btWeiter: UserMove([this] { btWeiterClick(); }); break;
    case ctl::btBack: UserMove([this] { btBackClick(); }); break;
    case ctl::btAbbrechen: Guarded([this] { btAbbrechenClick(); }); break;
    case ctl::rbAccept:
    case ctl::rbNoAccept: Guarded([this] { rbAcceptClick(); }); break;
    case ctl::btDestPath: Guarded([this] { btDestPathClick(); }); break;
    case ctl::btSourcePath: Guarded([this] { btSourcePathClick(); }); break;
    default: break;  // IDOK and IDCANCEL from Enter and Escape press nothing
  }
}

void TfmSetupMain::setBackground(int id, COLORREF colour) {
  if (colour == CLR_INVALID) {
    fBackColours.erase(id);
    fBackBrushes.erase(id);
  } else {
    fBackColours[id] = colour;
    fBackBrushes[id] = GdiObject<HBRUSH>(CreateSolidBrush(colour));
  }
  InvalidateRect(control(id), nullptr, TRUE);
}

HBRUSH TfmSetupMain::OnControlColour(HDC dc, HWND child) {
  const int id = GetDlgCtrlID(child);
  if (id == ctl::laSetupRslt) {
    SetTextColor(dc, fResultSuccess ? RGB(0, 128, 0) : RGB(255, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
  }
  auto it = fBackColours.find(id);
  if (it != fBackColours.end()) {
    SetBkColor(dc, it->second);
    return fBackBrushes[id].get();
  }
  if (const ControlSpec* spec = FindControl(id)) {
    if (spec->flags & cfButtonFace) {
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return GetSysColorBrush(COLOR_BTNFACE);
    }
    if ((spec->flags & cfReadOnly) && (spec->kind == ControlKind::LabeledEdit || spec->kind == ControlKind::SideLabeledEdit)) {
      // Read-only edits keep the window colour, as the folder fields are designed.
      SetBkColor(dc, GetSysColor(COLOR_WINDOW));
      return GetSysColorBrush(COLOR_WINDOW);
    }
  }
  return nullptr;
}

void TfmSetupMain::sbMainResize() {
  HWND sb = control(ctl::sbMain);
  RECT client;
  GetClientRect(fHandle, &client);
  int parts[2] = {client.right - CopyrightSize, -1};
  SendMessageW(sb, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

// InstallHost
InstallRequest TfmSetupMain::InstallRequestFromSettings() {
  InstallRequest request;
  request.targetFolder = GetWindowTextString(control(ctl::LeDestination));
  request.sourceFolder = GetWindowTextString(control(ctl::leSource));
  request.saveFiles = SendMessageW(control(ctl::cbSaveFiles), BM_GETCHECK, 0, 0) == BST_CHECKED;
  return request;
}
void TfmSetupMain::ShowInstallResult(const InstallResult& result) {
  if (!result.finished) {
    // The journal could not be saved: the label stays empty; a run that had got through its
    // stages still counts as done.
    if (result.success) SetupConfig.currentPage = 0;
    return;
  }
  if (result.success) {
    SetupConfig.currentPage = 0;
    showResult(true, GetLngString(905, L"Installation erfolgreich fertig gestellt."));
    SetNextEnabled(true);
    SetWindowTextString(control(ctl::btWeiter), GetLngString(907, L"&Schließen"));
    EnableWindow(control(ctl::btAbbrechen), FALSE);
  } else {
    SetupConfig.currentPage = -1;
    showResult(false, GetLngString(906, L"Fehler während der Installation."));
  }
}
void TfmSetupMain::setProgressLabel(const std::wstring& text) {
  // The label keeps its place and grows with its text.
  HWND label = control(ctl::leFortschritt + ctl::labelOffset);
  SetWindowTextString(label, text);
  const SIZE size = gdi::TextExtent(label, fDefaultFont.get(), text);
  SetWindowPos(label, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
void TfmSetupMain::setProgressText(const std::wstring& text) { SetWindowTextString(control(ctl::leFortschritt), text); }
void TfmSetupMain::setProgressPosition(int percent) { SendMessageW(control(ctl::pgFortschritt), PBM_SETPOS, percent, 0); }
void TfmSetupMain::showResult(bool success, const std::wstring& text) {
  fResultSuccess = success;
  HWND label = control(ctl::laSetupRslt);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(fResultFont.get()), FALSE);
  SetWindowTextString(label, text);
  SizeLabelToText(ctl::laSetupRslt);
}
bool TfmSetupMain::cancelRequested() { return SetupConfig.cancelRequested; }
void TfmSetupMain::pumpMessages() { PumpMessagesNowAndThen(); }
void TfmSetupMain::showArchiveMessage(const std::wstring& text) {
  PlainMessageBox(fHandle, GetWindowTextString(fHandle), text);
}
