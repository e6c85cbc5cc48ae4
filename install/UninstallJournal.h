// UninstallJournal: the ordered undo records of one install run, saved as uninstall.dat for the
// separate uninstaller. One record per line, in the order the changes were made; nothing is
// sorted, merged or read back. This header holds the portable part: the list, the texts of the
// header lines and of every record kind, the path splitting the records are built from, and
// the file's bytes. Saving to disk is Windows-only (UninstallJournal_win.cpp).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "install/JournalRecords.h"

class JournalSink;

class UninstallJournal {
 public:
  // Characters below 0x20 and 0x7F become "?": a line stays one line whatever it was built from.
  // With a sink set, the line also goes to the lossless copy at once, before its change is made.
  void Append(const std::wstring& line);
  const std::vector<std::wstring>& Lines() const { return lines; }
  bool Empty() const { return lines.empty(); }

  // The lossless copy (see JournalLossless.h): the sink receives every appended line and the
  // annotations; the journal does not own it. Without a sink both calls below do nothing.
  void SetSink(JournalSink* target) { sink = target; }
  // While held, what would go to the sink waits in memory: the run holds it until the backup
  // folder has been found free of links, so nothing is ever written through a planted one.
  void HoldSink() { held = true; }
  void ReleaseSink();  // what waited goes out now, and later lines at once
  void DropSink();     // the folder is no place for the copy: nothing goes out
  // What actually happened to the change of the last record (lossless copy only).
  void Annotate(const JournalAnnotation& annotation) const;
  // End of a stage: the sink flushes what it wrote.
  void EndStage() const;
  // The run saved uninstall.dat: "#End" closes its section, and the sink flushes.
  void EndSection() const;

  // The file's bytes: every line converted by encode and followed by CR LF, the last line
  // included; no byte-order mark.
  using AnsiEncoder = std::string (*)(const std::wstring&);
  std::string FileBytes(AnsiEncoder encode) const;

 private:
  void ToSink(const std::wstring& line) const;

  std::vector<std::wstring> lines;
  JournalSink* sink = nullptr;
  bool held = false;
  mutable std::vector<std::wstring> waiting;
};

// Windows-1252, the code page of the systems the setup is made for: characters it lacks become
// "?". The platform's own conversion (ToAnsiBytes in platform/AnsiText.h) is what the saved file uses; this
// one lets the portable tests see the bytes a German Windows writes.
std::string ToWindows1252(const std::wstring& text);


// ---- Header lines -----------------------------------------------------------------------------

// "Program=%s [Version=%s,  Windows=%s]": two blanks after the comma.
std::wstring JournalProgramLine(const std::wstring& productName, const std::wstring& version,
                                const std::wstring& windows);
std::wstring JournalSourceLine(const std::wstring& setupProgram);       // "Quelle=" + path
std::wstring JournalDestinationLine(const std::wstring& backupFolder);  // "Destination=" + folder

// ---- Records ----------------------------------------------------------------------------------
// Prefix and fields joined by ";" without quoting: a path that holds ";" is written unchanged.

std::wstring RmDirRecord(const std::wstring& folder);
std::wstring DeleteRecord(const std::wstring& file);
std::wstring MoveRecord(const std::wstring& targetFile, const std::wstring& backupFile);
std::wstring ZipErrorRecord(uint32_t code, const std::wstring& targetFile);  // "ZipError;%u;%s"
std::wstring RenDelRecord(const std::wstring& file);
// "ErrorCopyUninstall;%s;%s;%s": error text ("%u, %s"), target file, source file.
std::wstring ErrorCopyUninstallRecord(const std::wstring& errorText, const std::wstring& targetFile,
                                      const std::wstring& sourceFile);
std::wstring DelRegValueRecord(const std::wstring& keyAndValueName);
std::wstring DelRegKeyRecord(const std::wstring& key);
std::wstring CreateErrorRecord(uint32_t code, const std::wstring& path);  // "CreateError;%u;%s"
// "CreateError;%s;%s": the internet shortcut's form, with an error text ("%u, %s").
std::wstring CreateErrorTextRecord(const std::wstring& errorText, const std::wstring& path);

// ---- Paths ------------------------------------------------------------------------------------

// The text with one "\" appended unless it already ends with one (an empty text stays empty).
std::wstring WithTrailingDelimiter(const std::wstring& path);

// An archive entry's name split at its last "\": the relative folder, up to and including that
// "\" (empty at the archive's top level), and the file name after it (empty for a folder entry).
struct EntryNameParts {
  std::wstring relativeFolder;
  std::wstring fileName;
};
EntryNameParts SplitEntryName(const std::wstring& name);

// The parent of a folder: one trailing "\" dropped, then cut after the last "\", which stays
// (D:\Spiele\Drivona 2\maps\ -> D:\Spiele\Drivona 2\). Empty when nothing is left: D:\ -> "".
std::wstring ParentFolder(const std::wstring& folder);
