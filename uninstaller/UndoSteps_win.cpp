#include "uninstaller/UndoSteps_win.h"

#include "platform/Handles.h"
#include "support/DebugLog.h"
#include "support/ErrorText.h"
#include "uninstaller/SafeFiles_win.h"

namespace {
constexpr REGSAM kView = KEY_WOW64_32KEY;

bool IsInUseError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_USER_MAPPED_FILE;
}

// A string value of at most 32 KiB characters; nullopt when missing or of another type.
std::optional<std::wstring> ReadValue(HKEY key, const wchar_t* name) {
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return std::nullopt;
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes > 65536) return std::nullopt;
  std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  value.resize(bytes / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return value;
}

std::wstring TrimDelimiter(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

Presence PresenceOf(EntryKind kind) {
  switch (kind) {
    case EntryKind::File: return Presence::File;
    case EntryKind::Folder: return Presence::Folder;
    case EntryKind::Absent: return Presence::Absent;
    default: return Presence::File;  // there is something; its kind decides nothing more
  }
}
}  // namespace

ShortNameResolver LongPathResolver() {
  return [](const std::wstring& path) -> std::optional<std::wstring> {
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return std::nullopt;
    buffer.resize(n);
    return buffer;
  };
}

StepRunner::StepRunner(const ProductScope& scope, ShortNameResolver resolver)
    : scope(scope), resolver(std::move(resolver)) {}

void StepRunner::ReadOwnership(const UndoPlan& plan) {
  for (const UndoStep& step : plan.steps) {
    if (step.ownership == Ownership::None) continue;
    const std::wstring folded = FoldCase(step.ownerKey);
    if (owned.count(folded)) continue;
    HKEY raw = nullptr;
    bool belongs = true;  // a key or value that is gone names no other installation
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, step.ownerKey.c_str(), 0, KEY_QUERY_VALUE | kView, &raw) == ERROR_SUCCESS) {
      unique_hkey key(raw);
      if (step.ownership == Ownership::UninstallStringIsThis) {
        if (auto value = ReadValue(key.get(), L"UninstallString"))
          belongs = UninstallStringNames(*value, scope.uninstallerPath, resolver);
      } else if (auto value = ReadValue(key.get(), L"InstallPath")) {
        belongs = InstallPathNames(*value, scope.targetFolder, resolver);
      }
    }
    if (!belongs) LogProc(5, L"Registry key belongs to another installation: " + step.ownerKey);
    owned[folded] = belongs;
  }
}

bool StepRunner::Owned(const UndoStep& step) const {
  if (step.ownership == Ownership::None) return true;
  const auto found = owned.find(FoldCase(step.ownerKey));
  return found == owned.end() || found->second;
}

Decision StepRunner::Failed(DWORD error) {
  lastError = error;
  LogProc(3, L"Undo step failed : " + ErrorCodeText(error, true));
  return {Action::Keep, ReportKey::WrongType, ExitEffect::Partly, true};
}

bool StepRunner::LiesWhereExpected(const std::wstring& normalPath, const std::wstring& finalPath) {
  const std::optional<PlacedPath> placed = PlacePath(scope, normalPath, resolver);
  std::wstring root;
  if (placed) {
    switch (placed->area) {
      case PathArea::Target: root = scope.targetFolder; break;
      case PathArea::Backup: root = scope.backupFolder; break;
      case PathArea::StartMenu: root = scope.menuFolder; break;
      case PathArea::AboveMenu: root = scope.startMenuRoot; break;
      default: break;
    }
  }
  std::wstring expected = normalPath;
  if (!root.empty() && normalPath.size() >= root.size()) {
    auto cached = rootFinal.find(root);
    if (cached == rootFinal.end()) cached = rootFinal.emplace(root, TrimDelimiter(FinalFolderPath(root))).first;
    if (!cached->second.empty()) expected = cached->second + normalPath.substr(root.size());
  }
  return EqualsNoCase(TrimDelimiter(expected), TrimDelimiter(finalPath));
}

Decision StepRunner::Run(const UndoStep& step) {
  lastError = 0;
  switch (step.kind) {
    case StepKind::RestoreBackup: return RunRestore(step);
    case StepKind::DeleteRegValue:
    case StepKind::DeleteRegKey: return RunRegistry(step);
    default: return RunFile(step);
  }
}

Decision StepRunner::RunFile(const UndoStep& step) {
  OpenedEntry entry = OpenEntry(step.path);
  DiskState state;
  state.presence = PresenceOf(entry.kind);
  state.inUse = entry.kind == EntryKind::InUse;
  state.reparsePoint = entry.kind == EntryKind::ReparsePoint ||
                       (entry.handle && !LiesWhereExpected(step.path, entry.finalPath));
  if (entry.kind == EntryKind::File) state.stamp = FileStamp{entry.size, entry.lastWrite};
  if (entry.kind == EntryKind::Folder) state.folderEmpty = FolderEmpty(entry);
  if (entry.kind == EntryKind::Failed) return Failed(entry.error);
  state.owned = Owned(step);

  Decision decision = Decide(step, state);
  if (decision.action != Action::Do) return decision;
  if (DeleteOpened(entry)) return decision;
  const DWORD error = GetLastError();
  if (IsInUseError(error)) {
    state.inUse = true;
    lastError = error;
    return Decide(step, state);
  }
  if (error == ERROR_DIR_NOT_EMPTY) {  // something arrived meanwhile
    state.folderEmpty = false;
    return Decide(step, state);
  }
  return Failed(error);
}

Decision StepRunner::RunRestore(const UndoStep& step) {
  OpenedEntry backup = OpenEntry(step.backupPath);
  DiskState state;
  {
    OpenedEntry target = OpenEntry(step.path);
    state.presence = PresenceOf(target.kind);
    state.inUse = target.kind == EntryKind::InUse;
    state.reparsePoint = target.kind == EntryKind::ReparsePoint ||
                         (target.handle && !LiesWhereExpected(step.path, target.finalPath));
    if (target.kind == EntryKind::File) state.stamp = FileStamp{target.size, target.lastWrite};
    if (target.kind == EntryKind::Failed) return Failed(target.error);
  }  // closed again: a replaced file must have no open handle of ours
  state.backup = PresenceOf(backup.kind);
  state.backupReparse = backup.kind == EntryKind::ReparsePoint ||
                        (backup.handle && !LiesWhereExpected(step.backupPath, backup.finalPath));
  if (backup.kind == EntryKind::InUse) state.inUse = true;

  Decision decision = Decide(step, state);
  if (decision.action != Action::Do) return decision;

  // The target's folder is held open without delete sharing while the backup moves into it,
  // so it cannot be swapped for a junction in between; where it really lies is checked first.
  const std::wstring folder = FolderOf(step.path);
  unique_handle folderHandle(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folderHandle) return Failed(GetLastError());
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(folderHandle.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
      !LiesWhereExpected(TrimDelimiter(folder), FinalPathOf(folderHandle.get()))) {
    state.reparsePoint = true;
    return Decide(step, state);
  }
  if (RenameOpened(backup, step.path, true)) return decision;
  const DWORD error = GetLastError();
  if (IsInUseError(error)) {
    state.inUse = true;
    lastError = error;
    return Decide(step, state);
  }
  return Failed(error);
}

Decision StepRunner::RunRegistry(const UndoStep& step) {
  DiskState state;
  const bool forKey = step.kind == StepKind::DeleteRegKey;
  HKEY raw = nullptr;
  const LONG open = RegOpenKeyExW(HKEY_LOCAL_MACHINE, step.path.c_str(), 0,
                                  KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS | kView, &raw);
  unique_hkey key(open == ERROR_SUCCESS ? raw : nullptr);
  if (key) {
    if (forKey) {
      state.presence = Presence::File;
      DWORD subkeys = 0, values = 0;
      if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                           nullptr, nullptr) == ERROR_SUCCESS)
        state.folderEmpty = subkeys == 0 && values == 0;
    } else if (RegQueryValueExW(key.get(), step.valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      state.presence = Presence::File;
    }
  } else if (open != ERROR_FILE_NOT_FOUND) {
    return Failed(static_cast<DWORD>(open));
  }
  state.owned = Owned(step);

  Decision decision = Decide(step, state);
  if (decision.action != Action::Do) return decision;
  const LONG result = forKey ? (key.reset(), RegDeleteKeyExW(HKEY_LOCAL_MACHINE, step.path.c_str(), kView, 0))
                             : RegDeleteValueW(key.get(), step.valueName.c_str());
  if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) return decision;
  return Failed(static_cast<DWORD>(result));
}
