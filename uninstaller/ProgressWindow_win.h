// The uninstaller's small window while it works: a label, the current item and a progress bar.
// The work runs on this thread; Step() pumps pending messages so the window stays responsive.
#pragma once
#include <windows.h>

#include <string>

// Control ids, shared with the tests that read the window.
namespace uctl {
inline constexpr int laRemoving = 1001;
inline constexpr int stCurrent = 1002;
inline constexpr int pgRemoving = 1003;
}  // namespace uctl

inline constexpr const wchar_t* kUninstallWindowClass = L"TfmUninstall";

class ProgressWindow {
 public:
  ProgressWindow() = default;
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  bool Create(const std::wstring& title, const std::wstring& label);
  HWND handle() const { return window; }
  // Shows the item and the position (0..100) and processes pending messages.
  void Step(const std::wstring& item, int percent);

 private:
  HWND window = nullptr;
  HFONT font = nullptr;
};
