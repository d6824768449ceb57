// findFileInPath, copy and toBackslashes.
#include "file_search.h"

#include <algorithm>
#include <new>

#include "alloc_seam.h"
#include "common/diag.h"
#include "message_table.h"
#include "platform/win32.h"

namespace {

void reportAllocationFailure(int textId) {
  reportEvent(messageText(textId), messageText(kSourceMoxal), EVENTLOG_ERROR_TYPE);
}

}  // namespace

std::optional<std::string> findFileInPath(const char* directory, const char* fileName) {
  if (!directory && !fileName) return std::nullopt;
  const char* dir = (directory && *directory) ? directory : ".";
  const char* file = (fileName && *fileName) ? fileName : ".";
  std::string joined;
  try {
    if (!allocationAllowed(AllocSite::FindFileInPath)) throw std::bad_alloc();
    joined.reserve(std::char_traits<char>::length(dir) + std::char_traits<char>::length(file) + 10);
    joined.append(dir).append("\\").append(file);
  } catch (const std::bad_alloc&) {
    reportAllocationFailure(2);
    return std::nullopt;
  }
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(joined.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  FindClose(find);
  return joined;
}

std::optional<std::string> copy(const std::optional<std::string>& first, const char* second) {
  try {
    if (!allocationAllowed(AllocSite::Copy)) throw std::bad_alloc();
    std::string result = first.value_or(std::string());
    if (second) result += second;
    return result;
  } catch (const std::bad_alloc&) {
    diagError("%s", messageText(3));
    reportAllocationFailure(3);
    return std::nullopt;
  }
}

void toBackslashes(std::string& text) { std::replace(text.begin(), text.end(), '/', '\\'); }
