// The uninstaller's exit codes: what the started process reports when all undoing is done.
// The README's table lists the same codes; scripts and the tests rely on their values.
#pragma once

enum class ExitCode : int {
  AllUndone = 0,       // everything the journal named is undone, nothing of the product is left
  Declined = 1,        // the user answered "&Nein" (or cancelled the folder choice): nothing changed
  PartlyUndone = 2,    // some records could not be undone; they stay recorded in the journal
  NoJournal = 3,       // no uninstall.dat was found
  JournalRefused = 4,  // the journal does not belong to this place or cannot be read: nothing changed
  RestartNeeded = 5,   // undone, but a file in use is only removed at the next restart
  NotElevated = 6,     // started without administrator rights: nothing changed
  AlreadyRunning = 7,  // another setup or uninstaller of this product is running: nothing changed
  BadCommandLine = 8,  // an unknown or malformed switch: nothing changed
  HelperFailed = 9,    // the working copy in the temporary folder could not be made or started
  RecordsRefused = 10, // undone, but records pointing outside the product were refused (named)
};

inline int ToInt(ExitCode code) { return static_cast<int>(code); }
