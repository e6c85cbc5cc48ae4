// Stable control ids of the wizard window, shared with the end-to-end test driver.
// (1 and 2 are IDOK and IDCANCEL, which the dialog manager sends for Enter and Escape.)
#pragma once

namespace ctl {
enum Id : int {
  imTop = 1001,
  laStepDisplay,
  imLeft,
  XiPanel2,
  Panel1,
  btBack,
  btWeiter,
  btAbbrechen,
  sbMain,
  Panel2,
  gbPage1,
  gbPage2,
  gbPage3,
  gbPage6,
  gbPage7,
  stIntro,
  stVersion,
  reLizenz,
  rbAccept,
  rbNoAccept,
  meReadme,
  LeDestination,
  btDestPath,
  leBenoetigt,
  leFrei,
  leSource,
  btSourcePath,
  cbSaveFiles,
  leFortschritt,
  pgFortschritt,
  laSetupRslt,
};
// The label of a labelled edit carries the edit's id plus this offset.
inline constexpr int labelOffset = 1000;
}  // namespace ctl

// The main window's class name, which the test driver looks for.
inline constexpr const wchar_t* kMainWindowClass = L"TfmSetupMain";
