#include "uninstaller/UndoPlan.h"

#include <algorithm>
#include <map>
#include <set>

#include "install/JournalLossless.h"
#include "support/ProductFacts.h"

namespace {

constexpr const wchar_t* kPartialSuffix = L".~setup-partial";

bool IsEntryPhaseEnd(RecordKind kind) {
  return kind == RecordKind::RenDel || kind == RecordKind::ErrorCopyUninstall || kind == RecordKind::DelRegValue ||
         kind == RecordKind::DelRegKey;
}

bool IsErrorRecord(RecordKind kind) {
  return kind == RecordKind::ZipError || kind == RecordKind::ErrorCopyUninstall ||
         kind == RecordKind::CreateErrorCode || kind == RecordKind::CreateErrorText;
}

std::wstring ParentOf(const std::wstring& normal) {
  const size_t cut = normal.rfind(L'\\');
  if (cut == std::wstring::npos) return {};
  return cut == 2 ? normal.substr(0, 3) : normal.substr(0, cut);
}

std::optional<FileStamp> WrittenStamp(const JournalEntry& entry) {
  if (const JournalAnnotation* a = entry.Find(AnnotationKind::Written)) return FileStamp{a->size, a->time};
  return std::nullopt;
}

// Steps collected per phase while walking the records backwards; the final phase keeps its
// own groups in the order they must run.
struct Builder {
  const ProductScope& scope;
  const ShortNameResolver& resolver;
  UndoPlan plan;
  std::vector<UndoStep> files, menu, registry;
  std::vector<UndoStep> finalEntry, finalLink, finalMenuFolders, finalUninstaller, finalBackupFiles, finalTarget;
  std::map<std::wstring, std::pair<std::vector<UndoStep>*, size_t>> folderSteps, keySteps;
  std::map<std::pair<std::wstring, std::wstring>, std::pair<std::vector<UndoStep>*, size_t>> moveSteps;
  std::set<std::wstring> mirrorFolders;
  bool uninstallerSeen = false;

  void Skip(const RecordRef& ref, SkipReason reason, const JournalRecord& record) {
    plan.skipped.push_back({ref, reason, FormatRecord(record)});
  }

  using Index = std::map<std::wstring, std::pair<std::vector<UndoStep>*, size_t>>;

  // One step per folder or key: a later record of the same one only joins its records.
  void AddOnce(Index& index, std::vector<UndoStep>& into, const std::wstring& id, StepKind kind, const std::wstring& path,
               const std::wstring& shown, const RecordRef* ref) {
    if (const auto it = index.find(id); it != index.end()) {
      if (ref) (*it->second.first)[it->second.second].records.push_back(*ref);
      return;
    }
    UndoStep step;
    step.kind = kind;
    step.path = path;
    step.shown = shown;
    if (ref) step.records.push_back(*ref);
    into.push_back(step);
    index[id] = {&into, into.size() - 1};
  }

  void AddFolder(std::vector<UndoStep>& into, const std::wstring& path, const std::wstring& shown, const RecordRef* ref) {
    // The same folder again (an earlier run's record): the step moves to this later place, after
    // that run's files in it are gone; its old place is left empty and dropped.
    if (const auto it = folderSteps.find(path); it != folderSteps.end()) {
      UndoStep& earlier = (*it->second.first)[it->second.second];
      UndoStep step = std::move(earlier);
      earlier = UndoStep{};
      if (ref) step.records.push_back(*ref);
      into.push_back(std::move(step));
      it->second = {&into, into.size() - 1};
      return;
    }
    AddOnce(folderSteps, into, path, StepKind::RemoveEmptyFolder, path, shown, ref);
  }

  void AddKey(std::vector<UndoStep>& into, const std::wstring& normalKey, const std::wstring& key, const RecordRef* ref) {
    AddOnce(keySteps, into, normalKey, StepKind::DeleteRegKey, RegistryKeyForApi(key), key, ref);
  }

  void Record(const JournalSection& run, const RecordRef& ref, bool entryPhase, const std::set<std::wstring>& failedEntries) {
    const JournalEntry& entry = run.entries[ref.entry];
    const JournalRecord& r = entry.record;
    if (IsErrorRecord(r.kind)) return Skip(ref, SkipReason::ErrorRecord, r);
    switch (r.kind) {
      case RecordKind::RmDir: {
        const auto placed = PlacePath(scope, r.path, resolver);
        if (!placed) return Skip(ref, SkipReason::NotNormal, r);
        if (!AreaAllowsFolder(placed->area)) return Skip(ref, SkipReason::Outside, r);
        if (run.lossless && entry.Has(AnnotationKind::Existed) && !folderSteps.count(placed->normal.path)) {
          // Only a run that created the folder removes it; a later run's record of it merges.
          return Skip(ref, SkipReason::NotCreated, r);
        }
        const std::wstring& p = placed->normal.path;
        // The backup folder and the levels at and above the target go last, outward.
        if (p == scope.backupFolder || placed->area == PathArea::AboveTarget || p == scope.targetFolder)
          return AddFolder(finalTarget, p, r.path, &ref);
        if (placed->area == PathArea::Backup) return AddFolder(finalBackupFiles, p, r.path, &ref);
        if (placed->area == PathArea::StartMenu || placed->area == PathArea::AboveMenu)
          return AddFolder(finalMenuFolders, p, r.path, &ref);
        return AddFolder(files, p, r.path, &ref);
      }
      case RecordKind::Delete: {
        const auto placed = PlacePath(scope, r.path, resolver);
        if (!placed) return Skip(ref, SkipReason::NotNormal, r);
        if (!AreaAllowsFile(placed->area)) return Skip(ref, SkipReason::Outside, r);
        const std::wstring& p = placed->normal.path;
        if (entryPhase && failedEntries.count(p)) return Skip(ref, SkipReason::NotCompleted, r);
        if (placed->normal.isFolder) {
          std::vector<UndoStep>& into = placed->area == PathArea::StartMenu ? finalMenuFolders
                                        : placed->area == PathArea::Backup  ? finalBackupFiles
                                                                            : files;
          return AddFolder(into, p, r.path, &ref);
        }
        const std::optional<FileStamp> stamp = WrittenStamp(entry);
        if (entryPhase && run.lossless && !stamp && !run.complete && !entry.Has(AnnotationKind::New)) {
          // The run died while this entry was being extracted over a file: that file is not the
          // setup's. (A file the run was creating new is, however incomplete: it is removed.)
          AddPartial(p);
          return Skip(ref, SkipReason::NotCompleted, r);
        }
        UndoStep step;
        step.kind = StepKind::RemoveFile;
        step.path = p;
        step.shown = r.path;
        step.expected = stamp;
        step.records.push_back(ref);
        if (placed->area == PathArea::StartMenu) {
          step.ownership = Ownership::UninstallStringIsThis;
          step.ownerKey = RegistryKeyForApi(std::wstring(product::uninstallKeyBase) + product::uninstallDirName);
          const std::wstring name = FoldCase(L" entfernen.lnk");
          const bool isUninstallLink = p.size() > name.size() && p.ends_with(name);
          (isUninstallLink ? finalLink : menu).push_back(step);
        } else if (placed->area == PathArea::Backup) {
          finalBackupFiles.push_back(step);
        } else {
          files.push_back(step);
        }
        return;
      }
      case RecordKind::Move: {
        const auto target = PlacePath(scope, r.path, resolver);
        const auto backup = PlacePath(scope, r.second, resolver);
        if (!target || !backup || target->normal.isFolder || backup->normal.isFolder)
          return Skip(ref, SkipReason::NotNormal, r);
        if (target->area != PathArea::Target || backup->area != PathArea::Backup ||
            backup->normal.path == scope.backupFolder)
          return Skip(ref, SkipReason::Outside, r);
        const std::wstring& p = target->normal.path;
        const bool failed = failedEntries.count(p) > 0;
        // The move never happened: nothing was backed up, the user's file was not touched.
        if (run.lossless && (entry.Has(AnnotationKind::MoveFailed) || (failed && entry.Has(AnnotationKind::KeptEarlier))))
          return Skip(ref, SkipReason::NotCompleted, r);
        const bool moved = run.lossless && (entry.Has(AnnotationKind::Moved) || entry.Has(AnnotationKind::KeptEarlier));
        const bool extracted = entry.Has(AnnotationKind::Written);
        // Whether the installed file replaced the user's is not known: restore only into a gap.
        // A file the run was creating new after the move is its own, however incomplete.
        const bool ownTarget = extracted || entry.Has(AnnotationKind::New);
        const bool notSure = failed || (run.lossless && !run.complete && !(moved && ownTarget));
        for (std::wstring level = ParentOf(backup->normal.path); level.size() > scope.backupFolder.size();
             level = ParentOf(level))
          mirrorFolders.insert(level);
        if (notSure) AddPartial(p);
        const auto key = std::make_pair(p, backup->normal.path);
        if (const auto it = moveSteps.find(key); it != moveSteps.end()) {
          UndoStep& existing = (*it->second.first)[it->second.second];
          existing.records.push_back(ref);
          if (existing.entryFailed && !notSure) {
            // The later run did not finish this entry; this run's installed file is what stands.
            existing.entryFailed = false;
            existing.expected = WrittenStamp(entry);
          }
          return;
        }
        UndoStep step;
        step.kind = StepKind::RestoreBackup;
        step.path = p;
        step.backupPath = backup->normal.path;
        step.shown = r.path;
        step.expected = WrittenStamp(entry);
        step.entryFailed = notSure;
        step.records.push_back(ref);
        files.push_back(step);
        moveSteps[key] = {&files, files.size() - 1};
        return;
      }
      case RecordKind::RenDel: {
        const auto placed = PlacePath(scope, r.path, resolver);
        if (!placed) return Skip(ref, SkipReason::NotNormal, r);
        if (placed->normal.path != scope.uninstallerPath) return Skip(ref, SkipReason::Outside, r);
        if (uninstallerSeen) {
          finalUninstaller.front().records.push_back(ref);
          return;
        }
        uninstallerSeen = true;
        UndoStep step;
        step.kind = StepKind::RemoveUninstaller;
        step.path = placed->normal.path;
        step.shown = r.path;
        step.records.push_back(ref);
        finalUninstaller.push_back(step);
        return;
      }
      case RecordKind::DelRegValue: {
        const size_t cut = r.path.rfind(L'\\');
        if (cut == std::wstring::npos || cut + 1 >= r.path.size()) return Skip(ref, SkipReason::NotNormal, r);
        const std::wstring key = r.path.substr(0, cut + 1);
        const KeyArea area = PlaceKey(scope, key);
        if (area != KeyArea::UninstallEntry && area != KeyArea::ProductKey) return Skip(ref, SkipReason::Outside, r);
        UndoStep step;
        step.kind = StepKind::DeleteRegValue;
        step.path = RegistryKeyForApi(key);
        step.ownerKey = step.path;
        step.valueName = r.path.substr(cut + 1);
        step.shown = r.path;
        step.records.push_back(ref);
        if (area == KeyArea::UninstallEntry) {
          step.ownership = Ownership::UninstallStringIsThis;
          for (UndoStep& existing : finalEntry)
            if (existing.kind == StepKind::DeleteRegValue && EqualsNoCase(existing.valueName, step.valueName))
              return existing.records.push_back(ref);
          finalEntry.push_back(step);
        } else {
          step.ownership = Ownership::InstallPathIsTarget;
          for (UndoStep& existing : registry)
            if (existing.kind == StepKind::DeleteRegValue && EqualsNoCase(existing.valueName, step.valueName))
              return existing.records.push_back(ref);
          registry.push_back(step);
        }
        return;
      }
      case RecordKind::DelRegKey: {
        const KeyArea area = PlaceKey(scope, r.path);
        if (area == KeyArea::Outside) return Skip(ref, SkipReason::Outside, r);
        const std::wstring normalKey = NormalizeRegistryKey(r.path).value_or(L"");
        return AddKey(area == KeyArea::UninstallEntry ? finalEntry : registry, normalKey, r.path, &ref);
      }
      default:
        return;
    }
  }

  void AddPartial(const std::wstring& file) {
    // Only where the partial file itself lies inside the product's folders: a record naming a
    // folder's own path without its "\" must not lead to a file beside that folder.
    const auto placed = PlacePath(scope, file + kPartialSuffix, resolver);
    if (!placed || placed->normal.isFolder || !AreaAllowsFile(placed->area)) return;
    UndoStep step;
    step.kind = StepKind::RemoveByProduct;
    step.path = placed->normal.path;
    step.shown = step.path;
    files.push_back(step);
  }

  void AddByProduct(std::vector<UndoStep>& into, const std::wstring& name) {
    UndoStep step;
    step.kind = StepKind::RemoveByProduct;
    step.path = scope.backupFolder + L"\\" + FoldCase(name);
    step.shown = step.path;
    into.push_back(step);
  }
};

}  // namespace

UndoPlan BuildUndoPlan(const JournalReadResult& journal, const ProductScope& scope, const ShortNameResolver& resolver) {
  Builder b{scope, resolver, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, false};
  b.plan.scope = scope;
  for (size_t ri = journal.runs.size(); ri-- > 0;) {
    const JournalSection& run = journal.runs[ri];
    const auto destination = NormalizePath(run.destination, resolver);
    if (!destination || destination->path != scope.backupFolder) {
      for (size_t ei = 0; ei < run.entries.size(); ++ei) b.Skip({ri, ei}, SkipReason::ForeignHeader, run.entries[ei].record);
      continue;
    }
    size_t entryPhaseEnd = run.entries.size();
    std::set<std::wstring> failedEntries;
    for (size_t ei = 0; ei < run.entries.size(); ++ei) {
      const JournalRecord& r = run.entries[ei].record;
      if (entryPhaseEnd == run.entries.size() && IsEntryPhaseEnd(r.kind)) entryPhaseEnd = ei;
      if (r.kind == RecordKind::ZipError)
        if (const auto p = NormalizePath(r.path, resolver)) failedEntries.insert(p->path);
    }
    for (size_t ei = run.entries.size(); ei-- > 0;) b.Record(run, {ri, ei}, ei < entryPhaseEnd, failedEntries);
  }
  // The publisher's key is never journaled; it goes when it is empty.
  b.AddKey(b.registry, scope.publisherKey, product::publisherKey, nullptr);
  // Values before keys, and a key before the key that holds it: each key goes only when empty.
  const auto depth = [](const UndoStep& s) { return std::count(s.path.begin(), s.path.end(), L'\\'); };
  std::stable_sort(b.registry.begin(), b.registry.end(), [&](const UndoStep& a, const UndoStep& c) {
    const bool av = a.kind == StepKind::DeleteRegValue, cv = c.kind == StepKind::DeleteRegValue;
    if (av != cv) return av;
    return !av && depth(a) > depth(c);
  });

  // Final phase: the entry the uninstaller is registered by (UninstallString last among its
  // values, as it decides whether the others still belong to this installation), its link, the
  // menu folders, itself, the by-products and journal files, the backup folder and above.
  std::stable_partition(b.finalEntry.begin(), b.finalEntry.end(), [](const UndoStep& s) {
    return s.kind == StepKind::DeleteRegValue && !EqualsNoCase(s.valueName, L"UninstallString");
  });
  std::stable_partition(b.finalEntry.begin(), b.finalEntry.end(),
                        [](const UndoStep& s) { return s.kind == StepKind::DeleteRegValue; });
  std::vector<UndoStep> byProducts;
  b.AddByProduct(byProducts, L"uninstall.dat.tmp");
  b.AddByProduct(byProducts, std::wstring(product::uninstallerFileName) + L".ren");
  for (auto it = b.mirrorFolders.rbegin(); it != b.mirrorFolders.rend(); ++it) {
    if (b.folderSteps.count(*it)) continue;
    UndoStep step;
    step.kind = StepKind::RemoveEmptyFolder;
    step.path = *it;
    step.shown = *it;
    byProducts.push_back(step);
  }
  b.AddByProduct(byProducts, product::journalFileName);
  b.AddByProduct(byProducts, std::wstring(product::journalFileName) + journal_file::losslessSuffix);
  // The backup folder first among the folders at and above the target, then outward.
  std::vector<UndoStep> outer;
  bool backupStep = false;
  for (UndoStep& s : b.finalTarget) {
    if (s.path == scope.backupFolder) {
      backupStep = true;
      byProducts.push_back(s);
    }
  }
  if (!backupStep) {
    UndoStep step;
    step.kind = StepKind::RemoveEmptyFolder;
    step.path = scope.backupFolder;
    step.shown = scope.backupFolder;
    byProducts.push_back(step);
  }
  for (UndoStep& s : b.finalTarget)
    if (s.path != scope.backupFolder) outer.push_back(s);
  // Deepest first: a folder before the folder that holds it.
  std::stable_sort(outer.begin(), outer.end(), [](const UndoStep& a, const UndoStep& c) { return a.path.size() > c.path.size(); });
  std::stable_sort(b.finalMenuFolders.begin(), b.finalMenuFolders.end(),
                   [](const UndoStep& a, const UndoStep& c) { return a.path.size() > c.path.size(); });

  const auto put = [&](std::vector<UndoStep>& group, Phase phase) {
    for (UndoStep& s : group) {
      if (s.path.empty()) continue;  // a folder step that moved to a later place
      s.phase = phase;
      b.plan.steps.push_back(std::move(s));
    }
  };
  put(b.files, Phase::Files);
  put(b.menu, Phase::StartMenu);
  put(b.registry, Phase::Registry);
  put(b.finalEntry, Phase::Final);
  put(b.finalLink, Phase::Final);
  put(b.finalMenuFolders, Phase::Final);
  put(b.finalBackupFiles, Phase::Final);
  put(b.finalUninstaller, Phase::Final);
  put(byProducts, Phase::Final);
  put(outer, Phase::Final);
  return b.plan;
}

const wchar_t* ReportKeyName(ReportKey key) {
  switch (key) {
    case ReportKey::Removed: return L"removed";
    case ReportKey::Restored: return L"restored";
    case ReportKey::AlreadyAbsent: return L"already-absent";
    case ReportKey::ChangedByUser: return L"changed-by-user";
    case ReportKey::FolderNotEmpty: return L"folder-not-empty";
    case ReportKey::BackupMissing: return L"backup-missing";
    case ReportKey::NotCompleted: return L"not-completed";
    case ReportKey::ReparsePoint: return L"reparse-point";
    case ReportKey::WrongType: return L"wrong-type";
    case ReportKey::InUse: return L"in-use";
    case ReportKey::NotOurs: return L"not-ours";
  }
  return L"";
}

Decision Decide(const UndoStep& step, const DiskState& s) {
  const auto decide = [](Action a, ReportKey r, ExitEffect e = ExitEffect::None, bool stays = false) {
    return Decision{a, r, e, stays};
  };
  const bool isRegistry = step.kind == StepKind::DeleteRegValue || step.kind == StepKind::DeleteRegKey;
  if (!isRegistry && s.reparsePoint) return decide(Action::Refuse, ReportKey::ReparsePoint, ExitEffect::Partly);
  if (s.inUse) return decide(Action::Retry, ReportKey::InUse, ExitEffect::Partly, true);
  switch (step.kind) {
    case StepKind::RemoveFile:
    case StepKind::RemoveByProduct:
    case StepKind::RemoveUninstaller:
      if (s.presence == Presence::Absent) return decide(Action::AlreadyUndone, ReportKey::AlreadyAbsent);
      if (s.presence == Presence::Folder) return decide(Action::Keep, ReportKey::WrongType, ExitEffect::Partly);
      if (!s.owned) return decide(Action::Refuse, ReportKey::NotOurs);
      if (step.expected && (!s.stamp || *s.stamp != *step.expected)) return decide(Action::Keep, ReportKey::ChangedByUser);
      return decide(Action::Do, ReportKey::Removed);
    case StepKind::RemoveEmptyFolder:
      if (s.presence == Presence::Absent) return decide(Action::AlreadyUndone, ReportKey::AlreadyAbsent);
      if (s.presence == Presence::File) return decide(Action::Keep, ReportKey::WrongType, ExitEffect::Partly);
      if (!s.folderEmpty) return decide(Action::Keep, ReportKey::FolderNotEmpty);
      return decide(Action::Do, ReportKey::Removed);
    case StepKind::RestoreBackup:
      if (s.backupReparse) return decide(Action::Refuse, ReportKey::ReparsePoint, ExitEffect::Partly);
      if (s.backup == Presence::Folder) return decide(Action::Keep, ReportKey::WrongType, ExitEffect::Partly);
      if (s.backup == Presence::Absent) {
        if (s.presence == Presence::Absent) return decide(Action::AlreadyUndone, ReportKey::AlreadyAbsent);
        if (step.entryFailed) return decide(Action::Keep, ReportKey::NotCompleted);
        return decide(Action::Keep, ReportKey::BackupMissing, ExitEffect::Partly);
      }
      if (s.presence == Presence::Absent) return decide(Action::Do, ReportKey::Restored);
      // The backup is there and so is a file at the target. Not knowing whose the file is, both
      // stay, and the record too: the backup must not be lost with the backup folder.
      if (step.entryFailed) return decide(Action::Keep, ReportKey::NotCompleted, ExitEffect::Partly, true);
      if (s.presence == Presence::Folder) return decide(Action::Keep, ReportKey::WrongType, ExitEffect::Partly, true);
      if (step.expected && (!s.stamp || *s.stamp != *step.expected))
        return decide(Action::Keep, ReportKey::ChangedByUser, ExitEffect::Partly, true);
      return decide(Action::Do, ReportKey::Restored);
    case StepKind::DeleteRegValue:
      if (s.presence == Presence::Absent) return decide(Action::AlreadyUndone, ReportKey::AlreadyAbsent);
      if (!s.owned) return decide(Action::Refuse, ReportKey::NotOurs);
      return decide(Action::Do, ReportKey::Removed);
    case StepKind::DeleteRegKey:
      if (s.presence == Presence::Absent) return decide(Action::AlreadyUndone, ReportKey::AlreadyAbsent);
      if (!s.owned) return decide(Action::Refuse, ReportKey::NotOurs);
      if (!s.folderEmpty) return decide(Action::Keep, ReportKey::FolderNotEmpty);
      return decide(Action::Do, ReportKey::Removed);
  }
  return decide(Action::Refuse, ReportKey::WrongType, ExitEffect::Partly);
}

RemainingJournal RemainingJournalBytes(const JournalReadResult& journal, const UndoPlan& plan,
                                       const std::vector<bool>& left, const AnsiCodec& codec) {
  std::set<std::pair<size_t, size_t>> keep;
  for (size_t i = 0; i < plan.steps.size() && i < left.size(); ++i)
    if (left[i])
      for (const RecordRef& ref : plan.steps[i].records) keep.insert({ref.run, ref.entry});
  RemainingJournal out;
  std::vector<std::wstring> lastRun;
  for (size_t ri = 0; ri < journal.runs.size(); ++ri) {
    const JournalSection& run = journal.runs[ri];
    std::vector<std::wstring> lines;
    std::vector<std::wstring> records;
    for (size_t ei = 0; ei < run.entries.size(); ++ei) {
      if (!keep.count({ri, ei})) continue;
      const std::wstring line = FormatRecord(run.entries[ei].record);
      records.push_back(line);
      lines.push_back(line);
      for (const JournalAnnotation& a : run.entries[ei].annotations) lines.push_back(FormatAnnotation(a));
    }
    if (records.empty()) continue;
    const std::vector<std::wstring> header = {JournalProgramLineFromValue(run.program),
                                              FormatRecord(MakeRecord(RecordKind::Source, run.source)),
                                              FormatRecord(MakeRecord(RecordKind::Destination, run.destination))};
    lines.insert(lines.begin(), header.begin(), header.end());
    records.insert(records.begin(), header.begin(), header.end());
    out.losslessBytes += LosslessSectionBytes(lines, true);
    lastRun = std::move(records);
    out.empty = false;
  }
  for (const std::wstring& line : lastRun) out.ansiBytes += (codec.encode ? codec.encode(line) : std::string()) + "\r\n";
  return out;
}
