// The machine root: the directory that holds everything machine-wide that Windows keeps
// (registry, event log, service database, drive map). It is $NT_ROOT, or $HOME/.ntroot,
// created on first use.
#pragma once

#include <string>

namespace nt {

// The machine root's host path, without a trailing slash; created when missing. Read anew
// at each call, so that a test can point NT_ROOT at a fresh directory.
std::string machineRoot();

// The same path without creating anything, for look-ups that only read.
std::string machineRootLocation();

// A host path inside the machine root, its parent directories created.
std::string machineRootPath(const std::string& relative);

// Creates the directory and its missing parents; true when it exists afterwards.
bool makeDirectories(const std::string& hostPath);

}  // namespace nt
