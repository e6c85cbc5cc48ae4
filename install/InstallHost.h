// What the install run needs of the window that hosts it: the settings read once at its start,
// the progress page it updates, the cancel flag and message pumping. The wizard window
// implements it; tests drive the run through a window of their own.
#pragma once
#include <string>

class TZipMaster;

class InstallHost {
 public:
  virtual ~InstallHost() = default;
  virtual std::wstring destinationFolder() = 0;  // LeDestination, ends with "\"
  virtual std::wstring sourceFolder() = 0;       // leSource, ends with "\"
  virtual bool saveFilesChecked() = 0;           // cbSaveFiles
  virtual void setProgressLabel(const std::wstring& text) = 0;
  virtual void setProgressText(const std::wstring& text) = 0;
  virtual void setProgressPosition(int percent) = 0;
  // The result label in green (success) or red (failure), bold.
  virtual void showResult(bool success, const std::wstring& text) = 0;
  virtual void enableNext(const std::wstring& caption) = 0;
  virtual void disableCancel() = 0;
  virtual bool cancelRequested() = 0;
  virtual void pumpMessages() = 0;
  virtual TZipMaster& archive() = 0;  // the window's archive component ZipMaster1
};
