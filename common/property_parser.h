// The property file format: the text is cut into logical lines (a backslash escapes a line
// break), each line yields a key with an optional value at its first "=" that neither a quote
// nor a backslash protects, and "#" at the start of a line makes it a comment. Quotes and
// backslashes stay in keys and values.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PropertyPair {
  std::string key;                   // never empty
  std::optional<std::string> value;  // none for a key without value
};

// The logical lines of the text, each trimmed with stripStr; empty ones are dropped. The lines
// are views into the text.
std::vector<std::string_view> splitLines(std::string_view text);

// The pair a logical line yields: none for a comment, a line without key, or a line that ends
// inside a quote or after an escaping backslash without a split.
std::optional<PropertyPair> parseLine(std::string_view line);

// Every pair of the text, in order; the text ends at its first NUL byte.
std::vector<PropertyPair> parsePropertyText(std::string_view text);
