// The publisher's side of the language block: the translations file and a program file with
// the block appended. Used by the langblock tool and the distribution kit.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The key=value lines of a translations file: UTF-8 (an optional BOM is skipped), CR LF or LF,
// empty lines skipped. False with a message naming the line when a line is not valid UTF-8,
// holds a NUL or a lone CR, or has no key before its "=".
bool ParseTranslationLines(std::string_view bytes, std::vector<std::wstring>& lines, std::string& error);

// The program's bytes without the language block they end in (if any), with a new block of
// the lines appended (scrambled, as the setup reads it); nullopt when the block would be too
// large for its 32-bit size field. blockSize receives the new block's size.
std::optional<std::vector<uint8_t>> WithLanguageBlock(std::vector<uint8_t> program,
                                                      const std::vector<std::wstring>& lines,
                                                      size_t* blockSize = nullptr);
