// setup::loadProperties: CreateFileA, GetFileSize and one ReadFile of the whole file, then
// the shared parser and registry.
#include "property_reader.h"

#include <memory>
#include <new>
#include <string_view>

#include "common/property_parser.h"
#include "common/property_sets.h"
#include "file_handle.h"
#include "platform/win32.h"

namespace {

// The whole file with two NUL bytes after it, as the shared reader holds it; none when the
// size cannot be taken or the read falls short.
std::unique_ptr<char[]> readWholeFile(HANDLE file, DWORD& size) {
  DWORD high = 0;
  size = GetFileSize(file, &high);
  if ((size == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) || high != 0) return nullptr;
  std::unique_ptr<char[]> text(new (std::nothrow) char[static_cast<size_t>(size) + 2]);
  if (!text) return nullptr;
  DWORD read = 0;
  if (!ReadFile(file, text.get(), size, &read, nullptr) || read != size) return nullptr;
  text[size] = text[size + 1] = '\0';
  return text;
}

}  // namespace

namespace setup {

int loadProperties(const char* path) {
  if (!path || !*path) return issueEmptySetId();
  const FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return 0;
  DWORD size = 0;
  const std::unique_ptr<char[]> text = readWholeFile(file.get(), size);
  if (!text) return 0;
  return registerPropertySet(path, parsePropertyText(std::string_view(text.get(), size)));
}

}  // namespace setup
