// Names in the file system: DeleteFileA, MoveFileExA, file attributes, directories, the current
// directory, full path names and the temporary directory.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "../crt.h"
#include "../winbase.h"
#include "../winerror.h"
#include "host_calls.h"
#include "host_error.h"
#include "paths.h"

namespace {

using nt::fail;

// Copies text into a caller's buffer the way the Get...A calls do: the length without the
// NUL when it fits, else the size needed with the NUL and the buffer untouched.
DWORD copyOut(const std::string& text, LPSTR buffer, DWORD bufferLength) {
  if (!buffer || bufferLength <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

bool statPath(const nt::HostPath& path, struct stat& st) {
  if (::stat(path.path.c_str(), &st) == 0) return true;
  nt::setLastErrorForPath(path);
  return false;
}

// Removes "." and ".." and doubled separators from a path in Windows form, keeping its root
// (a drive "X:\" or a leading "\").
std::string normalizeWindows(const std::string& path) {
  std::string root;
  size_t start = 0;
  if (path.size() >= 2 && path[1] == ':') {
    root = path.substr(0, 2) + "\\";
    start = 2;
  } else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    root = "\\";
  }
  std::vector<std::string> parts;
  std::string part;
  auto flush = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (size_t i = start; i < path.size(); ++i) {
    if (path[i] == '\\' || path[i] == '/') flush();
    else part += path[i];
  }
  flush();
  std::string result = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i) result += '\\';
    result += parts[i];
  }
  return result;
}

}  // namespace

BOOL DeleteFileA(LPCSTR fileName) {
  nt::PreserveErrno keepErrno;
  nt::HostPath path;
  if (!nt::hostPathFor(fileName, nt::PathUse::Existing, path)) return FALSE;
  struct stat st;
  if (!statPath(path, st)) return FALSE;
  if (S_ISDIR(st.st_mode)) return fail(ERROR_ACCESS_DENIED, FALSE);
  if (::unlink(path.path.c_str()) != 0) {
    nt::setLastErrorForPath(path);
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  nt::PreserveErrno keepErrno;
  nt::HostPath from, to;
  if (!nt::hostPathFor(existingFileName, nt::PathUse::Existing, from) ||
      !nt::hostPathFor(newFileName, nt::PathUse::Create, to)) {
    return FALSE;
  }
  struct stat st;
  if (!statPath(from, st)) return FALSE;
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && ::lstat(to.path.c_str(), &st) == 0) {
    return fail(ERROR_ALREADY_EXISTS, FALSE);
  }
  if (nt::host::rename(from.path.c_str(), to.path.c_str()) != 0) {
    if (errno == ENOENT) return fail(nt::notFoundError(to), FALSE);
    nt::setLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL ReplaceFileA(LPCSTR replacedFileName, LPCSTR replacementFileName, LPCSTR backupFileName,
                  DWORD /*replaceFlags*/, LPVOID /*exclude*/, LPVOID /*reserved*/) {
  nt::PreserveErrno keepErrno;
  if (backupFileName) return fail(ERROR_INVALID_PARAMETER, FALSE);
  nt::HostPath replaced, replacement;
  if (!nt::hostPathFor(replacedFileName, nt::PathUse::Existing, replaced) ||
      !nt::hostPathFor(replacementFileName, nt::PathUse::Existing, replacement)) {
    return FALSE;
  }
  struct stat st;
  if (!statPath(replaced, st)) return FALSE;
  struct stat newer;
  if (!statPath(replacement, newer)) return FALSE;
  // The replaced file's permissions and owner go to its replacement before it takes its place.
  if (::chmod(replacement.path.c_str(), st.st_mode & 07777) != 0) {
    return fail(ERROR_UNABLE_TO_REMOVE_REPLACED, FALSE);
  }
  if ((st.st_uid != newer.st_uid || st.st_gid != newer.st_gid) &&
      ::chown(replacement.path.c_str(), st.st_uid, st.st_gid) != 0) {
    return fail(ERROR_UNABLE_TO_REMOVE_REPLACED, FALSE);
  }
  if (nt::host::rename(replacement.path.c_str(), replaced.path.c_str()) != 0) {
    return fail(ERROR_UNABLE_TO_MOVE_REPLACEMENT, FALSE);
  }
  return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
  nt::PreserveErrno keepErrno;
  nt::HostPath path;
  if (!nt::hostPathFor(fileName, nt::PathUse::Existing, path)) return INVALID_FILE_ATTRIBUTES;
  struct stat st;
  if (!statPath(path, st)) return INVALID_FILE_ATTRIBUTES;
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  nt::PreserveErrno keepErrno;
  nt::HostPath path;
  if (!nt::hostPathFor(fileName, nt::PathUse::Existing, path)) return FALSE;
  struct stat st;
  if (!statPath(path, st)) return FALSE;
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~0222) : (mode | S_IWUSR);
  if (::chmod(path.path.c_str(), mode) != 0) {
    nt::setLastErrorForPath(path);
    return FALSE;
  }
  return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES /*securityAttributes*/) {
  nt::PreserveErrno keepErrno;
  nt::HostPath path;
  if (!nt::hostPathFor(pathName, nt::PathUse::Create, path)) return FALSE;
  if (nt::host::mkdir(path.path.c_str(), 0777) != 0) {
    // A missing parent is a missing path, as Windows reports it.
    if (errno == ENOENT) return fail(ERROR_PATH_NOT_FOUND, FALSE);
    nt::setLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR pathName) {
  nt::PreserveErrno keepErrno;
  nt::HostPath path;
  if (!nt::hostPathFor(pathName, nt::PathUse::Existing, path)) return FALSE;
  if (::rmdir(path.path.c_str()) != 0) {
    if (errno == ENOTDIR) return fail(ERROR_DIRECTORY, FALSE);
    nt::setLastErrorForPath(path);
    return FALSE;
  }
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  nt::PreserveErrno keepErrno;
  char cwd[PATH_MAX];
  if (!::getcwd(cwd, sizeof cwd)) {
    nt::setLastErrorFromErrno();
    return 0;
  }
  return copyOut(nt::windowsPathFor(cwd), buffer, bufferLength);
}

BOOL SetCurrentDirectoryA(LPCSTR pathName) {
  nt::PreserveErrno keepErrno;
  nt::HostPath path;
  if (!nt::hostPathFor(pathName, nt::PathUse::Existing, path)) return FALSE;
  if (::chdir(path.path.c_str()) != 0) {
    if (errno == ENOTDIR) return fail(ERROR_DIRECTORY, FALSE);
    nt::setLastErrorForPath(path);
    return FALSE;
  }
  return TRUE;
}

DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
  nt::PreserveErrno keepErrno;
  if (!fileName || !*fileName) return fail(ERROR_INVALID_NAME, DWORD{0});
  std::string path(fileName);
  const bool hasDrive = path.size() >= 2 && path[1] == ':';
  const bool rooted = !path.empty() && (path[0] == '\\' || path[0] == '/');
  if (!hasDrive && !rooted) {
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd)) {
      nt::setLastErrorFromErrno();
      return 0;
    }
    path = nt::windowsPathFor(cwd) + "\\" + path;
  }
  const std::string full = normalizeWindows(path);
  const DWORD result = copyOut(full, buffer, bufferLength);
  if (filePart && result < bufferLength) {
    const size_t slash = full.find_last_of('\\');
    *filePart = (slash == std::string::npos || slash + 1 == full.size())
                    ? nullptr
                    : buffer + slash + 1;
  }
  return result;
}

DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) {
  nt::PreserveErrno keepErrno;
  std::string directory;
  for (const char* name : {"TMP", "TEMP", "USERPROFILE"}) {
    const char* value = crt::getenv(name);
    if (value && *value) {
      directory = value;
      break;
    }
  }
  if (directory.empty()) directory = nt::windowsPathFor("/tmp");
  if (directory.back() != '\\' && directory.back() != '/') directory += '\\';
  return copyOut(directory, buffer, bufferLength);
}
