// toForwardSlashes.
#include "forward_slashes.h"

#include <cstring>

void toForwardSlashes(std::span<char> text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') continue;
    if (i + 1 < text.size() && text[i + 1] == '\\') {
      ++i;  // a doubled backslash stays, and neither half is looked at again
    } else {
      text[i] = '/';
    }
  }
}

void toForwardSlashes(char* text) {
  if (!text) return;
  toForwardSlashes(std::span<char>(text, std::strlen(text)));
}
