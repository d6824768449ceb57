// ntrc's tokens and the scanner that cuts a resource script's text into them: names,
// numbers, strings (with C and rc escapes, decoded to UTF-8), punctuation, with the
// comments dropped and each token's file and line kept for messages.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/win32.h"

namespace ntrc {

struct Location {
  std::string file;
  int line = 0;
};

// A fault in the script; the message names the place as "file:line: text".
class ScriptError : public std::runtime_error {
 public:
  ScriptError(const Location& where, const std::string& message)
      : std::runtime_error(where.file + ":" + std::to_string(where.line) + ": " + message) {}
};

struct Token {
  enum class Kind { Name, Number, String, Punct, End };
  Kind kind = Kind::End;
  std::string text;      // the name, the punctuation, or a string's decoded UTF-8 text
  int64_t number = 0;    // the value of a number
  Location where;

  bool is(Kind k, const std::string& t) const { return kind == k && text == t; }
  bool isPunct(const std::string& t) const { return is(Kind::Punct, t); }
  // Keywords of the script compare without case, as rc does.
  bool isKeyword(const char* keyword) const;
};

inline bool Token::isKeyword(const char* keyword) const {
  if (kind != Kind::Name || text.size() != std::char_traits<char>::length(keyword)) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[i])) != keyword[i]) return false;
  }
  return true;
}

// Appends the character an escape sequence gives (at most U+FFFF) in UTF-8, the
// encoding of the script's own text.
inline void appendEscaped(std::string& out, uint32_t code) {
  const char16_t unit = static_cast<char16_t>(code);
  char bytes[4];
  const int length = WideCharToMultiByte(CP_UTF8, 0, &unit, 1, bytes, sizeof bytes, nullptr, nullptr);
  if (length > 0) out.append(bytes, static_cast<size_t>(length));
}

// Reads tokens from one file's text. Line ends matter only to directives, which ask for
// the tokens of one line.
class Scanner {
 public:
  Scanner(std::string text, std::string file) : text_(std::move(text)) { where_.file = file; }

  // Skips blanks and comments; with stopAtLineEnd it stops before the end of the line
  // (a backslash before the line end continues the line).
  void skipSpace(bool stopAtLineEnd);
  bool atEnd() const { return pos_ >= text_.size(); }
  // True when nothing but blanks came before on this line.
  bool atLineStart() const { return lineStart_; }
  char peek() const { return atEnd() ? '\0' : text_[pos_]; }
  void advance() { ++pos_; }
  const Location& where() const { return where_; }
  // The next token; an End token at the end of the file, or of the line with stopAtLineEnd.
  Token next(bool stopAtLineEnd);
  // Drops everything to the end of the line.
  void skipLine();

 private:
  char at(size_t offset) const { return pos_ + offset < text_.size() ? text_[pos_ + offset] : '\0'; }
  void skipBlockComment();
  Token nameToken();
  Token numberToken();
  Token stringToken();
  Token punctToken();
  uint32_t escapeSequence();

  std::string text_;
  size_t pos_ = 0;
  bool lineStart_ = true;
  Location where_{"", 1};
};

inline void Scanner::skipSpace(bool stopAtLineEnd) {
  while (!atEnd()) {
    const char c = peek();
    if (c == '\n') {
      if (stopAtLineEnd) return;
      ++pos_;
      ++where_.line;
      lineStart_ = true;
    } else if (c == '\\' && (at(1) == '\n' || (at(1) == '\r' && at(2) == '\n'))) {
      pos_ += at(1) == '\n' ? 2 : 3;
      ++where_.line;
    } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
      ++pos_;
    } else if (c == '/' && at(1) == '/') {
      while (!atEnd() && peek() != '\n') ++pos_;
    } else if (c == '/' && at(1) == '*') {
      skipBlockComment();
    } else {
      return;
    }
  }
}

inline void Scanner::skipBlockComment() {
  const Location start = where_;
  pos_ += 2;
  while (!(peek() == '*' && at(1) == '/')) {
    if (atEnd()) throw ScriptError(start, "unterminated comment");
    if (peek() == '\n') ++where_.line;
    ++pos_;
  }
  pos_ += 2;
}

inline void Scanner::skipLine() {
  while (!atEnd() && peek() != '\n') {
    if (peek() == '\\' && at(1) == '\n') {
      ++pos_;
      ++where_.line;
    }
    ++pos_;
  }
}

inline Token Scanner::next(bool stopAtLineEnd) {
  skipSpace(stopAtLineEnd);
  if (atEnd() || peek() == '\n') return Token{Token::Kind::End, "", 0, where_};
  lineStart_ = false;
  const char c = peek();
  if ((c == 'L' || c == 'l') && at(1) == '"') {
    ++pos_;  // wide and narrow strings are the same here: both become UTF-16
    return stringToken();
  }
  if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') return nameToken();
  if (std::isdigit(static_cast<unsigned char>(c))) return numberToken();
  if (c == '"') return stringToken();
  return punctToken();
}

inline Token Scanner::nameToken() {
  Token token{Token::Kind::Name, "", 0, where_};
  while (std::isalnum(static_cast<unsigned char>(peek())) || peek() == '_') token.text += text_[pos_++];
  return token;
}

inline Token Scanner::numberToken() {
  Token token{Token::Kind::Number, "", 0, where_};
  while (std::isalnum(static_cast<unsigned char>(peek())) || peek() == '_') token.text += text_[pos_++];
  std::string digits = token.text;
  while (!digits.empty() && std::strchr("lLuU", digits.back())) digits.pop_back();
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  size_t used = 0;
  try {
    token.number = static_cast<int64_t>(std::stoull(hex ? digits.substr(2) : digits, &used, hex ? 16 : 10));
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != (hex ? digits.size() - 2 : digits.size()) || token.number > 0xFFFFFFFFLL) {
    throw ScriptError(token.where, "bad number '" + token.text + "'");
  }
  return token;
}

inline uint32_t Scanner::escapeSequence() {
  const char c = text_[pos_++];
  switch (c) {
    case 'n': return '\n';
    case 't': return '\t';
    case 'r': return '\r';
    case 'a': return '\a';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'v': return '\v';
    case '\\': return '\\';
    case '"': return '"';
    case '\'': return '\'';
    case '?': return '?';
    case 'x':
    case 'X': {
      uint32_t value = 0;
      int digits = 0;
      while (digits < 4 && std::isxdigit(static_cast<unsigned char>(peek()))) {
        const char digit = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_++])));
        value = value * 16 + static_cast<uint32_t>(digit <= '9' ? digit - '0' : digit - 'a' + 10);
        ++digits;
      }
      if (digits == 0) throw ScriptError(where_, "\\x without hexadecimal digits");
      return value;
    }
    default:
      if (c >= '0' && c <= '7') {
        uint32_t value = static_cast<uint32_t>(c - '0');
        for (int digits = 1; digits < 3 && peek() >= '0' && peek() <= '7'; ++digits) {
          value = value * 8 + static_cast<uint32_t>(text_[pos_++] - '0');
        }
        return value;
      }
      throw ScriptError(where_, std::string("unknown escape sequence '\\") + c + "'");
  }
}

inline Token Scanner::stringToken() {
  Token token{Token::Kind::String, "", 0, where_};
  ++pos_;  // the opening quote
  for (;;) {
    if (atEnd() || peek() == '\n') throw ScriptError(token.where, "unterminated string");
    const char c = text_[pos_++];
    if (c == '"') {
      if (peek() != '"') return token;
      ++pos_;  // "" stands for one quote, as rc has it
      token.text += '"';
    } else if (c == '\\') {
      if (atEnd()) throw ScriptError(token.where, "unterminated string");
      appendEscaped(token.text, escapeSequence());
    } else {
      token.text += c;
    }
  }
}

inline Token Scanner::punctToken() {
  static const char* const kPairs[] = {"&&", "||", "==", "!=", "<=", ">=", "<<", ">>"};
  Token token{Token::Kind::Punct, std::string(1, peek()), 0, where_};
  for (const char* pair : kPairs) {
    if (peek() == pair[0] && at(1) == pair[1]) token.text = pair;
  }
  pos_ += token.text.size();
  return token;
}

}  // namespace ntrc
