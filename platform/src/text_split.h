// Splitting a list at one separator character, as path lists, key paths and class paths are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nt {

// The non-empty pieces of the text between separators, in order: "a;;b;" gives a and b.
inline std::vector<std::string> splitNonEmpty(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) pieces.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

}  // namespace nt
