// The SC calls' way to the service control manager of a machine root: one connection per
// call, and the start of the manager on demand by the first OpenSCManagerA.
#pragma once

#include <memory>
#include <string>

#include "handles.h"
#include "scm_protocol.h"

namespace nt::scm {

// The host path of the manager's socket in the current machine root.
std::string managerSocketPath();

// Makes sure the manager of the current machine root runs, starting it when it does not.
// Concurrent first calls (of any process) start one manager. Returns 0 or a Win32 code.
DWORD ensureManagerRunning();

// Sends the request to the manager at the socket and receives its reply. Returns the reply's
// Win32 code, or RPC_S_SERVER_UNAVAILABLE when the manager cannot be reached.
DWORD callManager(const std::string& socketPath, const Message& request, Message& reply);

// callManager for the SC calls: false, with the last error set, when the manager refuses
// the request or cannot be reached.
bool askManager(const std::string& socketPath, const Message& request, Message& reply);

// The objects behind SC_HANDLEs. Each remembers the manager it belongs to, so that a later
// change of NT_ROOT does not move it to another machine.
class ScHandleObject : public KernelObject {
 public:
  explicit ScHandleObject(std::string socketPath) : socketPath_(std::move(socketPath)) {}
  bool closableByCloseHandle() const override { return false; }  // CloseServiceHandle only
  const std::string& socketPath() const { return socketPath_; }

 private:
  std::string socketPath_;
};

class ScManagerObject : public ScHandleObject {
 public:
  using ScHandleObject::ScHandleObject;
};

// A service handle names the service and the incarnation it was opened on: once that
// service has been deleted, the handle no longer reaches a new service of the same name.
class ScServiceObject : public ScHandleObject {
 public:
  ScServiceObject(std::string socketPath, std::string name, uint64_t serial)
      : ScHandleObject(std::move(socketPath)), name_(std::move(name)), serial_(serial) {}
  const std::string& name() const { return name_; }
  uint64_t serial() const { return serial_; }

 private:
  std::string name_;
  uint64_t serial_;
};

// The request with the service's name and serial after the verb.
Message serviceRequest(const char* verb, const ScServiceObject& service);

// The service behind an SC_HANDLE, or none with ERROR_INVALID_HANDLE set.
std::shared_ptr<ScServiceObject> serviceFor(SC_HANDLE handle);
std::shared_ptr<ScManagerObject> managerFor(SC_HANDLE handle);

}  // namespace nt::scm
