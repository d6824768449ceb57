// stripStr and its view form.
#include "strip.h"

#include "property_trace.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string_view stripView(std::string_view text) {
  if (text.empty()) return text;
  size_t end = text.size();
  while (end > 0) {
    if (end >= 2 && text[end - 2] == '\\') break;  // an escaped last character stays
    if (!isBlank(text[end - 1])) break;
    --end;
  }
  if (end == 0) {
    propertyTrace("stripStr: nothing left after trail");
    return {};
  }
  size_t start = 0;
  while (start < end && isBlank(text[start])) ++start;
  return text.substr(start, end - start);
}

std::string stripStr(const char* text) {
  if (!text) return {};
  return std::string(stripView(text));
}
