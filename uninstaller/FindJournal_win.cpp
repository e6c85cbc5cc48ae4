#include "uninstaller/FindJournal_win.h"

#include "install/JournalLossless.h"
#include "platform/FileExistence.h"
#include "support/DebugLog.h"
#include "support/ProductFacts.h"
#include "support/TargetProposal.h"

namespace {
// A run that was killed leaves only the lossless copy: it counts as a journal as well.
bool JournalAt(const std::wstring& file) {
  return FileExists(file) || FileExists(file + journal_file::losslessSuffix);
}
}  // namespace

std::wstring JournalInFolder(const std::wstring& folder) {
  if (folder.empty()) return {};
  const std::wstring dir = WithTrailingBackslash(folder);
  for (const std::wstring& candidate : {dir + product::journalFileName,
                                        dir + product::uninstallDirName + product::journalFileName}) {
    if (JournalAt(candidate)) return candidate;
  }
  return {};
}

std::wstring ProposedTarget() {
  return ProposeTargetFolder(product::hostLocationValue, product::defaultTargetSubPath, L"");
}

std::wstring FindJournal(const UninstallOptions& options, const std::wstring& ownFolder) {
  if (!options.journal.empty()) {
    if (JournalAt(options.journal)) return options.journal;
    return JournalInFolder(options.journal);
  }
  const std::wstring own = WithTrailingBackslash(ownFolder) + product::journalFileName;
  if (JournalAt(own)) return own;
  const std::wstring proposed = ProposedTarget();
  LogProc(5, L"FindJournal: vorgeschlagenes Ziel " + proposed);
  const std::wstring candidate = proposed + product::uninstallDirName + product::journalFileName;
  return JournalAt(candidate) ? candidate : std::wstring();
}
