// The lossless copy of the journal, "uninstall.dat.utf8" beside uninstall.dat in the backup
// folder. uninstall.dat holds one run in the ANSI code page and cannot keep a name the code page
// lacks; this copy is UTF-8 (no byte-order mark, every line ended by CR LF) and keeps every run:
// each run appends a section that starts at its "Program=" line and holds the same record lines
// as uninstall.dat, each written before its change is made, with annotation lines ("#...")
// after it saying what happened. "#End" closes a section when the run saved uninstall.dat; a
// section without it is from a run that was killed. The records of the last section with "#End"
// in the ANSI code page are uninstall.dat byte for byte.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "install/JournalRecords.h"

namespace journal_file {
// Appended to the journal's file name: "uninstall.dat" -> "uninstall.dat.utf8".
inline constexpr const wchar_t* losslessSuffix = L".utf8";
// Bounds the reader holds every journal file to.
inline constexpr size_t maxFileBytes = 16u << 20;
inline constexpr size_t maxLines = 200000;
}  // namespace journal_file

// One line of the lossless file: UTF-8 and CR LF.
std::string LosslessLineBytes(std::wstring_view line);

// Where the lines of the lossless copy go while the run works. Write gets each line as it is
// appended (records and annotations, in order); Flush ends a stage. The Windows writer appends
// to the file with plain writes; tests collect the lines.
class JournalSink {
 public:
  virtual ~JournalSink() = default;
  virtual void Write(const std::wstring& line) = 0;
  virtual void Flush() = 0;
};

// One section in its file form: lines (records and annotations as they stand) in UTF-8 with
// CR LF, closed with "#End" when complete is set.
std::string LosslessSectionBytes(const std::vector<std::wstring>& lines, bool complete);
