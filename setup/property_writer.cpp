// propertyFileText and writeProperties.
#include "property_writer.h"

#include <cerrno>
#include <string_view>

#include "common/diag.h"
#include "file_replace.h"

namespace {

bool needsQuotes(std::string_view key) {
  return key.find_first_of(" \t\r\n") != std::string_view::npos;
}

}  // namespace

std::string propertyFileText(const PropertySet& set) {
  std::string text;
  for (const PropertyPair& pair : set.pairs) {
    const std::string_view key = pair.keyView();
    const std::string_view value = pair.value() ? pair.value() : "";
    if (needsQuotes(key)) {
      text.append("\"").append(key).append("\"=\"").append(value).append("\"");
    } else {
      text.append(key).append("=").append(value);
    }
    text.append("\r\n");
  }
  return text;
}

void writeProperties(int id, const char* path) {
  const PropertySet* set = findPropertySet(id);
  if (!set) return;
  const DWORD code = replaceFile(path, propertyFileText(*set));
  if (code == ERROR_SUCCESS) return;
  errno = 0;  // the Win32 code says why; the C library's errno has nothing to add
  diagError("writeProperties: could not write %s %d", path, static_cast<int>(code));
}
