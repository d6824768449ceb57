// The property file format: the text is cut into logical lines (a backslash escapes a line
// break), each line yields a key with an optional value at its first "=" that neither a quote
// nor a backslash protects, and "#" at the start of a line makes it a comment. Quotes and
// backslashes stay in keys and values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A key and its optional value, kept in one block (key, NUL, value) so that a pair costs one
// allocation: loading a file is the reader's hot path.
class PropertyPair {
 public:
  PropertyPair(std::string_view key, std::optional<std::string_view> value);

  const char* key() const { return text_.c_str(); }
  std::string_view keyView() const { return std::string_view(text_.data(), keyLength_); }
  // None for a key without value.
  const char* value() const { return hasValue_ ? text_.c_str() + keyLength_ + 1 : nullptr; }
  void setValue(std::optional<std::string_view> value);

 private:
  std::string text_;
  uint32_t keyLength_;
  bool hasValue_;
};

// The logical lines of the text, each trimmed with stripStr; empty ones are dropped. The lines
// are views into the text.
std::vector<std::string_view> splitLines(std::string_view text);

// The same lines, each handed to the visitor as it is found.
template <typename Visitor>
void forEachLogicalLine(std::string_view text, Visitor&& visit);

// The pair a logical line yields: none for a comment, a line without key, or a line that ends
// inside a quote or after an escaping backslash without a split.
std::optional<PropertyPair> parseLine(std::string_view line);

// Every pair of the text, in order; the text ends at its first NUL byte.
std::vector<PropertyPair> parsePropertyText(std::string_view text);

#include "property_parser.inl"
