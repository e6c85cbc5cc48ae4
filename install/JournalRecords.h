// The journal's line kinds, defined once for both programs: the setup writes them, the
// uninstaller reads them back into typed records. A record is a kind prefix ending in ";" and
// its fields joined by ";" with no quoting; the three header lines are name=value. The lossless
// copy of the journal adds annotation lines, which begin with "#" (no record or header does),
// saying what actually happened after a record's change was attempted.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class RecordKind {
  Program,             // "Program=%s [Version=%s,  Windows=%s]"
  Source,              // "Quelle=" + setup program
  Destination,         // "Destination=" + backup folder
  RmDir,               // "rmDir;" + folder
  Delete,              // "Delete;" + file (or folder, from a folder entry)
  Move,                // "Move;" + target file + ";" + backup file
  ZipError,            // "ZipError;%u;%s": code, target file
  RenDel,              // "RenDel;" + the installed uninstaller
  ErrorCopyUninstall,  // "ErrorCopyUninstall;%s;%s;%s": error text, target file, source file
  DelRegValue,         // "DelRegValue;" + key and value name joined
  DelRegKey,           // "DelRegKey;" + key
  CreateErrorCode,     // "CreateError;%u;%s": code, path
  CreateErrorText,     // "CreateError;%s;%s": error text ("%u, %s"), path
};

// One line in typed form. Which fields a kind uses:
//   Program: text = whole value after "Program="; Source, Destination: path.
//   RmDir, Delete, RenDel: path.  Move: path = target file, second = backup file.
//   ZipError, CreateErrorCode: code, path.  CreateErrorText: text, path.
//   ErrorCopyUninstall: text, path = target file, second = source file.
//   DelRegValue: path = key and value name joined; DelRegKey: path = key.
struct JournalRecord {
  RecordKind kind = RecordKind::Delete;
  std::wstring path;
  std::wstring second;
  std::wstring text;
  uint32_t code = 0;

  bool operator==(const JournalRecord&) const = default;
};

inline JournalRecord MakeRecord(RecordKind kind, std::wstring path, std::wstring second = {}, std::wstring text = {},
                                uint32_t code = 0) {
  return {kind, std::move(path), std::move(second), std::move(text), code};
}

// Every field as written: characters below 0x20 and 0x7F become "?", so that no source (an
// archive entry name, a registry value) can break a line or forge another record.
std::wstring JournalField(std::wstring_view text);

// The line of a record, with every field passed through JournalField.
std::wstring FormatRecord(const JournalRecord& record);

// Why a line could not be read.
enum class RecordParseError { None, Empty, TooLong, ControlCharacter, UnknownKind, BadField };

// One line (without its CR LF) into a typed record. backupFolder is the journal's
// "Destination=" value; it decides where a "Move;" line splits, since paths may hold ";": the
// split is the one at which the backup file is backupFolder + the target's path below the
// backup folder's parent, else the first ";" followed by backupFolder. Lines longer than
// kMaxRecordChars, with control characters, of an unknown kind or with a malformed number
// (not decimal, beyond 32 bits) are refused with the reason in *error.
inline constexpr size_t kMaxRecordChars = 32768;
std::optional<JournalRecord> ParseRecordLine(std::wstring_view line, std::wstring_view backupFolder,
                                             RecordParseError* error = nullptr);

// ---- Annotations (lossless copy only) ---------------------------------------------------------
// "#" + name, with fields after ";". An annotation belongs to the record line before it.

enum class AnnotationKind {
  Moved,        // "#Moved": the target file was moved into the backup folder
  KeptEarlier,  // "#KeptEarlier": a backup was there already (an earlier run's) and was kept
  MoveFailed,   // "#MoveFailed;%u": the move failed with that code; the target was left alone
  Written,      // "#Written;%llu;%llu": the entry was extracted: size, last-write time (FILETIME)
  New,          // "#New": the entry's file was not there; the setup creates it under its own name
  Created,      // "#Created": the folder of an "rmDir;" record was created by this run
  Existed,      // "#Existed": it was there already
  End,          // "#End": the run ended normally and saved uninstall.dat; closes the section
};

struct JournalAnnotation {
  AnnotationKind kind = AnnotationKind::End;
  uint64_t size = 0;   // Written
  uint64_t time = 0;   // Written: 100-ns intervals since 1601-01-01 UTC
  uint32_t code = 0;   // MoveFailed

  bool operator==(const JournalAnnotation&) const = default;
};

inline bool IsAnnotationLine(std::wstring_view line) { return !line.empty() && line.front() == L'#'; }
std::wstring FormatAnnotation(const JournalAnnotation& annotation);
std::optional<JournalAnnotation> ParseAnnotationLine(std::wstring_view line);

// ---- Small shared rules -----------------------------------------------------------------------

// Simple case folding (ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic), close to how
// the file system and the registry compare names; comparison without regard to case.
std::wstring FoldCase(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

// Unsigned decimal, digits only, within 64 bits (at most 20 digits); nullopt otherwise.
std::optional<uint64_t> ParseDecimal(std::wstring_view text);
