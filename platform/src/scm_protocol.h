// The wire protocol between the service control manager (ntscm), its clients (the SC calls)
// and the dispatchers of the service processes it starts: framed messages of text fields
// over a UNIX stream socket in the machine root.
//
// A frame is a 32-bit length followed by that many bytes: fields, each a 32-bit length and
// its bytes. The first field names the request; numbers travel as decimal text.
//
// Clients open one connection per call: one request, one reply whose first field is the
// Win32 code of the result (0 for success). A dispatcher keeps its connection for the life
// of its process: it says "hello" with the token it was started with, then receives "start",
// "control" and "quit" and sends "status" and "done".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../winsvc.h"

namespace nt::scm {

// Requests of the SC calls.
inline constexpr char kOpen[] = "open";
inline constexpr char kCreate[] = "create";
inline constexpr char kLookup[] = "lookup";
inline constexpr char kStart[] = "start";
inline constexpr char kControl[] = "control";
inline constexpr char kStatus[] = "status";
inline constexpr char kConfig[] = "config";
inline constexpr char kChange[] = "change";
inline constexpr char kEnum[] = "enum";
inline constexpr char kDelete[] = "delete";
// Between the manager and a dispatcher (kStart, kControl and kStatus serve there too).
inline constexpr char kHello[] = "hello";
inline constexpr char kWelcome[] = "welcome";
inline constexpr char kDone[] = "done";
inline constexpr char kQuit[] = "quit";

// Win32 codes of the manager that the layer's winerror.h does not name.
inline constexpr DWORD kErrorServiceNeverStarted = 1077;
inline constexpr DWORD kErrorServiceNotInExe = 1083;

// The version a client names in kOpen; the manager refuses another.
inline constexpr DWORD kProtocolVersion = 1;

// The environment variable through which the manager tells a service process where to
// connect: "<token>;<socket path>".
inline constexpr char kDispatchVariable[] = "NT_SCM_DISPATCH";

// Files of the manager in the machine root.
inline constexpr char kSocketName[] = "ntscm.socket";
inline constexpr char kPidFileName[] = "ntscm.pid";
inline constexpr char kStartLockName[] = "ntscm.lock";
inline constexpr char kLogName[] = "ntscm.log";
inline constexpr char kDatabaseName[] = "services.txt";

// The machine root as an absolute host path: the manager leaves its starter's directory, and
// handles outlive the caller's.
std::string absoluteMachineRoot();

class Message {
 public:
  Message() = default;
  explicit Message(std::string verb) { add(std::move(verb)); }

  Message& add(std::string field);
  Message& add(DWORD number);
  Message& add(uint64_t number);
  Message& addStatus(const SERVICE_STATUS& status);
  Message& addList(const std::vector<std::string>& items);

  size_t size() const { return fields_.size(); }
  const std::string& verb() const;
  // The field at the index, or empty past the end.
  const std::string& text(size_t index) const;
  DWORD number(size_t index) const;
  uint64_t bigNumber(size_t index) const;
  // Seven numbers from the index on.
  SERVICE_STATUS status(size_t index) const;
  // A count at the index and that many fields after it; advances the index past them.
  std::vector<std::string> list(size_t& index) const;

  std::string encode() const;
  // False for bytes that are not a well-formed message.
  bool decode(const std::string& bytes);

 private:
  std::vector<std::string> fields_;
};

// A reply: the Win32 code of the result first.
inline Message reply(DWORD code) { return Message().add(code); }

// Sends one frame; false (errno set) when the peer is gone or the send timed out. Never
// raises SIGPIPE.
bool sendMessage(int fd, const Message& message);
// Receives one frame; false at the end of the stream, on a malformed frame or a time-out.
bool receiveMessage(int fd, Message& message);

// The environment block with the variable set to the value, replacing an earlier setting.
std::vector<std::string> withVariable(std::vector<std::string> block, const std::string& name,
                                      const std::string& value);

// Limits how long a blocking send or receive on the socket may take (0: no limit).
void setSocketTimeouts(int fd, int receiveMs, int sendMs);

// A connected stream socket to the UNIX socket at the host path, or -1 with errno set.
// Paths longer than a socket address holds are reached through the directory.
int connectSocket(const std::string& path);
// A listening socket bound to the host path, or -1 with errno set.
int listenSocket(const std::string& path);

}  // namespace nt::scm
