// Names under the "best fit" conversion Windows applies when wide text is turned into an ANSI
// code page: characters the code page lacks become a similar one, and some of those are
// separators, dots or colons ("a\uFF0Fb" becomes "a/b" under code page 1252). A name that is
// safe as wide text can so become unsafe wherever it is written in ANSI, as in the journal.
#pragma once
#include <span>
#include <string>
#include <string_view>

// One mapping of a code page's best-fit table: a character the code page lacks, and the ASCII
// character it becomes. Tables are sorted by from.
struct BestFitMapping {
  char16_t from;
  char to;
};

// The mappings to ASCII of code pages 1250, 1252 and 932; empty for any other code page.
std::span<const BestFitMapping> BestFitToAscii(unsigned codePage);

// The name with every character of the table replaced by its ASCII form.
std::wstring BestFitForm(std::wstring_view name, std::span<const BestFitMapping> table);

// The first of code pages 1250, 1252 and 932 under which the name's best-fit form is unsafe
// (IsSafeEntryName) or has a separator more than the name; 0 when there is none.
unsigned CodePageMakingUnsafe(const std::wstring& name);

