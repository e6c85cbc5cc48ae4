#include "install/JournalLossless.h"

#include "support/Utf8.h"

std::string LosslessLineBytes(std::wstring_view line) { return WideToUtf8(line) + "\r\n"; }

std::string LosslessSectionBytes(const std::vector<std::wstring>& lines, bool complete) {
  std::string bytes;
  for (const std::wstring& line : lines) bytes += LosslessLineBytes(line);
  if (complete) bytes += LosslessLineBytes(FormatAnnotation({AnnotationKind::End}));
  return bytes;
}
