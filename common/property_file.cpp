// loadProperties and readProp: the file is read in one piece, the text parsed, and every pair
// shown on a trace line as the reader understood it.
#include "property_file.h"

#include <memory>
#include <new>
#include <string_view>

#include "platform/win32.h"
#include "property_sets.h"
#include "property_trace.h"

namespace {

// The whole file, with two NUL bytes after it; none when it cannot be read in full.
std::unique_ptr<char[]> readWholeFile(FILE* file, size_t& size) {
  if (std::fseek(file, 0, SEEK_END) != 0) return nullptr;
  const long end = std::ftell(file);
  if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) return nullptr;
  size = static_cast<size_t>(end);
  std::unique_ptr<char[]> text(new (std::nothrow) char[size + 2]);
  if (!text) return nullptr;
  if (std::fread(text.get(), 1, size, file) != size) return nullptr;
  text[size] = text[size + 1] = '\0';
  return text;
}

}  // namespace

int readProp(FILE* file, std::vector<PropertyPair>& pairs) {
  if (!file) return 1;
  size_t size = 0;
  const std::unique_ptr<char[]> text = readWholeFile(file, size);
  if (!text) return 1;
  pairs = parsePropertyText(std::string_view(text.get(), size));
  for (size_t i = 0; i < pairs.size(); ++i) {
    const char* value = pairs[i].value();
    propertyTrace("readProp: %d -%s- = -%s-\n", static_cast<int>(i), pairs[i].key(),
                  value ? value : "(null)");
  }
  return 0;
}

int loadProperties(const char* path) {
  if (!path || !*path) {
    propertyTrace("loadProperties: -null-\n");
    return issueEmptySetId();
  }
  propertyTrace("loadProperties: -%s-\n", path);
  std::unique_ptr<FILE, int (*)(FILE*)> file(crt::fopen(path, "rb"), std::fclose);
  if (!file) return 0;
  std::vector<PropertyPair> pairs;
  if (readProp(file.get(), pairs) != 0) return 0;
  file.reset();
  const int id = registerPropertySet(path, std::move(pairs));
  propertyTrace("loadProperties: return %d\n", id);
  return id;
}
