// Reading the journal back: uninstall.dat (ANSI, the last saved run) and its lossless copy
// uninstall.dat.utf8 (UTF-8, every run) into runs of typed records. Every byte is treated as
// hostile: sizes and line counts are bounded, malformed text and unknown lines are refused
// with a reason, and nothing is read outside the given bytes.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/JournalRecords.h"

// The ANSI code page of the machine, injected: on Windows the platform's conversion
// (MultiByteToWideChar / WideCharToMultiByte with CP_ACP), in native tests a Windows-1252 table.
// decode returns nullopt for bytes the code page cannot decode.
struct AnsiCodec {
  std::function<std::optional<std::wstring>(std::string_view)> decode;
  std::function<std::string(std::wstring_view)> encode;
};
// Windows-1252 both ways (bytes it leaves undefined do not decode).
AnsiCodec Windows1252Codec();

// A record line with what the lossless copy says happened to it.
struct JournalEntry {
  JournalRecord record;
  std::vector<JournalAnnotation> annotations;
  size_t line = 0;  // 1-based line in the file it was read from

  bool Has(AnnotationKind kind) const;
  const JournalAnnotation* Find(AnnotationKind kind) const;
};

// One install run: its header values and its records in the order they were written.
struct JournalSection {
  std::wstring program;      // value after "Program="
  std::wstring source;       // "Quelle="
  std::wstring destination;  // "Destination=": the backup folder, as written
  std::vector<JournalEntry> entries;
  // The run ended normally (uninstall.dat alone, or a lossless section with "#End").
  bool complete = false;
  // From the lossless copy; annotations are then meaningful (their absence too).
  bool lossless = false;
};

enum class JournalProblemKind {
  Unreadable,     // a line that is not valid text (bad UTF-8, NUL, undecodable ANSI)
  Malformed,      // a line of no known form, or a header missing or out of place
  Disagrees,      // a lossless line that uninstall.dat does not hold the same way (not acted on)
  AnsiOnly,       // a line of uninstall.dat that the lossless copy lacks (not acted on)
  TooLarge,       // the file or a line beyond the bounds
};

struct JournalProblem {
  JournalProblemKind kind = JournalProblemKind::Malformed;
  bool inLossless = false;  // which file the line is in
  size_t line = 0;          // 1-based, 0 for the whole file
  std::wstring text;        // the line as far as it could be decoded (bounded)
};

struct JournalReadResult {
  // False when there is no usable journal at all; refusal says why.
  bool ok = false;
  std::wstring refusal;
  std::vector<JournalSection> runs;  // oldest first
  std::vector<JournalProblem> problems;
};

// The "Program=" line of a section from its value.
std::wstring JournalProgramLineFromValue(const std::wstring& value);

// ansiFile: the bytes of uninstall.dat, nullopt when absent; losslessFile: the bytes of
// uninstall.dat.utf8, nullopt when absent (an older setup, or removed). Rules:
// - without the lossless copy, uninstall.dat alone is one complete run (decoded by codec);
// - the last complete lossless section must agree with uninstall.dat line by line in its ANSI
//   form (records encoded by codec, compared as bytes); its lines that disagree are dropped and
//   reported, and so are lines uninstall.dat holds beyond it;
// - a last section without "#End" (a killed run) is used as it is;
// - lines before the first "Program=" and lines of no known form are dropped and reported;
// - a section must begin with its three header lines; one that does not is dropped whole.
JournalReadResult ReadJournal(const std::optional<std::string>& ansiFile,
                              const std::optional<std::string>& losslessFile, const AnsiCodec& codec);
