// Inline part of property_parser.h: the logical-line scan, shared by splitLines and the
// one-pass reader.
#pragma once

#include "strip.h"

namespace property_format {
inline bool isQuote(char c) { return c == '"' || c == '\'' || c == '`'; }
}  // namespace property_format

// A backslash toggles "escaped"; a CR or LF while escaped stays inside the line, otherwise it
// ends it; quotes leave "escaped" as it is; every other character clears it.
template <typename Visitor>
void forEachLogicalLine(std::string_view text, Visitor&& visit) {
  auto keep = [&visit](std::string_view raw) {
    if (raw.empty()) return;
    const std::string_view stripped = stripView(raw);
    if (!stripped.empty()) visit(stripped);
  };
  bool escaped = false;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\') {
      escaped = !escaped;
    } else if (c == '\r' || c == '\n') {
      if (escaped) {
        escaped = false;
      } else {
        keep(text.substr(start, i - start));
        start = i + 1;
      }
    } else if (!property_format::isQuote(c)) {
      escaped = false;
    }
  }
  keep(text.substr(start));
}
