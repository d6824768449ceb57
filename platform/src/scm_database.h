// The service database of a machine root: the configuration of every installed service, kept
// by ntscm in the text file services.txt of the machine root.
//
// The file has one section per service, in the manner of an .ini file:
//
//   [MOXALAgent]
//   Serial=1
//   DisplayName=MOXALAgent 1.0
//   Type=0x20
//   Start=3
//   ErrorControl=1
//   ImagePath=C:\prod\bin\moxalsvc.exe
//   Group=
//   ObjectName=LocalSystem
//   Depend=+Network
//   DeletePending=1
//
// with one Depend line per dependency in the order given ("+Name" for a load-order group).
// Control characters and '%' in names and values are written as %XX. The file is rewritten
// whole (temporary file, then rename), so a reader never sees half of it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "../wintypes.h"

namespace nt::scm {

struct ServiceConfig {
  std::string name;
  uint64_t serial = 0;  // tells this service from a later one of the same name
  std::string displayName;
  DWORD type = 0;
  DWORD startType = 0;
  DWORD errorControl = 0;
  std::string binaryPath;
  std::string loadOrderGroup;
  std::string startName;
  std::vector<std::string> dependencies;
  bool deletePending = false;
};

// Orders service names without regard to letter case, as the manager compares them.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

// Reads the database; a missing file is an empty database. Lines it does not understand are
// skipped.
std::vector<ServiceConfig> loadDatabase(const std::string& hostPath);

// Writes the database atomically. False with errno set when the host refuses.
bool saveDatabase(const std::string& hostPath, const std::vector<ServiceConfig>& services);

}  // namespace nt::scm
