// The wizard window fmSetupMain (class TfmSetupMain): its controls, step flow and start-up.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "install/InstallHost.h"
#include "install/InstallRequest.h"
#include "platform/GdiObjects.h"
#include "platform/WindowText.h"

class TZipMaster;
class WindowComponent;

class TfmSetupMain : public InstallHost {
 public:
  TfmSetupMain();
  ~TfmSetupMain() override;

  // Creates the window (which runs FormCreate); false when the window could not be created.
  bool Create(HINSTANCE instance);
  HWND handle() const { return fHandle; }
  HWND control(int id) const;

  // Event handlers, named after control and event.
  void FormCreate();
  void FormShow();
  void FormActivate();
  void FormClose(bool& closeAllowed);
  void DisplayForm();
  void btWeiterClick();
  void btBackClick();
  void btAbbrechenClick();
  void rbAcceptClick();
  void btDestPathClick();
  void btSourcePathClick();
  void sbMainResize();
  void SetPagePosition(HWND source, HWND dest);

  // The archive component that belongs to the window.
  TZipMaster& ZipMaster1() { return *zipMaster; }

  // InstallHost: what the install run needs of the window.
  void setProgressLabel(const std::wstring& text) override;
  void setProgressText(const std::wstring& text) override;
  void setProgressPosition(int percent) override;
  bool cancelRequested() override;
  void pumpMessages() override;
  TZipMaster& archive() override { return *zipMaster; }
  void showMessage(const std::wstring& text) override { showArchiveMessage(text); }
  void showArchiveMessage(const std::wstring& text);

  // What Next on the settings step hands the install run, and how its result shows: the step
  // counter (0 success, -1 failure), the result label and the buttons.
  InstallRequest InstallRequestFromSettings();
  void ShowInstallResult(const InstallResult& result);
  // The result label in green (success) or red (failure), bold.
  void showResult(bool success, const std::wstring& text);

  // How the first activation tests the administrator privileges; replaceable so that a test
  // window can check the reaction to a failing test, which Wine cannot produce for real.
  using PrivilegeTest = unsigned (*)(unsigned mask);
  PrivilegeTest privilegeTest;

  // Background colour of an edit, or CLR_INVALID for the default.
  void setBackground(int id, COLORREF colour);

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT, WPARAM, LPARAM);
  template <typename Handler>
  void Guarded(Handler handler);
  template <typename Handler>
  void UserMove(Handler handler);
  void CreateControls();
  void ArrangeZOrder();
  void ApplyAnchors();
  void OnCommand(int id, int code);
  HBRUSH OnControlColour(HDC dc, HWND control);
  void SetTitle(const std::wstring& title);
  void SetNextEnabled(bool enabled);
  void SetBackEnabled(bool enabled);
  void ShowPage(int pageBox);
  void RunCreationSteps();
  void RunFirstActivation();
  void LoadAgreementAndNotes();
  void SizeLabelToText(int id);
  bool Accepted() const;
  void CheckSourceFolder(bool reset);
  void SetProductParameters();
  void SetDestination(const std::wstring& valueName, const std::wstring& progAdd);
  void SetFreeSpace(const std::wstring& drive);
  void CloseWindow();

  HWND fHandle = nullptr;
  HINSTANCE fInstance = nullptr;
  std::map<int, HWND> fControls;
  int32_t fKeyDirection = 0;
  bool fFirstActivate = false;
  int32_t CopyrightSize = 0;
  int fHandlerDepth = 0;  // handlers on the stack (they pump messages)
  bool fMoving = false;   // a click on Next or Back is being handled
  bool fClosePending = false;
  bool fResultSuccess = false;
  GdiObject<HFONT> fDefaultFont, fArialBold13, fVersionFont, fResultFont;
  std::map<int, COLORREF> fBackColours;
  std::map<int, GdiObject<HBRUSH>> fBackBrushes;
  HIMAGELIST fImages = nullptr;
  std::unique_ptr<TZipMaster> zipMaster;
  std::vector<std::unique_ptr<WindowComponent>> fComponents;
  std::unique_ptr<WindowComponent> fFormComponent;
};

extern TfmSetupMain* fmSetupMain;

// Tells the user that another setup or uninstaller of the product is running (no window exists
// yet: the box has no owner and the language block is read for it).
void ShowSecondInstanceBox();
