#include "install/JournalRecords.h"

#include <array>

#include "support/ProductFacts.h"

namespace {

struct KindPrefix {
  RecordKind kind;
  std::wstring_view prefix;
};
constexpr std::array<KindPrefix, 13> kPrefixes = {{
    {RecordKind::Program, L"Program="},
    {RecordKind::Source, L"Quelle="},
    {RecordKind::Destination, L"Destination="},
    {RecordKind::RmDir, L"rmDir;"},
    {RecordKind::Delete, L"Delete;"},
    {RecordKind::Move, L"Move;"},
    {RecordKind::ZipError, L"ZipError;"},
    {RecordKind::RenDel, L"RenDel;"},
    {RecordKind::ErrorCopyUninstall, L"ErrorCopyUninstall;"},
    {RecordKind::DelRegValue, L"DelRegValue;"},
    {RecordKind::DelRegKey, L"DelRegKey;"},
    {RecordKind::CreateErrorCode, L"CreateError;"},
    {RecordKind::CreateErrorText, L"CreateError;"},
}};

std::wstring_view PrefixOf(RecordKind kind) {
  for (const KindPrefix& p : kPrefixes)
    if (p.kind == kind) return p.prefix;
  return {};
}

bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

// Unsigned decimal, digits only, within 64 bits.
std::optional<uint64_t> ParseU64(std::wstring_view text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - L'0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::optional<uint32_t> ParseU32(std::wstring_view text) {
  const auto value = ParseU64(text);
  if (!value || *value > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<uint32_t>(*value);
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

// The backup folder's parent, as ParentFolder cuts it ("D:\T\U\" -> "D:\T\").
std::wstring_view ParentOf(std::wstring_view folder) {
  if (!folder.empty() && folder.back() == L'\\') folder.remove_suffix(1);
  const size_t cut = folder.rfind(L'\\');
  return cut == std::wstring_view::npos ? std::wstring_view() : folder.substr(0, cut + 1);
}

// "Move;" fields: target + ";" + backup. The setup writes backup = backupFolder + R where
// target = parent + R, so the lengths fix the one split; otherwise the first ";" that is
// followed by the backup folder.
std::optional<size_t> MoveSplit(std::wstring_view rest, std::wstring_view backupFolder) {
  if (backupFolder.empty()) {
    const size_t cut = rest.find(L';');
    return cut == std::wstring_view::npos ? std::nullopt : std::optional<size_t>(cut);
  }
  const std::wstring_view parent = ParentOf(backupFolder);
  if (!parent.empty() && rest.size() >= parent.size() + backupFolder.size() + 1) {
    const size_t twice = rest.size() - parent.size() - backupFolder.size() - 1;
    if (twice % 2 == 0) {
      const size_t r = twice / 2;
      const size_t cut = parent.size() + r;
      if (StartsWith(rest, parent) && rest[cut] == L';' && StartsWith(rest.substr(cut + 1), backupFolder) &&
          rest.substr(parent.size(), r) == rest.substr(cut + 1 + backupFolder.size()))
        return cut;
    }
  }
  for (size_t cut = rest.find(L';'); cut != std::wstring_view::npos; cut = rest.find(L';', cut + 1))
    if (StartsWith(rest.substr(cut + 1), backupFolder)) return cut;
  return std::nullopt;
}

wchar_t Fold(wchar_t c) {
  const auto u = static_cast<uint32_t>(c);
  if (u >= L'A' && u <= L'Z') return static_cast<wchar_t>(u + 32);
  if (u < 0xC0) return c;
  if (u <= 0xDE && u != 0xD7) return static_cast<wchar_t>(u + 32);
  if (u >= 0x100 && u <= 0x137 && u % 2 == 0) return static_cast<wchar_t>(u + 1);
  if (u >= 0x139 && u <= 0x148 && u % 2 == 1) return static_cast<wchar_t>(u + 1);
  if (u >= 0x14A && u <= 0x177 && u % 2 == 0) return static_cast<wchar_t>(u + 1);
  if (u == 0x178) return 0xFF;
  if (u == 0x179 || u == 0x17B || u == 0x17D) return static_cast<wchar_t>(u + 1);
  if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return static_cast<wchar_t>(u + 32);
  if (u >= 0x410 && u <= 0x42F) return static_cast<wchar_t>(u + 32);
  if (u >= 0x400 && u <= 0x40F) return static_cast<wchar_t>(u + 80);
  return c;
}

}  // namespace

std::wstring JournalField(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out)
    if (IsControl(c)) c = L'?';
  return out;
}

std::wstring FormatRecord(const JournalRecord& r) {
  std::wstring line(PrefixOf(r.kind));
  switch (r.kind) {
    case RecordKind::Program:
      return line + JournalField(r.text);
    case RecordKind::Source:
    case RecordKind::Destination:
    case RecordKind::RmDir:
    case RecordKind::Delete:
    case RecordKind::RenDel:
    case RecordKind::DelRegValue:
    case RecordKind::DelRegKey:
      return line + JournalField(r.path);
    case RecordKind::Move:
      return line + JournalField(r.path) + L";" + JournalField(r.second);
    case RecordKind::ZipError:
    case RecordKind::CreateErrorCode:
      return line + std::to_wstring(r.code) + L";" + JournalField(r.path);
    case RecordKind::CreateErrorText:
      return line + JournalField(r.text) + L";" + JournalField(r.path);
    case RecordKind::ErrorCopyUninstall:
      return line + JournalField(r.text) + L";" + JournalField(r.path) + L";" + JournalField(r.second);
  }
  return line;
}

std::optional<JournalRecord> ParseRecordLine(std::wstring_view line, std::wstring_view backupFolder,
                                             RecordParseError* error) {
  const auto fail = [error](RecordParseError e) -> std::optional<JournalRecord> {
    if (error) *error = e;
    return std::nullopt;
  };
  if (error) *error = RecordParseError::None;
  if (line.empty()) return fail(RecordParseError::Empty);
  if (line.size() > kMaxRecordChars) return fail(RecordParseError::TooLong);
  for (wchar_t c : line)
    if (IsControl(c)) return fail(RecordParseError::ControlCharacter);

  for (const KindPrefix& p : kPrefixes) {
    if (!StartsWith(line, p.prefix)) continue;
    const std::wstring_view rest = line.substr(p.prefix.size());
    JournalRecord r;
    r.kind = p.kind;
    switch (p.kind) {
      case RecordKind::Program:
        r.text = rest;
        return r;
      case RecordKind::Source:
      case RecordKind::Destination:
      case RecordKind::RmDir:
      case RecordKind::Delete:
      case RecordKind::RenDel:
      case RecordKind::DelRegValue:
      case RecordKind::DelRegKey:
        if (rest.empty()) return fail(RecordParseError::BadField);
        r.path = rest;
        return r;
      case RecordKind::Move: {
        const auto cut = MoveSplit(rest, backupFolder);
        if (!cut || *cut == 0 || *cut + 1 >= rest.size()) return fail(RecordParseError::BadField);
        r.path = rest.substr(0, *cut);
        r.second = rest.substr(*cut + 1);
        return r;
      }
      case RecordKind::ZipError:
      case RecordKind::CreateErrorCode: {
        const size_t cut = rest.find(L';');
        if (cut == std::wstring_view::npos) return fail(RecordParseError::BadField);
        const auto code = ParseU32(rest.substr(0, cut));
        if (!code) {
          if (p.kind == RecordKind::ZipError) return fail(RecordParseError::BadField);
          continue;  // the text form of "CreateError;"
        }
        r.code = *code;
        r.path = rest.substr(cut + 1);
        return r;
      }
      case RecordKind::CreateErrorText: {
        const size_t cut = rest.find(L';');
        if (cut == std::wstring_view::npos) return fail(RecordParseError::BadField);
        r.text = rest.substr(0, cut);
        r.path = rest.substr(cut + 1);
        return r;
      }
      case RecordKind::ErrorCopyUninstall: {
        // error text ";" target ";" source; the target ends with the uninstaller's name.
        const size_t first = rest.find(L';');
        if (first == std::wstring_view::npos) return fail(RecordParseError::BadField);
        r.text = rest.substr(0, first);
        const std::wstring_view files = rest.substr(first + 1);
        const std::wstring_view name = product::uninstallerFileName;
        size_t cut = std::wstring_view::npos;
        for (size_t c = files.find(L';'); c != std::wstring_view::npos; c = files.find(L';', c + 1)) {
          if (c >= name.size() && EqualsNoCase(files.substr(c - name.size(), name.size()), name)) {
            cut = c;
            break;
          }
        }
        if (cut == std::wstring_view::npos) cut = files.find(L';');
        if (cut == std::wstring_view::npos) return fail(RecordParseError::BadField);
        r.path = files.substr(0, cut);
        r.second = files.substr(cut + 1);
        return r;
      }
    }
  }
  return fail(RecordParseError::UnknownKind);
}

namespace {
struct AnnotationName {
  AnnotationKind kind;
  std::wstring_view name;
};
constexpr std::array<AnnotationName, 8> kAnnotations = {{
    {AnnotationKind::Moved, L"#Moved"},
    {AnnotationKind::KeptEarlier, L"#KeptEarlier"},
    {AnnotationKind::MoveFailed, L"#MoveFailed"},
    {AnnotationKind::Written, L"#Written"},
    {AnnotationKind::New, L"#New"},
    {AnnotationKind::Created, L"#Created"},
    {AnnotationKind::Existed, L"#Existed"},
    {AnnotationKind::End, L"#End"},
}};
}  // namespace

std::wstring FormatAnnotation(const JournalAnnotation& a) {
  std::wstring line;
  for (const AnnotationName& n : kAnnotations)
    if (n.kind == a.kind) line = n.name;
  if (a.kind == AnnotationKind::MoveFailed) line += L";" + std::to_wstring(a.code);
  if (a.kind == AnnotationKind::Written) line += L";" + std::to_wstring(a.size) + L";" + std::to_wstring(a.time);
  return line;
}

std::optional<JournalAnnotation> ParseAnnotationLine(std::wstring_view line) {
  if (line.size() > 64) return std::nullopt;
  const size_t cut = line.find(L';');
  const std::wstring_view name = line.substr(0, cut);
  const std::wstring_view fields = cut == std::wstring_view::npos ? std::wstring_view() : line.substr(cut + 1);
  for (const AnnotationName& n : kAnnotations) {
    if (n.name != name) continue;
    JournalAnnotation a;
    a.kind = n.kind;
    if (n.kind == AnnotationKind::MoveFailed) {
      const auto code = ParseU32(fields);
      if (!code) return std::nullopt;
      a.code = *code;
    } else if (n.kind == AnnotationKind::Written) {
      const size_t sep = fields.find(L';');
      if (sep == std::wstring_view::npos) return std::nullopt;
      const auto size = ParseU64(fields.substr(0, sep));
      const auto time = ParseU64(fields.substr(sep + 1));
      if (!size || !time) return std::nullopt;
      a.size = *size;
      a.time = *time;
    } else if (cut != std::wstring_view::npos) {
      return std::nullopt;
    }
    return a;
  }
  return std::nullopt;
}

std::wstring FoldCase(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = Fold(c);
  return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

std::optional<uint64_t> ParseDecimal(std::wstring_view text) { return ParseU64(text); }
