// Messages of the service control manager's protocol and the socket calls that carry them
// (see scm_protocol.h).
#include "scm_protocol.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host_calls.h"
#include "machine_root.h"
#include "unique_fd.h"

namespace nt::scm {
namespace {

// Larger frames are refused: no request of the protocol comes near this.
constexpr uint32_t kMaxFrame = 16u << 20;

void appendLength(std::string& out, uint32_t length) {
  out.append(reinterpret_cast<const char*>(&length), sizeof length);
}

bool takeLength(const std::string& bytes, size_t& offset, uint32_t& length) {
  if (bytes.size() - offset < sizeof length) return false;
  std::memcpy(&length, bytes.data() + offset, sizeof length);
  offset += sizeof length;
  return true;
}

bool receiveExactly(int fd, char* buffer, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n =
        host::retryOnEintr([&] { return ::recv(fd, buffer + done, count - done, 0); });
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The socket address for a path; a path too long for it is reached as
// /proc/self/fd/<directory>/<name> through the open directory held in directoryFd.
bool addressFor(const std::string& path, sockaddr_un& address, UniqueFd& directoryFd) {
  address = {};
  address.sun_family = AF_UNIX;
  std::string reachable = path;
  if (path.size() >= sizeof address.sun_path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
      errno = ENAMETOOLONG;
      return false;
    }
    directoryFd.reset(host::open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY));
    if (!directoryFd.valid()) return false;
    reachable = "/proc/self/fd/" + std::to_string(directoryFd.get()) + path.substr(slash);
    if (reachable.size() >= sizeof address.sun_path) {
      errno = ENAMETOOLONG;
      return false;
    }
  }
  std::memcpy(address.sun_path, reachable.c_str(), reachable.size() + 1);
  return true;
}

}  // namespace

std::string absoluteMachineRoot() {
  const std::string root = machineRoot();
  char resolved[PATH_MAX];
  return ::realpath(root.c_str(), resolved) ? std::string(resolved) : root;
}

Message& Message::add(std::string field) {
  fields_.push_back(std::move(field));
  return *this;
}

Message& Message::add(DWORD number) { return add(std::to_string(number)); }

Message& Message::add(uint64_t number) { return add(std::to_string(number)); }

Message& Message::addStatus(const SERVICE_STATUS& status) {
  for (DWORD value : {status.dwServiceType, status.dwCurrentState, status.dwControlsAccepted,
                      status.dwWin32ExitCode, status.dwServiceSpecificExitCode, status.dwCheckPoint,
                      status.dwWaitHint}) {
    add(value);
  }
  return *this;
}

Message& Message::addList(const std::vector<std::string>& items) {
  add(static_cast<DWORD>(items.size()));
  for (const std::string& item : items) add(item);
  return *this;
}

const std::string& Message::verb() const { return text(0); }

const std::string& Message::text(size_t index) const {
  static const std::string kEmpty;
  return index < fields_.size() ? fields_[index] : kEmpty;
}

DWORD Message::number(size_t index) const {
  return static_cast<DWORD>(std::strtoul(text(index).c_str(), nullptr, 10));
}

uint64_t Message::bigNumber(size_t index) const {
  return std::strtoull(text(index).c_str(), nullptr, 10);
}

SERVICE_STATUS Message::status(size_t index) const {
  SERVICE_STATUS status;
  status.dwServiceType = number(index);
  status.dwCurrentState = number(index + 1);
  status.dwControlsAccepted = number(index + 2);
  status.dwWin32ExitCode = number(index + 3);
  status.dwServiceSpecificExitCode = number(index + 4);
  status.dwCheckPoint = number(index + 5);
  status.dwWaitHint = number(index + 6);
  return status;
}

std::vector<std::string> Message::list(size_t& index) const {
  const DWORD count = number(index++);
  std::vector<std::string> items;
  for (DWORD i = 0; i < count && index < fields_.size(); ++i) items.push_back(text(index++));
  return items;
}

std::string Message::encode() const {
  std::string body;
  for (const std::string& field : fields_) {
    appendLength(body, static_cast<uint32_t>(field.size()));
    body += field;
  }
  std::string frame;
  appendLength(frame, static_cast<uint32_t>(body.size()));
  return frame + body;
}

bool Message::decode(const std::string& bytes) {
  fields_.clear();
  size_t offset = 0;
  while (offset < bytes.size()) {
    uint32_t length = 0;
    if (!takeLength(bytes, offset, length) || bytes.size() - offset < length) return false;
    fields_.push_back(bytes.substr(offset, length));
    offset += length;
  }
  return !fields_.empty();
}

bool sendMessage(int fd, const Message& message) {
  const std::string frame = message.encode();
  size_t done = 0;
  while (done < frame.size()) {
    const ssize_t n = host::retryOnEintr(
        [&] { return ::send(fd, frame.data() + done, frame.size() - done, MSG_NOSIGNAL); });
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool receiveMessage(int fd, Message& message) {
  uint32_t length = 0;
  if (!receiveExactly(fd, reinterpret_cast<char*>(&length), sizeof length)) return false;
  if (length > kMaxFrame) {
    errno = EPROTO;
    return false;
  }
  std::string body(length, '\0');
  if (!receiveExactly(fd, body.data(), length)) return false;
  if (message.decode(body)) return true;
  errno = EPROTO;
  return false;
}

std::vector<std::string> withVariable(std::vector<std::string> block, const std::string& name,
                                      const std::string& value) {
  const std::string prefix = name + "=";
  std::erase_if(block, [&](const std::string& entry) { return entry.starts_with(prefix); });
  block.push_back(prefix + value);
  return block;
}

void setSocketTimeouts(int fd, int receiveMs, int sendMs) {
  const timeval receive{receiveMs / 1000, (receiveMs % 1000) * 1000};
  const timeval send{sendMs / 1000, (sendMs % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &receive, sizeof receive);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send);
}

int connectSocket(const std::string& path) {
  sockaddr_un address;
  UniqueFd directory;
  if (!addressFor(path, address, directory)) return -1;
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return -1;
  const int result = host::retryOnEintr(
      [&] { return ::connect(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address); });
  return result == 0 ? fd.release() : -1;
}

int listenSocket(const std::string& path) {
  sockaddr_un address;
  UniqueFd directory;
  if (!addressFor(path, address, directory)) return -1;
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd.valid()) return -1;
  ::unlink(path.c_str());  // a socket file left by a manager that did not end cleanly
  if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return -1;
  if (::listen(fd.get(), 64) != 0) return -1;
  return fd.release();
}

}  // namespace nt::scm
