// The wizard's step table: which page box each step shows, its title and how it sets the
// Back and Next buttons on entering. Pure data and decisions; the window applies them.
#pragma once
#include <cstdint>

enum class ButtonOnEnter : uint8_t { Unchanged, Enabled, Disabled, WhileAccepted, WhileArchiveFound };

struct StepInfo {
  int32_t page;          // WizardPage
  int pageBox;           // ctl::Id of the page box, 0 for the pass-through step
  int titleId;
  const wchar_t* title;  // German default of the title
  ButtonOnEnter back;
  ButtonOnEnter next;
};

// The id under which the progress step's title is looked up (unused by every other text).
inline constexpr int kProgressTitleId = 24;

// The step for a page number 1..6, or nullptr outside that range.
const StepInfo* StepFor(int32_t page);

// Next's caption after a step is shown: the last data step finishes, earlier steps go on,
// and past it both Next and Back are disabled with the caption left as it was.
enum class NextCaption : uint8_t { Finish, Continue, DisableBoth };
NextCaption NextCaptionFor(int32_t currentPage, int32_t lastPage);
