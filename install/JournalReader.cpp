#include "install/JournalReader.h"

#include "install/JournalLossless.h"
#include "install/UninstallJournal.h"
#include "support/Utf8.h"

bool JournalEntry::Has(AnnotationKind kind) const { return Find(kind) != nullptr; }

const JournalAnnotation* JournalEntry::Find(AnnotationKind kind) const {
  for (const JournalAnnotation& a : annotations)
    if (a.kind == kind) return &a;
  return nullptr;
}

namespace {

// Windows-1252 bytes 0x80..0x9F; 0 where the code page defines none.
constexpr char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<std::wstring> FromWindows1252(std::string_view bytes) {
  std::wstring text;
  text.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b < 0xA0) {
      if (kHigh[b - 0x80] == 0) return std::nullopt;
      text += static_cast<wchar_t>(kHigh[b - 0x80]);
    } else {
      text += static_cast<wchar_t>(b);
    }
  }
  return text;
}

constexpr size_t kShownChars = 200;

std::wstring Shown(std::wstring_view text) { return JournalField(text.substr(0, kShownChars)); }

std::wstring ShownBytes(std::string_view bytes) {
  std::wstring text;
  for (char c : bytes.substr(0, kShownChars)) {
    const auto b = static_cast<unsigned char>(c);
    text += (b >= 0x20 && b < 0x7F) ? static_cast<wchar_t>(b) : L'?';
  }
  return text;
}

// Lines split at LF with one CR before it dropped; a last line without LF counts too. False
// when there are more than maxLines.
bool SplitLines(std::string_view bytes, std::vector<std::string_view>& lines) {
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lines.size() >= journal_file::maxLines) return false;
    lines.push_back(line);
    start = next;
  }
  return true;
}

struct TextLine {
  std::wstring text;
  std::string bytes;  // as in the file (ANSI lines: compared byte for byte)
  size_t number = 0;
};

// Decodes every line; lines that do not decode are reported and left out.
std::vector<TextLine> DecodeLines(const std::string& file, bool lossless, const AnsiCodec& codec,
                                  std::vector<JournalProblem>& problems) {
  std::vector<TextLine> out;
  if (file.size() > journal_file::maxFileBytes) {
    problems.push_back({JournalProblemKind::TooLarge, lossless, 0, L""});
    return out;
  }
  std::vector<std::string_view> lines;
  if (!SplitLines(file, lines)) {
    problems.push_back({JournalProblemKind::TooLarge, lossless, 0, L""});
    return out;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view bytes = lines[i];
    if (bytes.empty()) continue;
    if (bytes.size() > kMaxRecordChars * 4) {
      problems.push_back({JournalProblemKind::TooLarge, lossless, i + 1, ShownBytes(bytes)});
      continue;
    }
    std::optional<std::wstring> text;
    if (bytes.find('\0') == std::string_view::npos)
      text = lossless ? Utf8ToWide(bytes) : (codec.decode ? codec.decode(bytes) : std::nullopt);
    if (!text) {
      problems.push_back({JournalProblemKind::Unreadable, lossless, i + 1, ShownBytes(bytes)});
      continue;
    }
    out.push_back({std::move(*text), std::string(bytes), i + 1});
  }
  return out;
}

// Sections of decoded lines. Lossless: annotations attach to the record before them and "#End"
// closes the section; uninstall.dat holds one section without annotations, complete by itself.
std::vector<JournalSection> MakeSections(const std::vector<TextLine>& lines, bool lossless,
                                         std::vector<JournalProblem>& problems) {
  std::vector<JournalSection> sections;
  bool dropping = false;  // inside a section whose header is broken
  size_t headerLines = 0;
  const auto problem = [&](JournalProblemKind kind, const TextLine& line) {
    problems.push_back({kind, lossless, line.number, Shown(line.text)});
  };
  for (const TextLine& line : lines) {
    RecordParseError error = RecordParseError::None;
    if (line.text.starts_with(L"Program=")) {
      const auto record = ParseRecordLine(line.text, L"", &error);
      if (!record) {
        problem(JournalProblemKind::Malformed, line);
        dropping = true;
        continue;
      }
      sections.emplace_back();
      sections.back().program = record->text;
      sections.back().lossless = lossless;
      sections.back().complete = !lossless;
      dropping = false;
      headerLines = 1;
      continue;
    }
    if (sections.empty() || dropping) {
      problem(JournalProblemKind::Malformed, line);
      continue;
    }
    JournalSection& section = sections.back();
    if (headerLines < 3) {
      const RecordKind expected = headerLines == 1 ? RecordKind::Source : RecordKind::Destination;
      const auto record = ParseRecordLine(line.text, L"", &error);
      if (!record || record->kind != expected) {
        // A section without its header cannot be placed: none of it is used.
        problem(JournalProblemKind::Malformed, line);
        sections.pop_back();
        dropping = true;
        continue;
      }
      (expected == RecordKind::Source ? section.source : section.destination) = record->path;
      ++headerLines;
      continue;
    }
    if (section.complete && lossless) {
      problem(JournalProblemKind::Malformed, line);  // after "#End"
      continue;
    }
    if (lossless && IsAnnotationLine(line.text)) {
      const auto annotation = ParseAnnotationLine(line.text);
      if (!annotation) {
        problem(JournalProblemKind::Malformed, line);
      } else if (annotation->kind == AnnotationKind::End) {
        section.complete = true;
      } else if (section.entries.empty()) {
        problem(JournalProblemKind::Malformed, line);
      } else {
        section.entries.back().annotations.push_back(*annotation);
      }
      continue;
    }
    const auto record = ParseRecordLine(line.text, section.destination, &error);
    if (!record || record->kind == RecordKind::Program || record->kind == RecordKind::Source ||
        record->kind == RecordKind::Destination) {
      problem(error == RecordParseError::TooLong ? JournalProblemKind::TooLarge : JournalProblemKind::Malformed, line);
      continue;
    }
    section.entries.push_back({*record, {}, line.number});
  }
  // A section that ends inside its header has nothing to place it by.
  if (!sections.empty() && !dropping && headerLines < 3) {
    problems.push_back({JournalProblemKind::Malformed, lossless, 0, L"Program=" + Shown(sections.back().program)});
    sections.pop_back();
  }
  return sections;
}

// The lossless section's lines (header and records, no annotations) in the ANSI code page
// against uninstall.dat's lines, pairwise: lines that differ are dropped from the section.
void CheckAgainstAnsi(JournalSection& section, const std::vector<TextLine>& ansi, const AnsiCodec& codec,
                      std::vector<JournalProblem>& problems) {
  struct Line {
    std::wstring text;
    size_t entry;  // SIZE_MAX for header lines
    size_t number;
  };
  std::vector<Line> mine = {{JournalProgramLineFromValue(section.program), SIZE_MAX, 0},
                            {FormatRecord(MakeRecord(RecordKind::Source, section.source)), SIZE_MAX, 0},
                            {FormatRecord(MakeRecord(RecordKind::Destination, section.destination)), SIZE_MAX, 0}};
  for (size_t i = 0; i < section.entries.size(); ++i)
    mine.push_back({FormatRecord(section.entries[i].record), i, section.entries[i].line});
  std::vector<bool> keep(section.entries.size(), true);
  for (size_t i = 0; i < mine.size(); ++i) {
    const bool agrees = i < ansi.size() && codec.encode && codec.encode(mine[i].text) == ansi[i].bytes;
    if (agrees) continue;
    problems.push_back({JournalProblemKind::Disagrees, true, mine[i].number, Shown(mine[i].text)});
    if (mine[i].entry != SIZE_MAX) keep[mine[i].entry] = false;
  }
  for (size_t i = mine.size(); i < ansi.size(); ++i)
    problems.push_back({JournalProblemKind::AnsiOnly, false, ansi[i].number, Shown(ansi[i].text)});
  std::vector<JournalEntry> kept;
  for (size_t i = 0; i < section.entries.size(); ++i)
    if (keep[i]) kept.push_back(std::move(section.entries[i]));
  section.entries = std::move(kept);
}

}  // namespace

std::wstring JournalProgramLineFromValue(const std::wstring& value) {
  return FormatRecord(MakeRecord(RecordKind::Program, L"", L"", value));
}

AnsiCodec Windows1252Codec() {
  return {[](std::string_view bytes) { return FromWindows1252(bytes); },
          [](std::wstring_view text) { return ToWindows1252(std::wstring(text)); }};
}

JournalReadResult ReadJournal(const std::optional<std::string>& ansiFile, const std::optional<std::string>& losslessFile,
                              const AnsiCodec& codec) {
  JournalReadResult result;
  std::vector<TextLine> ansiLines;
  if (ansiFile) ansiLines = DecodeLines(*ansiFile, false, codec, result.problems);
  std::vector<JournalSection> lossless;
  if (losslessFile) lossless = MakeSections(DecodeLines(*losslessFile, true, codec, result.problems), true, result.problems);

  size_t lastComplete = SIZE_MAX;
  for (size_t i = 0; i < lossless.size(); ++i)
    if (lossless[i].complete) lastComplete = i;

  if (lastComplete != SIZE_MAX) {
    if (ansiFile) CheckAgainstAnsi(lossless[lastComplete], ansiLines, codec, result.problems);
    result.runs = std::move(lossless);
  } else {
    // No lossless run was saved: uninstall.dat (an older setup's, or none) comes first, then
    // the lossless sections of runs that were killed.
    if (ansiFile) {
      std::vector<JournalProblem> ansiProblems;
      auto ansiRuns = MakeSections(ansiLines, false, result.problems);
      // uninstall.dat holds one run; a second "Program=" in it is not the setup's.
      for (size_t i = 1; i < ansiRuns.size(); ++i)
        result.problems.push_back({JournalProblemKind::Malformed, false, 0, L"Program=" + Shown(ansiRuns[i].program)});
      if (!ansiRuns.empty()) result.runs.push_back(std::move(ansiRuns.front()));
    }
    for (JournalSection& section : lossless) result.runs.push_back(std::move(section));
  }
  result.ok = !result.runs.empty();
  if (!result.ok)
    result.refusal = (!ansiFile && !losslessFile) ? L"Kein Deinstallationsjournal gefunden."
                                                  : L"Das Deinstallationsjournal enthält keinen lesbaren Lauf.";
  return result;
}
