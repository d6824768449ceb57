// ntrc's resource data: a resource as the directory will hold it, and the writer of the
// little-endian binary layouts Windows gives resources (WORDs, DWORDs, UTF-16 texts).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ntrc_expression.h"
#include "ntrc_lexer.h"
#include "platform/win32.h"

namespace ntrc {

// A resource's type or name: a number, or a name kept in upper case as rc keeps it.
struct ResourceName {
  uint16_t id = 0;
  std::string name;

  bool operator<(const ResourceName& other) const {
    return name != other.name ? name < other.name : id < other.id;
  }
  bool operator==(const ResourceName&) const = default;
};

// A field of a dialog template that holds a number or a text (menu, class, title): absent,
// an ordinal, or a text.
struct TextOrOrdinal {
  enum class Kind { None, Ordinal, Text };
  Kind kind = Kind::None;
  uint16_t ordinal = 0;
  std::string text;
};

struct Resource {
  ResourceName type;
  ResourceName name;
  uint16_t language = 0;
  std::vector<uint8_t> bytes;
};

// The UTF-16 form of a script's UTF-8 text.
inline std::u16string toUtf16(const std::string& text, const Location& where) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int units =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (units <= 0) throw ScriptError(where, "text is not valid UTF-8");
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), units);
  return wide;
}

class ByteWriter {
 public:
  void byte(uint8_t value) { bytes_.push_back(value); }
  void word(uint16_t value) {
    byte(static_cast<uint8_t>(value));
    byte(static_cast<uint8_t>(value >> 8));
  }
  void dword(uint32_t value) {
    word(static_cast<uint16_t>(value));
    word(static_cast<uint16_t>(value >> 16));
  }
  // The units without a terminating NUL.
  void units(const std::u16string& text) {
    for (const char16_t unit : text) word(unit);
  }
  // A NUL-terminated UTF-16 text.
  void text(const std::u16string& text) {
    units(text);
    word(0);
  }
  // A number or a text as dialog templates hold them: 0x0000 for none, 0xFFFF and the
  // number, or the NUL-terminated text.
  void textOrOrdinal(const TextOrOrdinal& value, const Location& where) {
    switch (value.kind) {
      case TextOrOrdinal::Kind::None: word(0); return;
      case TextOrOrdinal::Kind::Ordinal: word(0xFFFF); word(value.ordinal); return;
      case TextOrOrdinal::Kind::Text: text(toUtf16(value.text, where)); return;
    }
  }
  void alignTo(size_t boundary) {
    while (bytes_.size() % boundary) byte(0);
  }
  std::vector<uint8_t> take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

inline std::string upperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// A resource's id or name as a script gives it: a name (kept in upper case, as rc keeps
// names), a quoted name, or a numeric expression.
inline ResourceName readResourceName(TokenCursor& cursor) {
  const Token& token = cursor.peek();
  if (token.kind == Token::Kind::Name || token.kind == Token::Kind::String) {
    return {0, upperCase(cursor.take().text)};
  }
  return {evaluateId(cursor), ""};
}

}  // namespace ntrc
