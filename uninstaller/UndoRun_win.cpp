#include "uninstaller/UndoRun_win.h"

#include <windows.h>
#include <shlobj.h>

#include "install/JournalLossless.h"
#include "platform/MessageBoxes.h"
#include "support/DebugLog.h"
#include "support/ProductFacts.h"
#include "uninstaller/AnsiCodec_win.h"
#include "uninstaller/ProgressWindow_win.h"
#include "uninstaller/SafeFiles_win.h"
#include "uninstaller/UndoSteps_win.h"
#include "uninstaller/UninstallTexts.h"

namespace {
constexpr size_t kListed = 5;  // paths named in the outcome box per list

std::wstring CommonPrograms() {
  wchar_t programs[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(nullptr, programs, CSIDL_COMMON_PROGRAMS, FALSE)) return {};
  return programs;
}

// A list for the outcome box: how many, and the first few paths.
struct Listing {
  size_t count = 0;
  std::wstring paths;
  void Add(const std::wstring& path) {
    if (count++ < kListed) paths += path + L"\n";
    else if (count == kListed + 1) paths += L"...\n";
  }
};

const wchar_t* SkipReasonText(SkipReason reason) {
  switch (reason) {
    case SkipReason::Outside: return L"außerhalb";
    case SkipReason::NotNormal: return L"ungültiger Pfad";
    case SkipReason::ForeignHeader: return L"fremde Installation";
    default: return L"";
  }
}

bool IsHostileSkip(SkipReason reason) {
  return reason == SkipReason::Outside || reason == SkipReason::NotNormal || reason == SkipReason::ForeignHeader;
}

UndoOutcome Refuse(const std::wstring& why) {
  LogProc(3, L"Protokoll abgelehnt: " + why);
  return {ExitCode::JournalRefused, texts::Refused(why), {}};
}

// Files of a kind that the started program's own folder holds: it stays until that has ended.
bool WaitsForStartedProgram(const UndoStep& step, const std::wstring& origin, const std::wstring& originExe) {
  if (origin.empty()) return false;
  if (step.kind == StepKind::RemoveUninstaller || step.kind == StepKind::RemoveByProduct)
    return EqualsNoCase(step.path, originExe);
  // The folder that holds it and the levels above it.
  return step.kind == StepKind::RemoveEmptyFolder && PathIsInside(origin, step.path);
}
}  // namespace

UndoOutcome UndoInstallation(const UndoRequest& request) {
  const std::wstring journalFolder = FolderOf(request.journalFile);
  std::string ansiBytes, losslessBytes;
  const ReadResult ansi = ReadJournalFile(request.journalFile, journal_file::maxFileBytes, ansiBytes);
  const ReadResult lossless =
      ReadJournalFile(request.journalFile + journal_file::losslessSuffix, journal_file::maxFileBytes, losslessBytes);
  if (ansi == ReadResult::Absent && lossless == ReadResult::Absent)
    return {ExitCode::NoJournal, texts::NoJournal(), {}};
  for (ReadResult r : {ansi, lossless}) {
    if (r == ReadResult::TooLarge) return Refuse(L"zu groß");
    if (r == ReadResult::NotAFile) return Refuse(L"keine Datei");
    if (r == ReadResult::Failed) return Refuse(L"nicht lesbar");
  }
  const AnsiCodec codec = PlatformAnsiCodec();
  const JournalReadResult journal =
      ReadJournal(ansi == ReadResult::Read ? std::optional<std::string>(ansiBytes) : std::nullopt,
                  lossless == ReadResult::Read ? std::optional<std::string>(losslessBytes) : std::nullopt, codec);
  for (const JournalProblem& p : journal.problems)
    LogProc(3, L"Protokollzeile " + std::to_wstring(p.line) + (p.inLossless ? L" (utf8)" : L"") + L" nicht verwendet: " + p.text);
  if (!journal.ok || journal.runs.empty()) return Refuse(journal.refusal.empty() ? L"leer" : journal.refusal);

  // The allowed area comes from where the journal was found, not from what it says.
  const ShortNameResolver resolver = LongPathResolver();
  ScopeInputs inputs;
  const std::wstring finalFolder = FinalFolderPath(journalFolder);
  inputs.journalFolder = finalFolder.empty() ? journalFolder : finalFolder;
  inputs.destination = journal.runs.back().destination;
  inputs.commonPrograms = CommonPrograms();
  inputs.resolver = resolver;
  std::wstring refusal;
  const std::optional<ProductScope> scope = MakeProductScope(inputs, &refusal);
  if (!scope) return Refuse(refusal);

  const UndoPlan plan = BuildUndoPlan(journal, *scope, resolver);
  StepRunner runner(plan.scope, resolver);
  runner.ReadOwnership(plan);

  const std::wstring origin = request.origin.empty() ? L"" : NormalizePath(request.origin, resolver).value_or(NormalPath{}).path;
  const std::wstring originExe = origin.empty() ? L"" : origin + L"\\" + product::uninstallerFileName;

  UndoOutcome outcome;
  std::vector<bool> left(plan.steps.size(), false);
  Listing leftList, keptList, refusedList;
  bool partly = false, restart = false, cancelled = false, earlierLeft = false;
  for (size_t i = 0; i < plan.steps.size(); ++i) {
    const UndoStep& step = plan.steps[i];
    // What the uninstaller needs to run again stays while anything before it stays.
    if (cancelled || (step.phase == Phase::Final && earlierLeft)) {
      left[i] = !step.records.empty();
      continue;
    }
    if (request.window) request.window->Step(step.shown, static_cast<int>(i * 100 / plan.steps.size()));
    if (step.phase == Phase::Final && WaitsForStartedProgram(step, origin, originExe)) {
      outcome.afterExit.push_back(step);
      continue;
    }
    Decision decision;
    for (int attempt = 1;; ++attempt) {
      decision = runner.Run(step);
      if (decision.action != Action::Retry) break;
      if (request.silent) {
        if (attempt < 5) {
          Sleep(1000);
          continue;
        }
        // Unattended: a file of the add-on still in use goes at the next restart.
        if ((step.kind == StepKind::RemoveFile || step.kind == StepKind::RemoveByProduct) &&
            MoveFileExW(step.path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
          restart = true;
          decision = {Action::Do, ReportKey::Removed, ExitEffect::None, false};
        }
        break;
      }
      if (RetryCancelBox(request.window ? request.window->handle() : nullptr, texts::Title(), texts::InUse(step.shown)) !=
          BoxAnswer::Retry) {
        cancelled = true;
        break;
      }
    }
    LogProc(5, std::wstring(ReportKeyName(decision.report)) + L": " + step.shown);
    left[i] = decision.staysInJournal;
    if (decision.staysInJournal && step.phase != Phase::Final) earlierLeft = true;
    if (decision.effect == ExitEffect::Partly) partly = true;
    switch (decision.action) {
      case Action::Retry: leftList.Add(step.shown); break;
      case Action::Keep:
        (runner.error() ? leftList : keptList).Add(step.shown);
        break;
      case Action::Refuse:
        // A value or link of another installation of the product is kept by design.
        (decision.report == ReportKey::NotOurs ? keptList : refusedList).Add(step.shown);
        break;
      default: break;
    }
  }
  if (cancelled) partly = true;

  for (const SkippedRecord& s : plan.skipped) {
    if (!IsHostileSkip(s.reason)) continue;
    LogProc(3, std::wstring(L"Eintrag abgelehnt (") + SkipReasonText(s.reason) + L"): " + s.line);
    refusedList.Add(s.line);
  }

  // What is left stays recorded, so that a later run can finish the job.
  const RemainingJournal remaining = RemainingJournalBytes(journal, plan, left, codec);
  if (!remaining.empty) {
    partly = true;
    if (!WriteJournalFile(request.journalFile, remaining.ansiBytes) ||
        !WriteJournalFile(request.journalFile + journal_file::losslessSuffix, remaining.losslessBytes))
      LogProc(3, L"Protokoll konnte nicht neu geschrieben werden: " + request.journalFile);
    outcome.afterExit.clear();  // the uninstaller and its folder are still needed
  }

  std::wstring message;
  if (partly) {
    message = texts::Partly(std::to_wstring(leftList.count + keptList.count), leftList.paths + keptList.paths);
    outcome.code = ExitCode::PartlyUndone;
  } else if (refusedList.count) {
    message = texts::Success();
    outcome.code = ExitCode::RecordsRefused;
  } else {
    message = restart ? texts::Restart() : texts::Success();
    outcome.code = restart ? ExitCode::RestartNeeded : ExitCode::AllUndone;
  }
  if (!partly && keptList.count) message += L"\n\n" + texts::Kept(std::to_wstring(keptList.count), keptList.paths);
  if (refusedList.count) message += L"\n\n" + texts::Skipped(std::to_wstring(refusedList.count), refusedList.paths);
  outcome.message = message;
  return outcome;
}

void RemoveAfterExit(const std::vector<UndoStep>& steps) {
  // Checked again as any other step; the scope is only needed for placing paths.
  for (const UndoStep& step : steps) {
    OpenedEntry entry = OpenEntry(step.path);
    const bool expected = entry.kind == EntryKind::File ? step.kind != StepKind::RemoveEmptyFolder
                                                        : entry.kind == EntryKind::Folder && FolderEmpty(entry);
    if (entry.kind == EntryKind::Absent) continue;
    if (!expected || !EqualsNoCase(entry.finalPath, step.path) || !DeleteOpened(entry))
      LogProc(3, L"Nicht entfernt: " + step.shown);
  }
}
