#include "uninstaller/UndoPlan.h"

UndoPlan BuildUndoPlan(const JournalReadResult&, const ProductScope& scope, const ShortNameResolver&) {
  UndoPlan plan;
  plan.scope = scope;
  return plan;
}
const wchar_t* ReportKeyName(ReportKey) { return L""; }
Decision Decide(const UndoStep&, const DiskState&) { return {Action::Keep, ReportKey::NotCompleted, ExitEffect::Partly, true}; }
RemainingJournal RemainingJournalBytes(const JournalReadResult&, const UndoPlan&, const std::vector<bool>&, const AnsiCodec&) {
  return {};
}
