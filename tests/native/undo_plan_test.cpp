// The undo plan and the decision table, run against a small model of disk and registry: after
// each kind of installation (complete, second, cancelled, failed, killed) the plan must bring
// the machine back to the state before the first one, and a hostile journal must change nothing
// outside the product.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "JournalSamples.h"
#include "install/JournalReader.h"
#include "uninstaller/UndoPlan.h"

using namespace samples;

namespace {

std::wstring N(const std::wstring& path) { return NormalizePath(path)->path; }
std::wstring K(const std::wstring& key) { return *NormalizeRegistryKey(key); }

// Files with their stamps, folders, registry keys with their values (all normalised).
struct Machine {
  std::map<std::wstring, FileStamp> files;
  std::set<std::wstring> folders;
  std::map<std::wstring, std::map<std::wstring, std::wstring>> keys;  // key -> value name -> data

  void File(const std::wstring& path, uint64_t size, uint64_t time) { files[N(path)] = {size, time}; }
  void Folder(const std::wstring& path) { folders.insert(N(path)); }
  bool operator==(const Machine&) const = default;

  bool HoldsSomething(const std::wstring& folder) const {
    const std::wstring prefix = folder + L"\\";
    for (const auto& [f, s] : files)
      if (f.starts_with(prefix)) return true;
    for (const std::wstring& d : folders)
      if (d.starts_with(prefix)) return true;
    return false;
  }

  // Whether the step's ownership value (read through ownerKey) names this installation; a key
  // or value that is gone names no other one.
  bool Owned(const UndoStep& step, const ProductScope& scope) const {
    if (step.ownership == Ownership::None) return true;
    const auto key = keys.find(K(step.ownerKey));
    if (key == keys.end()) return true;
    if (step.ownership == Ownership::UninstallStringIsThis) {
      const auto v = key->second.find(L"uninstallstring");
      return v == key->second.end() || UninstallStringNames(v->second, scope.uninstallerPath);
    }
    const auto v = key->second.find(L"installpath");
    return v == key->second.end() || InstallPathNames(v->second, scope.targetFolder);
  }

  DiskState StateFor(const UndoStep& step, const ProductScope& scope) const {
    DiskState s;
    s.owned = Owned(step, scope);
    if (step.kind == StepKind::DeleteRegValue || step.kind == StepKind::DeleteRegKey) {
      const auto key = keys.find(K(step.path));
      if (key == keys.end()) return s;
      if (step.kind == StepKind::DeleteRegValue) {
        if (key->second.count(FoldCase(step.valueName))) s.presence = Presence::File;
      } else {
        s.presence = Presence::Folder;
        bool subkeys = false;
        for (const auto& [k, v] : keys) subkeys |= k.starts_with(key->first + L"\\");
        s.folderEmpty = key->second.empty() && !subkeys;
      }
      return s;
    }
    if (const auto f = files.find(step.path); f != files.end()) {
      s.presence = Presence::File;
      s.stamp = f->second;
    } else if (folders.count(step.path)) {
      s.presence = Presence::Folder;
      s.folderEmpty = !HoldsSomething(step.path);
    }
    if (!step.backupPath.empty()) {
      if (files.count(step.backupPath)) s.backup = Presence::File;
      else if (folders.count(step.backupPath)) s.backup = Presence::Folder;
    }
    return s;
  }

  void Apply(const UndoStep& step) {
    switch (step.kind) {
      case StepKind::RemoveFile:
      case StepKind::RemoveByProduct:
      case StepKind::RemoveUninstaller:
        files.erase(step.path);
        break;
      case StepKind::RemoveEmptyFolder:
        folders.erase(step.path);
        break;
      case StepKind::RestoreBackup:
        files[step.path] = files[step.backupPath];
        files.erase(step.backupPath);
        break;
      case StepKind::DeleteRegValue:
        keys[K(step.path)].erase(FoldCase(step.valueName));
        break;
      case StepKind::DeleteRegKey:
        keys.erase(K(step.path));
        break;
    }
  }
};

struct Outcome {
  std::vector<Decision> decisions;
  std::vector<bool> left;
  std::map<ReportKey, int> reports;
  bool partly = false;
};

// What is left over or missing, for the failure message.
std::string Differences(const Machine& now, const Machine& before) {
  std::wstring text;
  for (const auto& [f, stamp] : now.files)
    if (!before.files.count(f) || !(before.files.at(f) == stamp)) text += L"\n  file " + f;
  for (const auto& [f, stamp] : before.files)
    if (!now.files.count(f)) text += L"\n  missing file " + f;
  for (const std::wstring& d : now.folders)
    if (!before.folders.count(d)) text += L"\n  folder " + d;
  for (const auto& [k, values] : now.keys)
    if (!before.keys.count(k)) text += L"\n  key " + k;
  std::string narrow;
  for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}

// What the executor does: each step in order, the final phase only when nothing before it stays.
Outcome Execute(const UndoPlan& plan, Machine& m) {
  Outcome out;
  bool blocked = false;
  for (const UndoStep& step : plan.steps) {
    if (step.phase == Phase::Final && blocked) {
      out.left.push_back(true);
      out.decisions.push_back({Action::Keep, ReportKey::NotCompleted, ExitEffect::Partly, true});
      continue;
    }
    const Decision d = Decide(step, m.StateFor(step, plan.scope));
    if (d.action == Action::Do) m.Apply(step);
    blocked |= d.staysInJournal;
    out.partly |= d.effect == ExitEffect::Partly;
    out.left.push_back(d.staysInJournal);
    out.decisions.push_back(d);
    ++out.reports[d.report];
  }
  return out;
}

// The machine before any installation: the game with a user's bus.cfg and readme.txt.
Machine Before() {
  Machine m;
  m.Folder(L"D:\\Spiele\\");
  m.Folder(kTarget);
  m.Folder(kTarget + L"Vehicles\\");
  m.File(kTarget + L"Vehicles\\bus.cfg", 1, 1);
  m.File(kTarget + L"readme.txt", 3, 3);
  m.Folder(kPrograms);
  m.keys[K(L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\")] = {};
  return m;
}

// What FirstRun() leaves.
Machine AfterFirstRun() {
  Machine m = Before();
  m.Folder(kBackup);
  m.Folder(kBackup + L"Vehicles\\");
  m.File(kBackup + L"Vehicles\\bus.cfg", 1, 1);
  m.File(kTarget + L"Vehicles\\bus.cfg", 20, 200);
  m.Folder(kTarget + L"maps\\");
  m.Folder(kTarget + L"maps\\Ostrauwen\\");
  m.File(kTarget + L"maps\\Ostrauwen\\global.cfg", 10, 100);
  m.File(kBackup + L"uninstall.exe", 7, 7);
  m.File(kBackup + L"uninstall.dat", 1, 1);
  m.File(kBackup + L"uninstall.dat.utf8", 1, 1);
  m.Folder(kPrograms + L"Quellmark Media\\");
  m.Folder(kMenu);
  m.File(kMenu + L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk", 1, 1);
  m.File(kMenu + L"Quellmark Media im Internet.URL", 1, 1);
  m.keys[K(kEntryKey)] = {{L"displayname", L"x"}, {L"uninstallstring", L"\"" + kBackup + L"uninstall.exe\""}, {L"publisher", L"x"}};
  m.keys[K(L"\\SOFTWARE\\Quellmark Media\\")] = {};
  m.keys[K(L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\")] = {{L"installpath", kTarget}};
  return m;
}

ProductScope Scope(const std::wstring& uninstallString = L"") {
  return *MakeProductScope({kBackup, kBackup, uninstallString, kPrograms, {}});
}

UndoPlan PlanFor(const std::optional<std::string>& ansi, const std::optional<std::string>& lossless) {
  const JournalReadResult journal = ReadJournal(ansi, lossless, Windows1252Codec());
  EXPECT_TRUE(journal.ok);
  return BuildUndoPlan(journal, Scope());
}

std::vector<std::wstring> Concat(std::vector<std::wstring> a, const std::vector<std::wstring>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

TEST(UndoPlan, OrderOfTheExampleInstallation) {
  const UndoPlan plan = PlanFor(AnsiOf(FirstRun()), LosslessOf(FirstRun()));
  const std::pair<StepKind, std::wstring> expected[] = {
      {StepKind::RestoreBackup, N(kTarget + L"Vehicles\\bus.cfg")},
      {StepKind::RemoveFile, N(kTarget + L"maps\\Ostrauwen\\global.cfg")},
      {StepKind::RemoveEmptyFolder, N(kTarget + L"maps\\Ostrauwen\\")},
      {StepKind::RemoveEmptyFolder, N(kTarget + L"maps\\")},
      {StepKind::RemoveFile, N(kMenu + L"Quellmark Media im Internet.URL")},
      {StepKind::DeleteRegValue, L"SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen"},
      {StepKind::DeleteRegKey, L"SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen"},
      {StepKind::DeleteRegKey, L"SOFTWARE\\Quellmark Media"},
      {StepKind::DeleteRegValue, kEntryKey.substr(1, kEntryKey.size() - 2)},  // Publisher
      {StepKind::DeleteRegValue, kEntryKey.substr(1, kEntryKey.size() - 2)},  // DisplayName
      {StepKind::DeleteRegValue, kEntryKey.substr(1, kEntryKey.size() - 2)},  // UninstallString, last
      {StepKind::DeleteRegKey, kEntryKey.substr(1, kEntryKey.size() - 2)},
      {StepKind::RemoveFile, N(kMenu + L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk")},
      {StepKind::RemoveEmptyFolder, N(kMenu)},
      {StepKind::RemoveEmptyFolder, N(kPrograms + L"Quellmark Media\\")},
      {StepKind::RemoveUninstaller, N(kBackup + L"uninstall.exe")},
      {StepKind::RemoveByProduct, N(kBackup + L"uninstall.dat.tmp")},
      {StepKind::RemoveByProduct, N(kBackup + L"uninstall.exe.ren")},
      {StepKind::RemoveEmptyFolder, N(kBackup + L"Vehicles\\")},
      {StepKind::RemoveByProduct, N(kBackup + L"uninstall.dat")},
      {StepKind::RemoveByProduct, N(kBackup + L"uninstall.dat.utf8")},
      {StepKind::RemoveEmptyFolder, N(kBackup)},
  };
  ASSERT_EQ(plan.steps.size(), std::size(expected));
  for (size_t i = 0; i < plan.steps.size(); ++i) {
    EXPECT_EQ(plan.steps[i].kind, expected[i].first) << i;
    EXPECT_EQ(plan.steps[i].path, expected[i].second) << i;
  }
  EXPECT_EQ(plan.steps[0].backupPath, N(kBackup + L"Vehicles\\bus.cfg"));
  EXPECT_EQ(plan.steps[0].expected, (FileStamp{20, 200}));
  EXPECT_EQ(plan.steps[5].ownership, Ownership::InstallPathIsTarget);
  EXPECT_EQ(plan.steps[10].valueName, L"UninstallString");
  EXPECT_EQ(plan.steps[10].ownership, Ownership::UninstallStringIsThis);
  EXPECT_EQ(plan.steps[12].phase, Phase::Final);
  EXPECT_EQ(plan.steps[4].phase, Phase::StartMenu);
}

TEST(UndoPlan, EveryKindOfRunIsUndoneToTheStateBefore) {
  // The second installation: global.cfg and bus.cfg exist now; bus.cfg's backup is kept.
  const auto second = Concat(Concat(Header(), {RmDirRecord(kBackup), A(AnnotationKind::Existed),
                                               MoveRecord(kTarget + L"maps\\Ostrauwen\\global.cfg", kBackup + L"maps\\Ostrauwen\\global.cfg"),
                                               A(AnnotationKind::Moved), Written(11, 110),
                                               MoveRecord(kTarget + L"Vehicles\\bus.cfg", kBackup + L"Vehicles\\bus.cfg"),
                                               A(AnnotationKind::KeptEarlier), Written(21, 210)}),
                             Stages(false));
  Machine afterSecond = AfterFirstRun();
  afterSecond.Folder(kBackup + L"maps\\");
  afterSecond.Folder(kBackup + L"maps\\Ostrauwen\\");
  afterSecond.File(kBackup + L"maps\\Ostrauwen\\global.cfg", 10, 100);
  afterSecond.File(kTarget + L"maps\\Ostrauwen\\global.cfg", 11, 110);
  afterSecond.File(kTarget + L"Vehicles\\bus.cfg", 21, 210);

  // Cancelled after the first entry: a complete section with no stages.
  const auto cancelled = Concat(Header(), {RmDirRecord(kBackup), A(AnnotationKind::Created),
                                           DeleteRecord(kTarget + L"readme2.txt"), Written(4, 4)});
  Machine afterCancelled = Before();
  afterCancelled.Folder(kBackup);
  afterCancelled.File(kTarget + L"readme2.txt", 4, 4);
  afterCancelled.File(kBackup + L"uninstall.dat", 1, 1);
  afterCancelled.File(kBackup + L"uninstall.dat.utf8", 1, 1);

  // Failed: bus.cfg was moved into the backup, then its extraction failed.
  const auto failed = Concat(Header(), {RmDirRecord(kBackup), A(AnnotationKind::Created),
                                        MoveRecord(kTarget + L"Vehicles\\bus.cfg", kBackup + L"Vehicles\\bus.cfg"),
                                        A(AnnotationKind::Moved), ZipErrorRecord(1392, kTarget + L"Vehicles\\bus.cfg")});
  Machine afterFailed = Before();
  afterFailed.Folder(kBackup);
  afterFailed.Folder(kBackup + L"Vehicles\\");
  afterFailed.files.erase(N(kTarget + L"Vehicles\\bus.cfg"));
  afterFailed.File(kBackup + L"Vehicles\\bus.cfg", 1, 1);
  afterFailed.File(kBackup + L"uninstall.dat", 1, 1);

  // Killed while extracting readme.txt over the user's file without a backup: it never
  // replaced the user's file, a partial file lies beside it, and uninstall.dat was not saved.
  const auto killed = Concat(Header(), {RmDirRecord(kBackup), A(AnnotationKind::Created),
                                        DeleteRecord(kTarget + L"new.cfg"), Written(5, 5),
                                        DeleteRecord(kTarget + L"readme.txt")});
  Machine afterKilled = Before();
  afterKilled.Folder(kBackup);
  afterKilled.File(kTarget + L"new.cfg", 5, 5);
  afterKilled.File(kTarget + L"readme.txt.~setup-partial", 1, 1);
  afterKilled.File(kBackup + L"uninstall.dat.utf8", 1, 1);

  // Killed right after moving bus.cfg away: the target is empty, the backup holds the file.
  const auto killedAfterMove = Concat(Header(), {RmDirRecord(kBackup), A(AnnotationKind::Created),
                                                 MoveRecord(kTarget + L"Vehicles\\bus.cfg", kBackup + L"Vehicles\\bus.cfg"),
                                                 A(AnnotationKind::Moved)});
  Machine afterKilledAfterMove = afterFailed;
  afterKilledAfterMove.files.erase(N(kBackup + L"uninstall.dat"));
  afterKilledAfterMove.File(kBackup + L"uninstall.dat.utf8", 1, 1);

  // Killed while writing new.cfg and, after moving bus.cfg away, its new file: both are the
  // setup's, however short, and go; the user's bus.cfg comes back.
  const auto killedWhileCreating = Concat(Header(), {RmDirRecord(kBackup), A(AnnotationKind::Created),
                                                     MoveRecord(kTarget + L"Vehicles\\bus.cfg", kBackup + L"Vehicles\\bus.cfg"),
                                                     A(AnnotationKind::Moved), A(AnnotationKind::New), Written(7, 7),
                                                     DeleteRecord(kTarget + L"new.cfg"), A(AnnotationKind::New)});
  Machine afterKilledWhileCreating = afterKilledAfterMove;
  afterKilledWhileCreating.File(kTarget + L"Vehicles\\bus.cfg", 7, 7);
  afterKilledWhileCreating.File(kTarget + L"new.cfg", 2, 3);
  const auto killedWhileReplacing = Concat(Header(), {RmDirRecord(kBackup), A(AnnotationKind::Created),
                                                      MoveRecord(kTarget + L"Vehicles\\bus.cfg", kBackup + L"Vehicles\\bus.cfg"),
                                                      A(AnnotationKind::Moved), A(AnnotationKind::New)});
  Machine afterKilledWhileReplacing = afterKilledAfterMove;
  afterKilledWhileReplacing.File(kTarget + L"Vehicles\\bus.cfg", 2, 3);

  const struct {
    const char* what;
    std::optional<std::string> ansi, lossless;
    Machine after;
  } cases[] = {
      {"complete, lossless", AnsiOf(FirstRun()), LosslessOf(FirstRun()), AfterFirstRun()},
      {"complete, uninstall.dat alone", AnsiOf(FirstRun()), std::nullopt, AfterFirstRun()},
      {"second installation", AnsiOf(second), LosslessOf(FirstRun()) + LosslessOf(second), afterSecond},
      {"cancelled", AnsiOf(cancelled), LosslessOf(cancelled), afterCancelled},
      {"failed", AnsiOf(failed), std::nullopt, afterFailed},
      {"failed, lossless", AnsiOf(failed), LosslessOf(failed), afterFailed},
      {"killed while extracting", std::nullopt, LosslessOf(killed, false), afterKilled},
      {"killed after a move", std::nullopt, LosslessOf(killedAfterMove, false), afterKilledAfterMove},
      {"killed while creating new files", std::nullopt, LosslessOf(killedWhileCreating, false), afterKilledWhileCreating},
      {"killed while writing a backed-up file", std::nullopt, LosslessOf(killedWhileReplacing, false),
       afterKilledWhileReplacing},
  };
  for (const auto& c : cases) {
    Machine m = c.after;
    const UndoPlan plan = PlanFor(c.ansi, c.lossless);
    const Outcome outcome = Execute(plan, m);
    EXPECT_EQ(m, Before()) << c.what << Differences(m, Before());
    EXPECT_FALSE(outcome.partly) << c.what;
  }
}

TEST(UndoPlan, UserChangesAndOtherInstallationsAreKept) {
  Machine m = AfterFirstRun();
  m.File(kTarget + L"maps\\Ostrauwen\\global.cfg", 10, 999);  // edited after the installation
  m.File(kTarget + L"maps\\mine.txt", 1, 1);                  // the user's own file
  // A later installation into another folder re-registered the uninstall entry and the links.
  m.keys[K(kEntryKey)][L"uninstallstring"] = L"\"E:\\Zweit\\Uninstall_Drivona2 Ostrauwen V1.2\\uninstall.exe\"";
  m.keys[K(L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\")][L"installpath"] = L"E:\\Zweit\\";
  const Machine start = m;
  const UndoPlan plan = PlanFor(AnsiOf(FirstRun()), LosslessOf(FirstRun()));
  const Outcome outcome = Execute(plan, m);
  EXPECT_EQ(outcome.reports.at(ReportKey::ChangedByUser), 1);
  EXPECT_GE(outcome.reports.at(ReportKey::FolderNotEmpty), 2);  // maps\Ostrauwen, maps
  EXPECT_EQ(outcome.reports.at(ReportKey::NotOurs), 6);  // InstallPath, three entry values, the two links
  EXPECT_TRUE(m.files.count(N(kMenu + L"Drivona2 Ostrauwen Version 1.2 entfernen.lnk")));
  EXPECT_EQ(m.files.at(N(kTarget + L"maps\\Ostrauwen\\global.cfg")), (FileStamp{10, 999}));
  EXPECT_TRUE(m.files.count(N(kTarget + L"maps\\mine.txt")));
  EXPECT_EQ(m.keys.at(K(kEntryKey)), start.keys.at(K(kEntryKey)));
  EXPECT_EQ(m.keys.at(K(L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\")).size(), 1u);
  // The user's bus.cfg came back all the same.
  EXPECT_EQ(m.files.at(N(kTarget + L"Vehicles\\bus.cfg")), (FileStamp{1, 1}));
}

TEST(UndoPlan, HostileRecordsAreSkippedAndNamed) {
  const std::vector<std::wstring> hostile = {
      DeleteRecord(L"C:\\Windows\\win.ini"),
      DeleteRecord(kTarget + L"..\\..\\Windows\\win.ini"),
      DeleteRecord(kTarget + L"x.cfg:stream"),
      DeleteRecord(L"maps\\relative.cfg"),
      RmDirRecord(L"D:\\"),
      RmDirRecord(kPrograms),
      MoveRecord(kTarget + L"..\\..\\Windows\\system.ini", kBackup + L"system.ini"),
      MoveRecord(kTarget + L"a.cfg", kBackup + L"..\\..\\..\\Windows\\a.cfg"),
      DeleteRecord(kPrograms + L"Other\\x.lnk"),
      DelRegValueRecord(L"\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Evil"),
      DelRegKeyRecord(L"\\SOFTWARE\\Microsoft\\"),
      DelRegValueRecord(L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\..\\..\\Classes\\x"),
      RenDelRecord(L"C:\\Windows\\explorer.exe"),
  };
  const auto lines = Concat(Header(), hostile);
  // A second run in the journal with a foreign "Destination=" is not used either.
  const auto foreign = Concat(Header(L"C:\\Windows\\Uninstall_Drivona2 Ostrauwen V1.2\\"), {DeleteRecord(L"C:\\Windows\\notepad.exe")});
  const UndoPlan plan = PlanFor(std::nullopt, LosslessOf(foreign) + LosslessOf(lines));
  EXPECT_EQ(plan.skipped.size(), hostile.size() + 1);
  size_t foreignHeaders = 0;
  for (const SkippedRecord& s : plan.skipped) {
    foreignHeaders += s.reason == SkipReason::ForeignHeader;
    EXPECT_TRUE(s.reason == SkipReason::Outside || s.reason == SkipReason::NotNormal || s.reason == SkipReason::ForeignHeader)
        << std::string(s.line.begin(), s.line.end());
  }
  EXPECT_EQ(foreignHeaders, 1u);
  // What remains are the product's own by-products and keys, all inside.
  for (const UndoStep& step : plan.steps) {
    if (step.kind == StepKind::DeleteRegKey || step.kind == StepKind::DeleteRegValue) {
      EXPECT_NE(PlaceKey(plan.scope, step.path), KeyArea::Outside);
    } else {
      EXPECT_TRUE(PathIsInside(step.path, plan.scope.backupFolder)) << std::string(step.path.begin(), step.path.end());
    }
  }
}

TEST(UndoPlan, DecisionTable) {
  UndoStep file;
  file.kind = StepKind::RemoveFile;
  file.expected = FileStamp{10, 100};
  UndoStep folder;
  folder.kind = StepKind::RemoveEmptyFolder;
  UndoStep restore;
  restore.kind = StepKind::RestoreBackup;
  restore.expected = FileStamp{10, 100};
  UndoStep restoreUnsure = restore;
  restoreUnsure.entryFailed = true;
  UndoStep value;
  value.kind = StepKind::DeleteRegValue;
  value.ownership = Ownership::UninstallStringIsThis;
  UndoStep key;
  key.kind = StepKind::DeleteRegKey;

  const FileStamp same{10, 100}, other{10, 101};
  DiskState absent, present, changed, reparse, inUse, emptyFolder, fullFolder, wrongFile, backupOnly, bothSame,
      bothChanged, targetOnly, notOurs, emptyKey, fullKey, backupLink;
  present.presence = Presence::File, present.stamp = same;
  changed.presence = Presence::File, changed.stamp = other;
  reparse = present, reparse.reparsePoint = true;
  inUse = present, inUse.inUse = true;
  emptyFolder.presence = Presence::Folder, emptyFolder.folderEmpty = true;
  fullFolder.presence = Presence::Folder;
  wrongFile.presence = Presence::Folder;
  backupOnly.backup = Presence::File;
  bothSame = present, bothSame.backup = Presence::File;
  bothChanged = changed, bothChanged.backup = Presence::File;
  targetOnly = present;
  notOurs.presence = Presence::File, notOurs.owned = false;
  emptyKey.presence = Presence::Folder, emptyKey.folderEmpty = true;
  fullKey.presence = Presence::Folder;
  backupLink = bothSame, backupLink.backupReparse = true;

  const struct {
    const char* what;
    const UndoStep& step;
    DiskState state;
    Action action;
    ReportKey report;
    ExitEffect effect;
    bool stays;
  } cases[] = {
      {"file absent", file, absent, Action::AlreadyUndone, ReportKey::AlreadyAbsent, ExitEffect::None, false},
      {"file as written", file, present, Action::Do, ReportKey::Removed, ExitEffect::None, false},
      {"file changed", file, changed, Action::Keep, ReportKey::ChangedByUser, ExitEffect::None, false},
      {"file is a link", file, reparse, Action::Refuse, ReportKey::ReparsePoint, ExitEffect::Partly, false},
      {"file in use", file, inUse, Action::Retry, ReportKey::InUse, ExitEffect::Partly, true},
      {"link of another installation", file, notOurs, Action::Refuse, ReportKey::NotOurs, ExitEffect::None, false},
      {"folder where a file was", file, wrongFile, Action::Keep, ReportKey::WrongType, ExitEffect::Partly, false},
      {"folder empty", folder, emptyFolder, Action::Do, ReportKey::Removed, ExitEffect::None, false},
      {"folder holds files", folder, fullFolder, Action::Keep, ReportKey::FolderNotEmpty, ExitEffect::None, false},
      {"folder absent", folder, absent, Action::AlreadyUndone, ReportKey::AlreadyAbsent, ExitEffect::None, false},
      {"restore into a gap", restore, backupOnly, Action::Do, ReportKey::Restored, ExitEffect::None, false},
      {"restore over the installed file", restore, bothSame, Action::Do, ReportKey::Restored, ExitEffect::None, false},
      {"restore over a changed file", restore, bothChanged, Action::Keep, ReportKey::ChangedByUser, ExitEffect::Partly, true},
      {"backup missing", restore, targetOnly, Action::Keep, ReportKey::BackupMissing, ExitEffect::Partly, false},
      {"both gone", restore, absent, Action::AlreadyUndone, ReportKey::AlreadyAbsent, ExitEffect::None, false},
      {"backup is a link", restore, backupLink, Action::Refuse, ReportKey::ReparsePoint, ExitEffect::Partly, false},
      {"unsure: gap", restoreUnsure, backupOnly, Action::Do, ReportKey::Restored, ExitEffect::None, false},
      {"unsure: both there", restoreUnsure, bothSame, Action::Keep, ReportKey::NotCompleted, ExitEffect::Partly, true},
      {"unsure: no backup", restoreUnsure, targetOnly, Action::Keep, ReportKey::NotCompleted, ExitEffect::None, false},
      {"value ours", value, present, Action::Do, ReportKey::Removed, ExitEffect::None, false},
      {"value another installation's", value, notOurs, Action::Refuse, ReportKey::NotOurs, ExitEffect::None, false},
      {"value absent", value, absent, Action::AlreadyUndone, ReportKey::AlreadyAbsent, ExitEffect::None, false},
      {"key empty", key, emptyKey, Action::Do, ReportKey::Removed, ExitEffect::None, false},
      {"key holds values", key, fullKey, Action::Keep, ReportKey::FolderNotEmpty, ExitEffect::None, false},
  };
  for (const auto& c : cases) {
    const Decision d = Decide(c.step, c.state);
    EXPECT_EQ(d.action, c.action) << c.what;
    EXPECT_EQ(d.report, c.report) << c.what;
    EXPECT_EQ(d.effect, c.effect) << c.what;
    EXPECT_EQ(d.staysInJournal, c.stays) << c.what;
  }
}

TEST(UndoPlan, RemainingJournalHoldsWhatIsLeftAndReadsBack) {
  Machine m = AfterFirstRun();
  m.File(kTarget + L"Vehicles\\bus.cfg", 20, 201);  // changed: its backup cannot go back yet
  const JournalReadResult journal = ReadJournal(AnsiOf(FirstRun()), LosslessOf(FirstRun()), Windows1252Codec());
  const UndoPlan plan = BuildUndoPlan(journal, Scope());
  const Outcome outcome = Execute(plan, m);
  EXPECT_TRUE(outcome.partly);
  // The final phase waited: the uninstaller, its entry and the backup are still there.
  EXPECT_TRUE(m.files.count(N(kBackup + L"uninstall.exe")));
  EXPECT_TRUE(m.files.count(N(kBackup + L"Vehicles\\bus.cfg")));
  EXPECT_TRUE(m.keys.count(K(kEntryKey)));

  const RemainingJournal rest = RemainingJournalBytes(journal, plan, outcome.left, Windows1252Codec());
  ASSERT_FALSE(rest.empty);
  const JournalReadResult again = ReadJournal(rest.ansiBytes, rest.losslessBytes, Windows1252Codec());
  ASSERT_TRUE(again.ok);
  EXPECT_TRUE(again.problems.empty());
  ASSERT_EQ(again.runs.size(), 1u);
  EXPECT_EQ(again.runs[0].destination, kBackup);
  // Kept: the backup's move (with what the setup wrote) and the final phase; not what was done.
  std::vector<std::wstring> kept;
  for (const JournalEntry& e : again.runs[0].entries) kept.push_back(FormatRecord(e.record));
  const auto holds = [&](const std::wstring& line) { return std::find(kept.begin(), kept.end(), line) != kept.end(); };
  EXPECT_TRUE(holds(MoveRecord(kTarget + L"Vehicles\\bus.cfg", kBackup + L"Vehicles\\bus.cfg")));
  EXPECT_TRUE(holds(RenDelRecord(kBackup + L"uninstall.exe")));
  EXPECT_TRUE(holds(DelRegValueRecord(kEntryKey + L"UninstallString")));
  EXPECT_FALSE(holds(DeleteRecord(kTarget + L"maps\\Ostrauwen\\global.cfg")));
  EXPECT_FALSE(holds(DelRegValueRecord(L"\\SOFTWARE\\Quellmark Media\\Drivona2 Ostrauwen\\\\InstallPath")));
  for (const JournalEntry& e : again.runs[0].entries)
    if (e.record.kind == RecordKind::Move) {
      EXPECT_TRUE(e.Has(AnnotationKind::Written));
    }

  // Once the user put the file back, a second run finishes the job.
  m.File(kTarget + L"Vehicles\\bus.cfg", 20, 200);
  const Outcome second = Execute(BuildUndoPlan(again, Scope()), m);
  EXPECT_FALSE(second.partly);
  EXPECT_EQ(m, Before());
  EXPECT_TRUE(RemainingJournalBytes(journal, plan, std::vector<bool>(plan.steps.size(), false), Windows1252Codec()).empty);
}
