// Translation between Windows paths and host paths.
//
// Windows to host: "\" and "/" both separate; "X:" maps through the drive map
// (machine root's dosdevices/x: symlinks); a path without a drive is a host path, absolute or
// relative to the current directory. Each name is looked up exactly first, then without regard
// to case; for the last name of an existing file, "name.exe" also finds "name", and "X.dll"
// also finds "libX.so" and "X.so".
//
// Host to Windows: an absolute host path under a mapped drive gets that drive (the longest
// mapping wins), any other gets no drive; separators become "\".
#pragma once

#include <string>
#include <vector>

#include "../wintypes.h"

namespace nt {

enum class PathUse {
  Existing,  // the path names something that should exist: all fall-backs apply
  Create,    // the last name may be new: only its directories are looked up
};

struct HostPath {
  std::string path;            // host form; empty when the translation failed
  bool directoryMissing = false;  // a directory on the way does not exist
};

// Translates a Windows path. On failure (null, empty, unmapped drive) returns false with the
// last error set. A missing file is not a failure here: the host call that follows reports it.
bool hostPathFor(const char* windowsPath, PathUse use, HostPath& result);

// The Win32 code for a host ENOENT on this path: ERROR_PATH_NOT_FOUND when a directory on
// the way is missing, else ERROR_FILE_NOT_FOUND.
DWORD notFoundError(const HostPath& path);

// Sets the last error for a failed host call on the path, telling a missing directory from a
// missing file. Returns the code set.
DWORD setLastErrorForPath(const HostPath& path);

// The Windows form of a host path (made absolute against the current directory).
std::string windowsPathFor(const std::string& hostPath);

// Finds the host name in the directory that stands for the Windows name: exact, then without
// case, then (for existing files) the .exe and .dll fall-backs. Empty when there is none.
std::string findNameInDirectory(const std::string& hostDirectory, const std::string& name,
                                PathUse use);

struct DriveMapping {
  char letter;         // lower case
  std::string target;  // canonical host directory
};
std::vector<DriveMapping> driveMap();

// Case-insensitive comparison of ASCII letters, as Windows file names compare here.
bool equalNoCase(const std::string& a, const std::string& b);
bool endsWithNoCase(const std::string& text, const std::string& suffix);

}  // namespace nt
