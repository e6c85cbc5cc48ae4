#include "support/FileHelpers.h"

#include <algorithm>
#include <charconv>
#include <cmath>

NumberFormat SetupNumberFormat;

std::wstring FormatNumber2(double value) {
  if (std::isnan(value)) return L"NAN";
  if (std::isinf(value)) return value < 0 ? L"-INF" : L"INF";
  // The shortest decimal text that reads back as value (locale-independent), rounded half up
  // in decimal: 1.125 and 2.675 give 1,13 and 2,68 as a reader expects, whatever their binary
  // neighbours are. 330 characters hold any double in fixed notation.
  char buffer[340];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  if (ec != std::errc()) return {};
  std::string text(buffer, end);
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.erase(0, 1);
  size_t point = text.find('.');
  std::string digits = text.substr(0, point);  // integer digits, then exactly two decimals
  std::string fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
  fraction.resize(std::max<size_t>(fraction.size(), 3), '0');
  digits += fraction.substr(0, 2);
  if (fraction[2] >= '5') {
    size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0)
      digits.insert(digits.begin(), '1');
    else
      ++digits[i - 1];
  }
  // "-0,00" reads oddly: a value that rounds to zero has no sign.
  if (digits.find_first_not_of('0') == std::string::npos) negative = false;

  std::wstring result;
  if (negative) result += L'-';
  const size_t intDigits = digits.size() - 2;
  for (size_t i = 0; i < intDigits; ++i) {
    if (i > 0 && (intDigits - i) % 3 == 0) result += SetupNumberFormat.thousandSeparator;
    result += static_cast<wchar_t>(digits[i]);
  }
  result += SetupNumberFormat.decimalSeparator;
  result += static_cast<wchar_t>(digits[intDigits]);
  result += static_cast<wchar_t>(digits[intDigits + 1]);
  return result;
}

std::wstring FormatByteSize(int word, int base, double value) {
  static const wchar_t* const prefixes[] = {L"", L"K", L"M", L"G", L"T", L"P", L"E", L"Z", L"Y"};
  static const wchar_t* const words[] = {L"Byte", L"B"};
  if ((base != 0 && base != 1) || (word != 0 && word != 1)) return {};
  const double divisor = base == 1 ? 1000.0 : 1024.0;
  int steps = 0;
  // Strictly greater: a value equal to the divisor stays in the smaller unit.
  while (value > divisor && steps < 8) {
    value /= divisor;
    ++steps;
  }
  std::wstring result = FormatNumber2(value) + L" " + prefixes[steps];
  if (base == 0 && steps > 0) result += L"i";
  return result + words[word];
}

std::wstring SourceDirFromProgramPath(const std::wstring& programPath) {
  size_t cut = programPath.find_last_of(L"\\:");
  std::wstring dir = cut == std::wstring::npos ? std::wstring() : programPath.substr(0, cut + 1);
  if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
  return dir;
}
