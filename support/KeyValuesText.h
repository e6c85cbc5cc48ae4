// The text format of the game store client's library list and app manifests: nested
//   "key" "value"   and   "key" { ... }
// with quoted strings (escapes \" \\ \n \t), unquoted tokens, "//" comments and conditions such
// as [$WIN32] after an item. The files can be written by any user, so the parser bounds its
// nesting and reports every malformed input as an error instead of guessing.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct KeyValuesNode {
  std::string key;  // bytes as written (UTF-8 in practice), escapes resolved
  std::string value;
  bool isSection = false;
  std::vector<KeyValuesNode> children;  // of a section, in file order

  // The first child with that key, compared without regard to ASCII case (the client's own
  // files differ in case between versions: "LibraryFolders", "libraryfolders").
  const KeyValuesNode* Find(std::string_view name) const;
  // The value of the first such child that is a plain value.
  std::optional<std::string> ValueOf(std::string_view name) const;
};

inline constexpr size_t kKeyValuesMaxDepth = 32;

// The whole text as one section (its children are the top-level items), or nullopt with a
// message naming the line in error. A UTF-8 byte order mark at the start is skipped.
std::optional<KeyValuesNode> ParseKeyValues(std::string_view text, std::string* error = nullptr);

// ASCII case-insensitive comparison of keys.
bool KeyEquals(std::string_view a, std::string_view b);
