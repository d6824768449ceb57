// Directory search: FindFirstFileA, FindNextFileA and FindClose. A pattern's last name may
// hold the wildcards "*" and "?", matched without regard to case; "*.*" matches every name.
// A name without wildcards finds that one file, with the .exe and .dll fall-backs of paths.h.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "../winbase.h"
#include "../winerror.h"
#include "handles.h"
#include "host_error.h"
#include "paths.h"

namespace {

using nt::fail;

class FindObject : public nt::KernelObject {
 public:
  std::vector<WIN32_FIND_DATAA> entries;
  size_t next = 0;
  bool closableByCloseHandle() const override { return false; }
};

// 100-nanosecond intervals since 1601-01-01, as FILETIME counts.
FILETIME fileTimeOf(const struct timespec& ts) {
  constexpr uint64_t kEpochDifference = 116444736000000000ULL;
  const uint64_t ticks = static_cast<uint64_t>(ts.tv_sec) * 10000000ULL +
                         static_cast<uint64_t>(ts.tv_nsec) / 100 + kEpochDifference;
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

bool fillFindData(const std::string& hostPath, const std::string& reportedName,
                  WIN32_FIND_DATAA& data) {
  struct stat st;
  if (::stat(hostPath.c_str(), &st) != 0) return false;
  std::memset(&data, 0, sizeof data);
  data.dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if (!(st.st_mode & S_IWUSR)) data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
  if (!data.dwFileAttributes) data.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
  data.ftCreationTime = fileTimeOf(st.st_ctim);
  data.ftLastAccessTime = fileTimeOf(st.st_atim);
  data.ftLastWriteTime = fileTimeOf(st.st_mtim);
  const auto size = static_cast<uint64_t>(S_ISDIR(st.st_mode) ? 0 : st.st_size);
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size);
  const size_t length = std::min(reportedName.size(), sizeof data.cFileName - 1);
  std::memcpy(data.cFileName, reportedName.data(), length);
  return true;
}

bool wildcardMatch(const char* pattern, const char* name) {
  if (*pattern == '\0') return *name == '\0';
  if (*pattern == '*') {
    for (const char* rest = name;; ++rest) {
      if (wildcardMatch(pattern + 1, rest)) return true;
      if (*rest == '\0') return false;
    }
  }
  if (*name == '\0') return false;
  if (*pattern != '?' && std::tolower(static_cast<unsigned char>(*pattern)) !=
                             std::tolower(static_cast<unsigned char>(*name))) {
    return false;
  }
  return wildcardMatch(pattern + 1, name + 1);
}

bool hasWildcards(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// Every entry of the directory that matches the pattern, "." and ".." included.
bool listMatches(const std::string& hostDirectory, std::string pattern, FindObject& find) {
  if (pattern == "*.*") pattern = "*";
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(hostDirectory.c_str()), ::closedir);
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!wildcardMatch(pattern.c_str(), entry->d_name)) continue;
    WIN32_FIND_DATAA data;
    const std::string hostPath = hostDirectory + "/" + entry->d_name;
    if (fillFindData(hostPath, entry->d_name, data)) find.entries.push_back(data);
  }
  return true;
}

// The name a found file is reported under: its host name, unless it was found through a
// fall-back name (java.exe for java), which is then reported as asked.
std::string reportedName(const std::string& asked, const std::string& host) {
  return nt::equalNoCase(asked, host) ? host : asked;
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findFileData) {
  nt::PreserveErrno keepErrno;
  if (!fileName || !findFileData) return fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  const std::string windows(fileName);
  const size_t cut = windows.find_last_of("\\/");
  const std::string last = cut == std::string::npos ? windows : windows.substr(cut + 1);
  if (last.empty()) return fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);

  auto find = std::make_shared<FindObject>();
  if (hasWildcards(last)) {
    nt::HostPath directory;
    const std::string directoryName =
        cut == std::string::npos ? "." : (cut == 0 ? windows.substr(0, 1) : windows.substr(0, cut));
    const bool driveRoot = directoryName.size() == 2 && directoryName[1] == ':';
    if (!nt::hostPathFor((driveRoot ? directoryName + "\\" : directoryName).c_str(),
                         nt::PathUse::Existing, directory)) {
      return INVALID_HANDLE_VALUE;
    }
    if (!listMatches(directory.path, last, *find)) {
      return fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    }
  } else {
    nt::HostPath path;
    if (!nt::hostPathFor(fileName, nt::PathUse::Existing, path)) return INVALID_HANDLE_VALUE;
    const size_t hostCut = path.path.find_last_of('/');
    const std::string hostName = hostCut == std::string::npos ? path.path : path.path.substr(hostCut + 1);
    WIN32_FIND_DATAA data;
    if (!path.directoryMissing && fillFindData(path.path, reportedName(last, hostName), data)) {
      find->entries.push_back(data);
    } else {
      return fail(nt::notFoundError(path), INVALID_HANDLE_VALUE);
    }
  }
  if (find->entries.empty()) return fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  *findFileData = find->entries[0];
  find->next = 1;
  return nt::insertHandle(find);
}

BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findFileData) {
  nt::PreserveErrno keepErrno;
  auto find = nt::lookupHandleAs<FindObject>(findFile);
  if (!find) return fail(ERROR_INVALID_HANDLE, FALSE);
  if (!findFileData) return fail(ERROR_INVALID_PARAMETER, FALSE);
  if (find->next >= find->entries.size()) return fail(ERROR_NO_MORE_FILES, FALSE);
  *findFileData = find->entries[find->next++];
  return TRUE;
}

BOOL FindClose(HANDLE findFile) {
  nt::PreserveErrno keepErrno;
  if (!nt::removeHandleAs<FindObject>(findFile)) return fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}
