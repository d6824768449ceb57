// replaceFile: write beside, flush, then move over the file.
#include "file_replace.h"

#include <string>

#include "file_handle.h"

namespace {

// A name in the file's own directory, so that the move is a rename within one file system.
std::string temporaryNameFor(const char* path) {
  return std::string(path) + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

DWORD writeWhole(const std::string& path, std::string_view text) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return GetLastError();
  DWORD written = 0;
  if (!WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
      written != text.size()) {
    return GetLastError();
  }
  if (!FlushFileBuffers(file.get()) || !file.close()) return GetLastError();
  return ERROR_SUCCESS;
}

}  // namespace

DWORD replaceFile(const char* path, std::string_view text) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    return ERROR_ACCESS_DENIED;
  }
  const std::string temporary = temporaryNameFor(path);
  DWORD code = writeWhole(temporary, text);
  // The file keeps its permissions: it holds the database passwords.
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (code == ERROR_SUCCESS &&
      !(exists ? ReplaceFileA(path, temporary.c_str(), nullptr, 0, nullptr, nullptr)
               : MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING))) {
    code = GetLastError();
  }
  if (code != ERROR_SUCCESS) DeleteFileA(temporary.c_str());
  return code;
}
