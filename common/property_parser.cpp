// Logical lines and key/value pairs of the property file format (see property_parser.h).
#include "property_parser.h"

#include <cstring>

#include "strip.h"

namespace {

bool isQuote(char c) { return c == '"' || c == '\'' || c == '`'; }

std::optional<std::string> valueOrNone(std::string_view text) {
  const std::string_view stripped = stripView(text);
  if (stripped.empty()) return std::nullopt;
  return std::string(stripped);
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
  auto keep = [&lines](std::string_view raw) {
    if (raw.empty()) return;
    const std::string_view stripped = stripView(raw);
    if (!stripped.empty()) lines.push_back(stripped);
  };
  bool escaped = false;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      escaped = !escaped;
    } else if (c == '\r' || c == '\n') {
      if (escaped) {
        escaped = false;  // the break stays inside the logical line
      } else {
        keep(text.substr(start, i - start));
        start = i + 1;
      }
    } else if (!isQuote(c)) {
      escaped = false;
    }
  }
  keep(text.substr(start));
  return lines;
}

std::optional<PropertyPair> parseLine(std::string_view line) {
  line = stripView(line);
  if (line.empty() || line[0] == '#') return std::nullopt;
  bool complete = true;
  const size_t split = splitPosition(line, complete);
  std::optional<std::string> key;
  std::optional<std::string> value;
  if (split != std::string_view::npos) {
    key = valueOrNone(line.substr(0, split));
    value = valueOrNone(line.substr(split + 1));
  } else if (complete) {
    key = valueOrNone(line);
  }
  if (!key) return std::nullopt;
  return PropertyPair{std::move(*key), std::move(value)};
}

std::vector<PropertyPair> parsePropertyText(std::string_view text) {
  const size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  std::vector<PropertyPair> pairs;
  for (std::string_view line : splitLines(text)) {
    if (auto pair = parseLine(line)) pairs.push_back(std::move(*pair));
  }
  return pairs;
}
