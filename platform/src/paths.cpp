// Windows path to host path translation and back (see paths.h).
#include "paths.h"

#include <dirent.h>
#include <limits.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "../winbase.h"
#include "../winerror.h"
#include "host_error.h"
#include "machine_root.h"
#include "text_split.h"

namespace nt {
namespace {

bool exists(const std::string& hostPath) {
  struct stat st;
  return ::lstat(hostPath.c_str(), &st) == 0;
}

std::string joinHost(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

// The entry of the directory whose name equals the given one without regard to case.
std::string findNoCase(const std::string& hostDirectory, const std::string& name) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(
      ::opendir(hostDirectory.empty() ? "." : hostDirectory.c_str()), ::closedir);
  if (!dir) return {};
  while (const dirent* entry = ::readdir(dir.get())) {
    if (::strcasecmp(entry->d_name, name.c_str()) == 0) return entry->d_name;
  }
  return {};
}

std::string findExactOrNoCase(const std::string& hostDirectory, const std::string& name) {
  if (exists(joinHost(hostDirectory, name))) return name;
  return findNoCase(hostDirectory, name);
}

// The host directory a drive letter maps to, or empty when the letter has no link.
std::string driveTarget(char letter) {
  const std::string link = machineRootLocation() + "/dosdevices/" +
                           static_cast<char>(std::tolower(static_cast<unsigned char>(letter))) +
                           ":";
  char target[PATH_MAX];
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  if (n <= 0) return {};
  target[n] = '\0';
  if (target[0] == '/') return target;
  return machineRootLocation() + "/dosdevices/" + target;
}

std::string canonical(const std::string& hostPath) {
  char resolved[PATH_MAX];
  if (::realpath(hostPath.c_str(), resolved)) return resolved;
  return hostPath;
}

}  // namespace

bool equalNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

bool endsWithNoCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         ::strcasecmp(text.c_str() + text.size() - suffix.size(), suffix.c_str()) == 0;
}

std::string findNameInDirectory(const std::string& hostDirectory, const std::string& name,
                                PathUse use) {
  if (name == "." || name == "..") return name;
  std::string found = findExactOrNoCase(hostDirectory, name);
  if (!found.empty() || use != PathUse::Existing) return found;
  if (endsWithNoCase(name, ".exe") && name.size() > 4) {
    return findExactOrNoCase(hostDirectory, name.substr(0, name.size() - 4));
  }
  if (endsWithNoCase(name, ".dll") && name.size() > 4) {
    const std::string stem = name.substr(0, name.size() - 4);
    found = findExactOrNoCase(hostDirectory, "lib" + stem + ".so");
    if (found.empty()) found = findExactOrNoCase(hostDirectory, stem + ".so");
  }
  return found;
}

bool hostPathFor(const char* windowsPath, PathUse use, HostPath& result) {
  result = HostPath{};
  if (!windowsPath) return fail(ERROR_INVALID_PARAMETER, false);
  if (!*windowsPath) return fail(ERROR_PATH_NOT_FOUND, false);

  std::string slashed(windowsPath);
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  std::string base;
  if (slashed.size() >= 2 && slashed[1] == ':' && std::isalpha(static_cast<unsigned char>(slashed[0]))) {
    base = driveTarget(slashed[0]);
    if (base.empty()) return fail(ERROR_PATH_NOT_FOUND, false);
    slashed = slashed.substr(2);
  } else if (slashed[0] == '/') {
    base = "/";
  }

  const std::vector<std::string> parts = splitNonEmpty(slashed, '/');
  std::string host = base;
  for (size_t i = 0; i < parts.size(); ++i) {
    const bool last = i + 1 == parts.size();
    std::string name = result.directoryMissing
                           ? std::string()
                           : findNameInDirectory(host, parts[i], last ? use : PathUse::Existing);
    if (name.empty()) {
      name = parts[i];
      if (!last) result.directoryMissing = true;
    }
    host = joinHost(host, name);
  }
  if (host.empty()) host = ".";
  result.path = host;
  return true;
}

DWORD notFoundError(const HostPath& path) {
  return path.directoryMissing ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
}

DWORD setLastErrorForPath(const HostPath& path) {
  const int err = errno;
  const DWORD code = (err == ENOENT) ? notFoundError(path) : win32ErrorFromErrno(err);
  SetLastError(code);
  return code;
}

std::vector<DriveMapping> driveMap() {
  std::vector<DriveMapping> drives;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::string target = driveTarget(letter);
    if (!target.empty()) drives.push_back({letter, canonical(target)});
  }
  return drives;
}

std::string windowsPathFor(const std::string& hostPath) {
  std::string absolute = hostPath;
  if (absolute.empty() || absolute[0] != '/') {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd)) absolute = joinHost(cwd, absolute);
  }
  // Drives are matched on the resolved path, since a drive's link names a resolved directory;
  // a path under no drive is shown as it was given.
  const std::string resolved = canonical(absolute);
  std::string prefix;
  std::string rest = absolute;
  size_t bestLength = 0;
  for (const DriveMapping& drive : driveMap()) {
    const std::string& target = drive.target;
    const bool under = resolved == target ||
                       (resolved.compare(0, target.size(), target) == 0 &&
                        (target == "/" || resolved[target.size()] == '/'));
    if (under && target.size() >= bestLength) {
      bestLength = target.size();
      prefix = std::string(1, static_cast<char>(std::toupper(drive.letter))) + ":";
      rest = resolved.substr(target == "/" ? 0 : target.size());
    }
  }
  if (!prefix.empty() && rest.empty()) rest = "/";
  std::string windows = prefix + rest;
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}

}  // namespace nt
