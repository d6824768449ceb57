// Logical lines and key/value pairs of the property file format (see property_parser.h).
#include "property_parser.h"

#include <algorithm>
#include <cstring>

#include "strip.h"

PropertyPair::PropertyPair(std::string_view key, std::optional<std::string_view> value)
    : keyLength_(static_cast<uint32_t>(key.size())), hasValue_(value.has_value()) {
  text_.reserve(key.size() + 1 + (value ? value->size() : 0));
  text_.append(key).push_back('\0');
  if (value) text_.append(*value);
}

void PropertyPair::setValue(std::optional<std::string_view> value) {
  text_.resize(keyLength_ + 1);
  hasValue_ = value.has_value();
  if (value) text_.append(*value);
}

namespace {

using property_format::isQuote;

std::optional<std::string_view> strippedOrNone(std::string_view text) {
  const std::string_view stripped = stripView(text);
  if (stripped.empty()) return std::nullopt;
  return stripped;
}

// The position of the "=" that splits the line, or npos; sets complete to false when the line
// ends inside a quote or after an escaping backslash.
size_t splitPosition(std::string_view line, bool& complete) {
  bool inQuote = false;
  bool escaped = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '#') continue;  // ordinary, and escaped stays as it is
    if (c == '\\') {
      escaped = !escaped;
    } else if (isQuote(c)) {
      if (!escaped) inQuote = !inQuote;
    } else if (c == '=' && !inQuote && !escaped) {
      return i;
    } else {
      escaped = false;
    }
  }
  complete = !inQuote && !escaped;
  return std::string_view::npos;
}

}  // namespace

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  forEachLogicalLine(text, [&lines](std::string_view line) { lines.push_back(line); });
  return lines;
}

std::optional<PropertyPair> parseLine(std::string_view line) {
  line = stripView(line);
  if (line.empty() || line[0] == '#') return std::nullopt;
  bool complete = true;
  const size_t split = splitPosition(line, complete);
  std::optional<std::string_view> key;
  std::optional<std::string_view> value;
  if (split != std::string_view::npos) {
    key = strippedOrNone(line.substr(0, split));
    value = strippedOrNone(line.substr(split + 1));
  } else if (complete) {
    key = strippedOrNone(line);
  }
  if (!key) return std::nullopt;
  return PropertyPair(*key, value);
}

std::vector<PropertyPair> parsePropertyText(std::string_view text) {
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  std::vector<PropertyPair> pairs;
  pairs.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  forEachLogicalLine(text, [&pairs](std::string_view line) {
    if (auto pair = parseLine(line)) pairs.push_back(std::move(*pair));
  });
  return pairs;
}
