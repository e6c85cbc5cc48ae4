// The undo plan: from the journal's runs, the ordered steps that return the machine to its state
// before the first installation, each with what must be checked on disk first; the decision
// table (step x state found -> action, report, exit code); and the journal that remains when
// something cannot be undone yet. All pure: the executor looks at disk and registry through
// handles, fills a DiskState, asks Decide and carries the step out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "install/JournalReader.h"
#include "uninstaller/PathScope.h"

enum class StepKind {
  RemoveFile,         // a file the setup wrote ("Delete;", shortcuts): delete it
  RemoveEmptyFolder,  // "rmDir;", a folder entry's "Delete;", mirror and backup folders: only when empty
  RestoreBackup,      // "Move;": move backupPath back over path (replacing the installed file)
  RemoveUninstaller,  // "RenDel;": the running uninstaller itself (self-removal)
  RemoveByProduct,    // a file no record names (partial file, uninstall.dat.tmp, uninstall.exe.ren,
                      // the journal files): delete it when present
  DeleteRegValue,     // HKLM (32-bit view) key \ valueName
  DeleteRegKey,       // HKLM (32-bit view) key, only when it holds no value and no subkey
};

// Order of execution: Files, then StartMenu, then Registry, then Final. Final holds what the
// uninstaller needs until the end (its uninstall entry, its "… entfernen" link, itself, the
// journal, the backup folder and the levels above it) and runs only when no earlier step is
// left in the journal (see Decision::staysInJournal).
enum class Phase { Files, StartMenu, Registry, Final };

// Size and last-write time (FILETIME, 100 ns since 1601) of a file the setup wrote.
struct FileStamp {
  uint64_t size = 0;
  uint64_t time = 0;
  bool operator==(const FileStamp&) const = default;
};

// What must still belong to this installation before a registry step may act.
enum class Ownership {
  None,
  UninstallStringIsThis,  // the uninstall entry's UninstallString names scope.uninstallerPath
  InstallPathIsTarget,    // the product key's InstallPath names scope.targetFolder
};

// Which records a step stands for: (run index, entry index) into JournalReadResult::runs.
struct RecordRef {
  size_t run = 0;
  size_t entry = 0;
  bool operator==(const RecordRef&) const = default;
};

struct UndoStep {
  StepKind kind = StepKind::RemoveFile;
  Phase phase = Phase::Files;
  // Files: the normalised path (NormalizePath form, no trailing "\"). Registry: the key below
  // HKLM in the form RegDeleteKeyExW takes ("SOFTWARE\Quellmark Media\Drivona2 Ostrauwen": single
  // separators, none leading or trailing, original case).
  std::wstring path;
  std::wstring backupPath;  // RestoreBackup: normalised backup file
  std::wstring valueName;   // DeleteRegValue
  std::wstring shown;       // the path as the journal wrote it (for reports)
  // RemoveFile / RestoreBackup: what the setup wrote there; a file that differs is the user's.
  std::optional<FileStamp> expected;
  Ownership ownership = Ownership::None;
  // The key (RegDeleteKeyExW form) whose value the ownership check reads: a registry step's own
  // key; for the Start-menu links the uninstall entry's key, as the links belong to whichever
  // installation the entry names.
  std::wstring ownerKey;
  // RestoreBackup of an entry a "ZipError;" names: the move may have happened, the extraction
  // did not; restore only when the target is absent and the backup present.
  bool entryFailed = false;
  std::vector<RecordRef> records;  // empty for by-products
};

// A record that is not acted on, with the reason (for the outcome and the log).
enum class SkipReason {
  Outside,          // path or key outside the product's folders and keys
  NotNormal,        // path that does not normalise (relative, "..", stream, device, ...)
  NotCompleted,     // the entry's change was not completed (a "ZipError;" names it, or the run died there)
  ErrorRecord,      // "ZipError;", "ErrorCopyUninstall;", "CreateError;": nothing to undo
  Duplicate,        // the same change already has a step
  ForeignHeader,    // a run whose "Destination=" is not this backup folder
  NotCreated,       // "rmDir;" of a folder that was there before the installation
};
struct SkippedRecord {
  RecordRef ref;
  SkipReason reason = SkipReason::Outside;
  std::wstring line;  // the record as written
};

struct UndoPlan {
  ProductScope scope;
  std::vector<UndoStep> steps;  // in execution order
  std::vector<SkippedRecord> skipped;
};

// The plan for the read journal within the scope. Reverse record order, last run first;
// registry steps carry their ownership check; by-products are added: each entry's
// "<target>.~setup-partial", the backup folder's uninstall.dat.tmp and uninstall.exe.ren, its
// mirror folders (deepest first), the journal files, the backup folder and the levels above
// it that a run created; and the publisher key when empty.
UndoPlan BuildUndoPlan(const JournalReadResult& journal, const ProductScope& scope,
                       const ShortNameResolver& resolver = {});

// ---- The decision table ------------------------------------------------------------------------

enum class Presence { Absent, File, Folder };

// What the executor found, through handles opened without following reparse points.
struct DiskState {
  Presence presence = Presence::Absent;  // at step.path (registry: value or key present = File)
  bool reparsePoint = false;  // step.path, or a level of it below the target folder, is a reparse point
  bool folderEmpty = false;   // Folder: holds nothing; registry key: no values and no subkeys
  std::optional<FileStamp> stamp;  // File: its size and last-write time
  Presence backup = Presence::Absent;  // RestoreBackup: at step.backupPath
  bool backupReparse = false;
  bool inUse = false;  // the attempt failed as the file is open elsewhere (sharing violation)
  bool owned = true;   // the step's Ownership check passed (always true for Ownership::None)
};

enum class Action {
  Do,             // carry the step out
  AlreadyUndone,  // nothing to do: counts as undone
  Keep,           // leave it as it is and report it
  Refuse,         // never act on it (a reparse point, a foreign value)
  Retry,          // failed for now (in use): ask to retry; if not, it stays in the journal
};

// Report text keys; the uninstaller maps them to its texts.
enum class ReportKey {
  Removed,
  Restored,
  AlreadyAbsent,
  ChangedByUser,   // the file differs from what the setup wrote: kept
  FolderNotEmpty,  // holds other files (the user's): kept, not a failure
  BackupMissing,   // "Move;" without its backup: the installed file is left alone
  NotCompleted,    // the setup never finished this change: left alone
  ReparsePoint,    // a link or junction: refused
  WrongType,       // a folder where a file was written, or the other way round
  InUse,
  NotOurs,         // the registry value belongs to another installation
};
const wchar_t* ReportKeyName(ReportKey key);

enum class ExitEffect {
  None,     // undone, or kept by design (a folder holding the user's files)
  Partly,   // something is left: exit code "partly undone"
};

struct Decision {
  Action action = Action::Do;
  ReportKey report = ReportKey::Removed;
  ExitEffect effect = ExitEffect::None;
  // The step's records go into the remaining journal (a later run can finish it).
  bool staysInJournal = false;
};

Decision Decide(const UndoStep& step, const DiskState& state);

// ---- The remaining journal ---------------------------------------------------------------------

// Both files for what is left: the runs with only the records of steps whose entry in left is
// true (with their header lines and annotations), uninstall.dat holding the last such run in
// the ANSI code page, uninstall.dat.utf8 every such run, each closed with "#End". left has one
// flag per plan step. empty is true when nothing is left (both files are then to be removed).
struct RemainingJournal {
  bool empty = true;
  std::string ansiBytes;
  std::string losslessBytes;
};
RemainingJournal RemainingJournalBytes(const JournalReadResult& journal, const UndoPlan& plan,
                                       const std::vector<bool>& left, const AnsiCodec& codec);
