#include "support/KeyValuesText.h"

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

enum class TokenKind { End, String, Open, Close, Condition };

struct Token {
  TokenKind kind = TokenKind::End;
  std::string text;
  size_t line = 1;
};

class Lexer {
 public:
  explicit Lexer(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  }

  // False with error set on an unterminated string or condition.
  bool Next(Token& token, std::string& error) {
    SkipBlanks();
    token = Token{};
    token.line = line_;
    if (pos_ >= text_.size()) return true;
    const char c = text_[pos_];
    if (c == '{' || c == '}') {
      token.kind = c == '{' ? TokenKind::Open : TokenKind::Close;
      ++pos_;
      return true;
    }
    if (c == '"') return Quoted(token, error);
    if (c == '[') {
      const size_t end = text_.find(']', pos_);
      const size_t newline = text_.find('\n', pos_);
      if (end == std::string_view::npos || (newline != std::string_view::npos && newline < end)) {
        error = "line " + std::to_string(line_) + ": unterminated condition";
        return false;
      }
      token.kind = TokenKind::Condition;
      pos_ = end + 1;
      return true;
    }
    // Unquoted token: up to a blank, a quote or a brace.
    token.kind = TokenKind::String;
    while (pos_ < text_.size()) {
      const char d = text_[pos_];
      if (d == ' ' || d == '\t' || d == '\r' || d == '\n' || d == '"' || d == '{' || d == '}') break;
      token.text += d;
      ++pos_;
    }
    return true;
  }

 private:
  void SkipBlanks() {
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos_;
      } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else {
        return;
      }
    }
  }

  bool Quoted(Token& token, std::string& error) {
    token.kind = TokenKind::String;
    ++pos_;
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return true;
      if (c == '\n') ++line_;
      if (c == '\\' && pos_ < text_.size()) {
        const char e = text_[pos_];
        // Known escapes are resolved; any other backslash stays as written, so a hand-edited
        // path such as "D:\Games" keeps its separators.
        switch (e) {
          case '"': token.text += '"'; ++pos_; continue;
          case '\\': token.text += '\\'; ++pos_; continue;
          case 'n': token.text += '\n'; ++pos_; continue;
          case 't': token.text += '\t'; ++pos_; continue;
          default: break;
        }
      }
      token.text += c;
    }
    error = "line " + std::to_string(token.line) + ": unterminated string";
    return false;
  }

  std::string_view text_;
  size_t pos_ = 0;
  size_t line_ = 1;
};

class Parser {
 public:
  explicit Parser(std::string_view text) : lexer_(text) {}

  bool Parse(KeyValuesNode& root, std::string& error) {
    root.isSection = true;
    if (!Advance(error)) return false;
    if (!Items(root, 0, error)) return false;
    if (current_.kind != TokenKind::End) {
      error = "line " + std::to_string(current_.line) + ": '}' without '{'";
      return false;
    }
    return true;
  }

 private:
  bool Advance(std::string& error) { return lexer_.Next(current_, error); }

  bool SkipCondition(std::string& error) {
    while (current_.kind == TokenKind::Condition)
      if (!Advance(error)) return false;
    return true;
  }

  // Items up to a '}' or the end; the caller checks which of the two ended them.
  bool Items(KeyValuesNode& section, size_t depth, std::string& error) {
    while (current_.kind == TokenKind::String) {
      KeyValuesNode item;
      item.key = std::move(current_.text);
      const size_t keyLine = current_.line;
      if (!Advance(error) || !SkipCondition(error)) return false;
      if (current_.kind == TokenKind::String) {
        item.value = std::move(current_.text);
        if (!Advance(error) || !SkipCondition(error)) return false;
      } else if (current_.kind == TokenKind::Open) {
        if (depth + 1 >= kKeyValuesMaxDepth) {
          error = "line " + std::to_string(current_.line) + ": nested too deeply";
          return false;
        }
        item.isSection = true;
        if (!Advance(error) || !Items(item, depth + 1, error)) return false;
        if (current_.kind != TokenKind::Close) {
          error = "line " + std::to_string(keyLine) + ": section \"" + item.key + "\" not closed";
          return false;
        }
        if (!Advance(error) || !SkipCondition(error)) return false;
      } else {
        error = "line " + std::to_string(current_.line) + ": key \"" + item.key + "\" without a value";
        return false;
      }
      section.children.push_back(std::move(item));
    }
    if (current_.kind == TokenKind::Open || current_.kind == TokenKind::Condition) {
      error = "line " + std::to_string(current_.line) + ": a key is expected";
      return false;
    }
    return true;
  }

  Lexer lexer_;
  Token current_;
};

}  // namespace

bool KeyEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

const KeyValuesNode* KeyValuesNode::Find(std::string_view name) const {
  for (const KeyValuesNode& child : children)
    if (KeyEquals(child.key, name)) return &child;
  return nullptr;
}

std::optional<std::string> KeyValuesNode::ValueOf(std::string_view name) const {
  for (const KeyValuesNode& child : children)
    if (!child.isSection && KeyEquals(child.key, name)) return child.value;
  return std::nullopt;
}

std::optional<KeyValuesNode> ParseKeyValues(std::string_view text, std::string* error) {
  KeyValuesNode root;
  std::string message;
  if (!Parser(text).Parse(root, message)) {
    if (error) *error = message;
    return std::nullopt;
  }
  return root;
}
