// One plan step against the machine: look at the state through handles that follow no reparse
// point, ask the decision table, and carry the step out through the same handles.
#pragma once
#include <windows.h>

#include <map>
#include <string>

#include "uninstaller/UndoPlan.h"

class StepRunner {
 public:
  StepRunner(const ProductScope& scope, ShortNameResolver resolver);

  // Reads, before anything is deleted, whether the registry keys the plan checks still belong
  // to this installation (the uninstall entry's UninstallString, the product key's InstallPath).
  void ReadOwnership(const UndoPlan& plan);

  // Looks, decides and, when the decision is Do, acts. A failed act that the platform blames on
  // another program (sharing violation) comes back as the table's decision for a file in use;
  // any other failure as Keep with error set.
  Decision Run(const UndoStep& step);
  DWORD error() const { return lastError; }

 private:
  Decision RunFile(const UndoStep& step);
  Decision RunRestore(const UndoStep& step);
  Decision RunRegistry(const UndoStep& step);
  // Whether the opened handle lies where the normalised path says, below the final path of its
  // area's root (a junction above the target folder is the user's; one below it is refused).
  bool LiesWhereExpected(const std::wstring& normalPath, const std::wstring& finalPath);
  Decision Failed(DWORD error);
  bool Owned(const UndoStep& step) const;  // as ReadOwnership found it

  const ProductScope& scope;
  ShortNameResolver resolver;
  std::map<std::wstring, bool> owned;  // by folded owner key
  std::map<std::wstring, std::wstring> rootFinal;
  DWORD lastError = 0;
};

// GetLongPathNameW as the scope's resolver of 8.3 names.
ShortNameResolver LongPathResolver();
