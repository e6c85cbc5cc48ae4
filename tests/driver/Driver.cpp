#include "tests/driver/Driver.h"

#include <commctrl.h>

#include <cwchar>

std::chrono::milliseconds Scaled(std::chrono::milliseconds timeout) {
  static const long factor = [] {
    wchar_t text[16] = {};
    const DWORD n = GetEnvironmentVariableW(L"SETUP_TIMEOUT_FACTOR", text, 16);
    const long f = n > 0 && n < 16 ? std::wcstol(text, nullptr, 10) : 1;
    return f > 0 ? f : 1;
  }();
  return timeout * factor;
}

namespace {
// A timeout in milliseconds for the Win32 calls, scaled.
DWORD Ms(std::chrono::milliseconds timeout) { return static_cast<DWORD>(Scaled(timeout).count()); }

struct FindState {
  DWORD pid;
  const wchar_t* cls;
  HWND found;
  bool visibleOnly;
};

BOOL CALLBACK FindTopLevel(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<FindState*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  if (owner != s->pid) return TRUE;
  wchar_t cls[64] = {};
  GetClassNameW(w, cls, 64);
  if (lstrcmpW(cls, s->cls) != 0) return TRUE;
  if (s->visibleOnly && !IsWindowVisible(w)) return TRUE;
  s->found = w;
  return FALSE;
}

HWND FindProcessWindow(DWORD pid, const wchar_t* cls, bool visibleOnly) {
  FindState s{pid, cls, nullptr, visibleOnly};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

struct ChildState {
  int id;
  HWND found;
};

BOOL CALLBACK FindChild(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<ChildState*>(p);
  if (GetDlgCtrlID(w) == s->id) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

std::wstring TextOf(HWND w) {
  if (!w) return {};
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, Ms(5s), &len)) return {};
  std::wstring text(len + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(w, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, Ms(5s), &got);
  text.resize(got);
  return text;
}

template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + Scaled(timeout);
  while (std::chrono::steady_clock::now() < end) {
    if (pred()) return true;
    Sleep(20);
  }
  return pred();
}
}  // namespace

std::wstring MessageBoxInfo::captionOf(int id) const {
  for (const auto& [bid, caption] : buttons)
    if (bid == id) return caption;
  return {};
}

SetupApp::~SetupApp() {
  if (process) {
    if (Running()) TerminateProcess(process, 99);
    WaitForSingleObject(process, Ms(5s));
  }
  if (debugThread.joinable()) debugThread.join();
  if (process) CloseHandle(process);
}

bool SetupApp::Start(const std::wstring& exe, const std::wstring& args, const std::wstring& workDir,
                     bool debugOutput) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!args.empty()) commandLine += L" " + args;
  if (debugOutput) {
    // A debugger's events go to the thread that created the process: that thread runs the loop.
    debugThread = std::thread(&SetupApp::DebugLoop, this, commandLine, workDir);
    WaitUntil([this] {
      std::lock_guard<std::mutex> lock(debugMutex);
      return debugStarted || debugFailed;
    }, 10s);
    std::lock_guard<std::mutex> lock(debugMutex);
    return debugStarted;
  }
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(), &si, &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  process = pi.hProcess;
  pid = pi.dwProcessId;
  return true;
}

void SetupApp::DebugLoop(std::wstring commandLine, std::wstring workDir) {
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                      workDir.c_str(), &si, &pi)) {
    std::lock_guard<std::mutex> lock(debugMutex);
    debugFailed = true;
    return;
  }
  CloseHandle(pi.hThread);
  {
    std::lock_guard<std::mutex> lock(debugMutex);
    HANDLE dup = nullptr;
    DuplicateHandle(GetCurrentProcess(), pi.hProcess, GetCurrentProcess(), &dup, 0, FALSE, DUPLICATE_SAME_ACCESS);
    process = dup;
    pid = pi.dwProcessId;
    debugStarted = true;
  }
  for (;;) {
    DEBUG_EVENT ev{};
    if (!WaitForDebugEvent(&ev, Ms(30s))) break;
    DWORD status = DBG_CONTINUE;
    switch (ev.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
        break;
      case EXCEPTION_DEBUG_EVENT:
        if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) status = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case OUTPUT_DEBUG_STRING_EVENT: {
        const auto& info = ev.u.DebugString;
        const size_t chars = info.nDebugStringLength;
        std::wstring line;
        if (info.fUnicode) {
          line.resize(chars);
          SIZE_T got = 0;
          ReadProcessMemory(pi.hProcess, info.lpDebugStringData, line.data(), chars * sizeof(wchar_t), &got);
          line.resize(got / sizeof(wchar_t));
        } else {
          std::string narrow(chars, '\0');
          SIZE_T got = 0;
          ReadProcessMemory(pi.hProcess, info.lpDebugStringData, narrow.data(), chars, &got);
          narrow.resize(got);
          int n = MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
          line.resize(static_cast<size_t>(n));
          MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), line.data(), n);
        }
        while (!line.empty() && (line.back() == L'\0' || line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
        std::lock_guard<std::mutex> lock(debugMutex);
        debugLines.push_back(line);
        break;
      }
      case EXIT_PROCESS_DEBUG_EVENT: {
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, DBG_CONTINUE);
        std::lock_guard<std::mutex> lock(debugMutex);
        debugExitCode = static_cast<long>(ev.u.ExitProcess.dwExitCode);
        debugExited = true;
        CloseHandle(pi.hProcess);
        return;
      }
      default:
        break;
    }
    ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
  }
  CloseHandle(pi.hProcess);
}

HWND SetupApp::WaitForMainWindow(std::chrono::milliseconds timeout) {
  if (!process) return nullptr;
  WaitForInputIdle(process, Ms(timeout));
  WaitUntil([this] { return (mainWindow = FindProcessWindow(pid, L"TfmSetupMain", true)) != nullptr; }, timeout);
  if (mainWindow) Sync();
  return mainWindow;
}

HWND SetupApp::Control(int id) const {
  if (!mainWindow) return nullptr;
  ChildState s{id, nullptr};
  EnumChildWindows(mainWindow, FindChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

bool SetupApp::Click(int id) {
  HWND w = Control(id);
  if (!w) return false;
  DWORD_PTR r = 0;
  return SendMessageTimeoutW(w, BM_CLICK, 0, 0, SMTO_NORMAL, Ms(20s), &r) != 0;
}

bool SetupApp::PostClick(int id) {
  HWND w = Control(id);
  return w && PostMessageW(w, BM_CLICK, 0, 0);
}

bool SetupApp::PostTogether(const std::function<void()>& posts) {
  const DWORD thread = mainWindow ? GetWindowThreadProcessId(mainWindow, nullptr) : 0;
  HANDLE handle = thread ? OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread) : nullptr;
  if (!handle) return false;
  const bool suspended = SuspendThread(handle) != static_cast<DWORD>(-1);
  if (suspended) posts();
  if (suspended) ResumeThread(handle);
  CloseHandle(handle);
  return suspended;
}

void SetupApp::Sync() {
  // The first activation's work is posted: let it and whatever it posts run before going on.
  for (int i = 0; i < 3 && mainWindow; ++i) {
    DWORD_PTR r = 0;
    SendMessageTimeoutW(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, Ms(10s), &r);
    Sleep(Ms(30ms));
  }
}

std::wstring SetupApp::Text(int id) const { return TextOf(Control(id)); }
std::wstring SetupApp::WindowTitle() const { return TextOf(mainWindow); }
bool SetupApp::Enabled(int id) const {
  HWND w = Control(id);
  return w && IsWindowEnabled(w);
}
bool SetupApp::Visible(int id) const {
  HWND w = Control(id);
  return w && IsWindowVisible(w);
}
bool SetupApp::Checked(int id) const {
  HWND w = Control(id);
  DWORD_PTR r = 0;
  return w && SendMessageTimeoutW(w, BM_GETCHECK, 0, 0, SMTO_NORMAL, Ms(5s), &r) && r == BST_CHECKED;
}

RECT SetupApp::ClientRectOf(int id) const {
  RECT r{};
  if (HWND w = Control(id)) {
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, mainWindow, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

RECT SetupApp::MainClientRect() const {
  RECT r{};
  GetClientRect(mainWindow, &r);
  return r;
}

std::vector<int> SetupApp::StatusBarParts(int id) const {
  HWND w = Control(id);
  std::vector<int> parts;
  if (!w) return parts;
  // Pointers are not carried across processes: the answer goes into the program's memory.
  HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!target) return parts;
  void* remote = VirtualAllocEx(target, nullptr, 64 * sizeof(int), MEM_COMMIT, PAGE_READWRITE);
  DWORD_PTR n = 0;
  SendMessageTimeoutW(w, SB_GETPARTS, 64, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, Ms(5s), &n);
  parts.resize(n);
  SIZE_T got = 0;
  if (n) ReadProcessMemory(target, remote, parts.data(), n * sizeof(int), &got);
  VirtualFreeEx(target, remote, 0, MEM_RELEASE);
  CloseHandle(target);
  return parts;
}

MessageBoxInfo SetupApp::WaitForMessageBox(std::chrono::milliseconds timeout) {
  MessageBoxInfo info;
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindProcessWindow(pid, L"#32770", true)) != nullptr; }, timeout);
  if (!box) return info;
  Sleep(Ms(50ms));  // the box renames its buttons while it is being activated
  info.handle = box;
  info.title = TextOf(box);
  info.text = TextOf(GetDlgItem(box, 0xFFFF));
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[32] = {};
    GetClassNameW(c, cls, 32);
    if (lstrcmpiW(cls, L"Button") == 0) info.buttons.emplace_back(GetDlgCtrlID(c), TextOf(c));
  }
  return info;
}

bool SetupApp::Press(const MessageBoxInfo& box, int buttonId) {
  if (!box.handle) return false;
  const bool ok = PostMessageW(box.handle, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(box.handle, buttonId)));
  WaitUntil([&] { return !IsWindow(box.handle); }, 5s);
  return ok;
}

long SetupApp::WaitForExit(std::chrono::milliseconds timeout) {
  if (!process) return -1;
  if (WaitForSingleObject(process, Ms(timeout)) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  if (debugThread.joinable()) debugThread.join();
  return static_cast<long>(code);
}

bool SetupApp::Running() const { return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

std::vector<std::wstring> SetupApp::DebugLines() {
  std::lock_guard<std::mutex> lock(debugMutex);
  return debugLines;
}

std::wstring BuiltSetupExe() { return WindowsPathOf(SETUP_EXE_UNIX_PATH); }
