// ntrc's walk over a token list and its integer expressions, as rc and the C preprocessor
// evaluate them (the operators of C on 64-bit values; names must already be replaced).
#pragma once

#include <vector>

#include "ntrc_lexer.h"

namespace ntrc {

class TokenCursor {
 public:
  explicit TokenCursor(const std::vector<Token>& tokens) : tokens_(tokens) {}

  // The token ahead; an End token (at the last token's place) past the end.
  const Token& peek(size_t ahead = 0) const {
    if (pos_ + ahead < tokens_.size()) return tokens_[pos_ + ahead];
    end_.where = tokens_.empty() ? Location{} : tokens_.back().where;
    return end_;
  }
  Token take() {
    Token token = peek();
    if (pos_ < tokens_.size()) ++pos_;
    return token;
  }
  bool atEnd() const { return pos_ >= tokens_.size(); }
  bool takePunct(const char* text) {
    if (!peek().isPunct(text)) return false;
    ++pos_;
    return true;
  }
  bool takeKeyword(const char* keyword) {
    if (!peek().isKeyword(keyword)) return false;
    ++pos_;
    return true;
  }
  void expectPunct(const char* text) {
    if (!takePunct(text)) fault(std::string("expected '") + text + "'");
  }
  [[noreturn]] void fault(const std::string& message) const {
    const Token& token = peek();
    const std::string found = token.kind == Token::Kind::End ? "the end of the script"
                              : token.kind == Token::Kind::String ? "a string"
                                                                  : "'" + token.text + "'";
    throw ScriptError(token.where, message + ", found " + found);
  }

 private:
  const std::vector<Token>& tokens_;
  size_t pos_ = 0;
  mutable Token end_;
};

namespace detail {

// Binding strength of a binary operator; 0 for a token that is none.
inline int binaryLevel(const Token& token) {
  static const std::pair<const char*, int> kLevels[] = {
      {"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4}, {"&", 5}, {"==", 6}, {"!=", 6},
      {"<", 7},  {">", 7},  {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8}, {"+", 9},
      {"-", 9},  {"*", 10}, {"/", 10}, {"%", 10}};
  if (token.kind != Token::Kind::Punct) return 0;
  for (const auto& [text, level] : kLevels) {
    if (token.text == text) return level;
  }
  return 0;
}

inline int64_t apply(const Token& op, int64_t a, int64_t b) {
  const std::string& o = op.text;
  if ((o == "/" || o == "%") && b == 0) throw ScriptError(op.where, "division by zero");
  if (o == "||") return a || b;
  if (o == "&&") return a && b;
  if (o == "|") return a | b;
  if (o == "^") return a ^ b;
  if (o == "&") return a & b;
  if (o == "==") return a == b;
  if (o == "!=") return a != b;
  if (o == "<") return a < b;
  if (o == ">") return a > b;
  if (o == "<=") return a <= b;
  if (o == ">=") return a >= b;
  if (o == "<<") return static_cast<int64_t>(static_cast<uint64_t>(a) << (b & 63));
  if (o == ">>") return a >> (b & 63);
  if (o == "+") return a + b;
  if (o == "-") return a - b;
  if (o == "*") return a * b;
  if (o == "/") return a / b;
  return a % b;
}

}  // namespace detail

int64_t evaluate(TokenCursor& cursor, int minLevel = 1);

inline int64_t evaluateOperand(TokenCursor& cursor) {
  const Token& token = cursor.peek();
  if (token.kind == Token::Kind::Number) return cursor.take().number;
  if (token.kind == Token::Kind::Name) {
    throw ScriptError(token.where, "'" + token.text + "' is not defined");
  }
  if (cursor.takePunct("(")) {
    const int64_t value = evaluate(cursor);
    cursor.expectPunct(")");
    return value;
  }
  if (cursor.takePunct("-")) return -evaluateOperand(cursor);
  if (cursor.takePunct("+")) return evaluateOperand(cursor);
  if (cursor.takePunct("~")) return ~evaluateOperand(cursor);
  if (cursor.takePunct("!")) return !evaluateOperand(cursor);
  cursor.fault("expected a number");
}

// Evaluates the operators that bind at least as strongly as minLevel.
inline int64_t evaluate(TokenCursor& cursor, int minLevel) {
  int64_t value = evaluateOperand(cursor);
  for (int level = detail::binaryLevel(cursor.peek()); level >= minLevel && level > 0;
       level = detail::binaryLevel(cursor.peek())) {
    const Token op = cursor.take();
    value = detail::apply(op, value, evaluate(cursor, level + 1));
  }
  return value;
}

// An expression whose value must fit a 16-bit id.
inline uint16_t evaluateId(TokenCursor& cursor) {
  const Location where = cursor.peek().where;
  const int64_t value = evaluate(cursor);
  if (value < 0 || value > 0xFFFF) {
    throw ScriptError(where, "id " + std::to_string(value) + " is out of range 0 to 65535");
  }
  return static_cast<uint16_t>(value);
}

}  // namespace ntrc
