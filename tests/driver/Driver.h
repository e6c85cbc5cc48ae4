// Drives a running Setup.exe from another process: finds its window and controls by the
// stable control ids, clicks, reads texts and states, answers its message boxes and waits for
// its exit. Every wait has a timeout, so a test fails instead of hanging.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/WindowsPath.h"

using namespace std::chrono_literals;

// A timeout of the driver grown by SETUP_TIMEOUT_FACTOR, which the harness sets where 32-bit
// code runs emulated (every step of the program is then many times slower); 1 when unset.
std::chrono::milliseconds Scaled(std::chrono::milliseconds timeout);

struct MessageBoxInfo {
  HWND handle = nullptr;
  std::wstring title;
  std::wstring text;
  std::vector<std::pair<int, std::wstring>> buttons;  // control id, caption
  explicit operator bool() const { return handle != nullptr; }
  std::wstring captionOf(int id) const;
};

class SetupApp {
 public:
  SetupApp() = default;
  ~SetupApp();
  SetupApp(const SetupApp&) = delete;
  SetupApp& operator=(const SetupApp&) = delete;

  // Starts the program with the given arguments in the given working folder. With
  // debugOutput the driver attaches as its debugger and collects its debug-output lines.
  bool Start(const std::wstring& exe, const std::wstring& args, const std::wstring& workDir,
             bool debugOutput = false);

  // The wizard window once it has been shown (and its first activation has run).
  HWND WaitForMainWindow(std::chrono::milliseconds timeout = 10s);
  HWND Control(int id) const;
  HWND MainWindow() const { return mainWindow; }
  // Waits until the predicate holds (polling), false on timeout.
  template <typename Pred>
  static bool WaitFor(Pred pred, std::chrono::milliseconds timeout = 10s) {
    const auto end = std::chrono::steady_clock::now() + Scaled(timeout);
    while (std::chrono::steady_clock::now() < end) {
      if (pred()) return true;
      Sleep(20);
    }
    return pred();
  }

  // A click that returns after the handler has run; use PostClick for one that opens a box.
  bool Click(int id);
  bool PostClick(int id);
  // Runs posts (PostClick, PostMessageW) while the program's thread is suspended, so that the
  // program finds all of them queued at once: the second arrives while the first is handled.
  bool PostTogether(const std::function<void()>& posts);
  // Waits until the program has processed every message sent or posted before.
  void Sync();

  std::wstring Text(int id) const;
  std::wstring WindowTitle() const;
  bool Enabled(int id) const;
  bool Visible(int id) const;  // the control and all its parents are visible
  bool Checked(int id) const;
  RECT ClientRectOf(int id) const;   // relative to the main window's client area
  RECT MainClientRect() const;
  std::vector<int> StatusBarParts(int id) const;  // right edges of the parts

  // The next message box of the program (a #32770 window it owns), or an empty result.
  MessageBoxInfo WaitForMessageBox(std::chrono::milliseconds timeout = 10s);
  bool Press(const MessageBoxInfo& box, int buttonId);

  // Waits for the program's end and returns its exit code, or -1 on timeout.
  long WaitForExit(std::chrono::milliseconds timeout = 15s);
  bool Running() const;

  // Lines the program sent to the debugger output (with debugOutput only).
  std::vector<std::wstring> DebugLines();

  DWORD processId() const { return pid; }

 private:
  void DebugLoop(std::wstring commandLine, std::wstring workDir);

  HANDLE process = nullptr;
  DWORD pid = 0;
  HWND mainWindow = nullptr;
  std::thread debugThread;
  std::mutex debugMutex;
  std::vector<std::wstring> debugLines;
  bool debugStarted = false;
  bool debugFailed = false;
  long debugExitCode = -1;
  bool debugExited = false;
};

// The built Setup.exe as a Windows path.
std::wstring BuiltSetupExe();
