#include "install/JournalReader.h"

bool JournalEntry::Has(AnnotationKind kind) const { return Find(kind) != nullptr; }
const JournalAnnotation* JournalEntry::Find(AnnotationKind kind) const {
  for (const JournalAnnotation& a : annotations)
    if (a.kind == kind) return &a;
  return nullptr;
}
AnsiCodec Windows1252Codec() { return {}; }
JournalReadResult ReadJournal(const std::optional<std::string>&, const std::optional<std::string>&, const AnsiCodec&) {
  return {};
}
