// What the install run needs of the window that hosts it: the progress page it updates, the
// cancel flag, message pumping, the archive component and the plain message box. The wizard
// window implements it; tests drive the run through a window of their own.
#pragma once
#include <string>

class TZipMaster;

class InstallHost {
 public:
  virtual ~InstallHost() = default;
  virtual void setProgressLabel(const std::wstring& text) = 0;
  virtual void setProgressText(const std::wstring& text) = 0;
  virtual void setProgressPosition(int percent) = 0;
  virtual bool cancelRequested() = 0;
  virtual void pumpMessages() = 0;
  virtual TZipMaster& archive() = 0;  // the window's archive component ZipMaster1
  // A plain box with an OK button titled with the application's title: the archive
  // component's reports and the missing data file.
  virtual void showMessage(const std::wstring& text) = 0;
};
