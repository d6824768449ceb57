// WaitForSingleObject and WaitForMultipleObjects over processes and their threads.
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "../process.h"
#include "../winbase.h"
#include "../winerror.h"
#include "host_error.h"
#include "waitable.h"

namespace {

using Clock = std::chrono::steady_clock;

// The index of the first signaled object, every object for waitAll, or -1.
int readyIndex(const std::vector<std::shared_ptr<nt::Waitable>>& objects, bool waitAll) {
  bool all = true;
  for (size_t i = 0; i < objects.size(); ++i) {
    const bool signaled = objects[i]->signaled();
    if (signaled && !waitAll) return static_cast<int>(i);
    all = all && signaled;
  }
  return waitAll && all ? 0 : -1;
}

// Blocks until one of the unsignaled objects may have changed, or the time is up.
void pollUnsignaled(const std::vector<std::shared_ptr<nt::Waitable>>& objects, int timeoutMs) {
  std::vector<pollfd> fds;
  for (const auto& object : objects) {
    if (!object->signaled()) fds.push_back(pollfd{object->pollFd(), POLLIN, 0});
  }
  if (::poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) {
    ::poll(nullptr, 0, 10);  // an unexpected poll failure must not spin
  }
}

}  // namespace

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                             DWORD milliseconds) {
  nt::PreserveErrno keepErrno;
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
    return nt::fail(ERROR_INVALID_PARAMETER, WAIT_FAILED);
  }
  std::vector<std::shared_ptr<nt::Waitable>> objects;
  for (DWORD i = 0; i < count; ++i) {
    auto object = nt::lookupHandleAs<nt::Waitable>(handles[i]);
    if (!object) return nt::fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
    objects.push_back(std::move(object));
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    const int ready = readyIndex(objects, waitAll);
    if (ready >= 0) return WAIT_OBJECT_0 + static_cast<DWORD>(ready);
    int timeoutMs = -1;
    if (milliseconds != INFINITE) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return WAIT_TIMEOUT;
      timeoutMs = static_cast<int>(left);
    }
    pollUnsignaled(objects, timeoutMs);
  }
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}
