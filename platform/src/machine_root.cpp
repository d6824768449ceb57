// Locating and creating the machine root (see machine_root.h).
#include "machine_root.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

#include "host_calls.h"

namespace nt {

bool makeDirectories(const std::string& hostPath) {
  if (hostPath.empty()) return false;
  struct stat st;
  if (::stat(hostPath.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const size_t slash = hostPath.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !makeDirectories(hostPath.substr(0, slash))) {
    return false;
  }
  return host::mkdir(hostPath.c_str(), 0777) == 0 || errno == EEXIST;
}

std::string machineRoot() {
  std::string root = machineRootLocation();
  makeDirectories(root);
  return root;
}

std::string machineRootLocation() {
  std::string root;
  if (const char* configured = ::getenv("NT_ROOT"); configured && *configured) {
    root = configured;
  } else {
    const char* home = ::getenv("HOME");
    root = std::string(home && *home ? home : "/tmp") + "/.ntroot";
  }
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

std::string machineRootPath(const std::string& relative) {
  std::string path = machineRoot() + "/" + relative;
  const size_t slash = path.find_last_of('/');
  makeDirectories(path.substr(0, slash));
  return path;
}

}  // namespace nt
