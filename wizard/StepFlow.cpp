#include "wizard/StepFlow.h"

#include <array>

#include "support/SetupConfig.h"
#include "wizard/ControlIds.h"

namespace {
using B = ButtonOnEnter;
constexpr std::array kSteps{
    StepInfo{wpWelcome, ctl::gbPage1, 26, L"Willkommen", B::Disabled, B::Enabled},
    StepInfo{wpAgreement, ctl::gbPage2, 22, L"Lizenzvereinbarung", B::Enabled, B::WhileAccepted},
    StepInfo{wpNotes, ctl::gbPage3, 23, L"Hinweise", B::Unchanged, B::Unchanged},
    StepInfo{wpInstallType, 0, 27, L"Installationsart", B::Unchanged, B::Enabled},
    StepInfo{wpSettings, ctl::gbPage6, 25, L"Einstellungen", B::Unchanged, B::WhileArchiveFound},
    StepInfo{wpProgress, ctl::gbPage7, kProgressTitleId, L"Installationsfortschritt", B::Disabled, B::Disabled},
};
}  // namespace

const StepInfo* StepFor(int32_t page) {
  if (page < wpWelcome || page > wpProgress) return nullptr;
  return &kSteps[static_cast<size_t>(page - wpWelcome)];
}

NextCaption NextCaptionFor(int32_t currentPage, int32_t lastPage) {
  if (currentPage == lastPage) return NextCaption::Finish;
  if (currentPage < lastPage) return NextCaption::Continue;
  return NextCaption::DisableBoth;
}
