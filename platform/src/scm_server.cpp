// ntscm's process: one manager per machine root (the one that holds the lock on ntscm.pid),
// its socket, a thread per connection, and a clean stop on SIGTERM (see scm_server.h).
#include "scm_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <set>
#include <thread>

#include "host_calls.h"
#include "scm_log.h"
#include "scm_manager.h"

namespace nt::scm {
namespace {

// A client has this long to send its request, and to take the reply.
constexpr int kRequestTimeoutMs = 10000;
constexpr auto kThreadsEndTimeout = std::chrono::seconds(5);
// A manager on its way out holds the lock until its services have stopped.
constexpr auto kLockWait = std::chrono::seconds(20);
constexpr auto kLockPoll = std::chrono::milliseconds(50);
constexpr long kDefaultPipeTimeoutMs = 30000;

// NT_SCM_PIPE_TIMEOUT (milliseconds) stands for the registry's ServicesPipeTimeout.
std::chrono::milliseconds pipeTimeout() {
  const char* configured = ::getenv("NT_SCM_PIPE_TIMEOUT");
  const long ms = configured ? std::strtol(configured, nullptr, 10) : 0;
  return std::chrono::milliseconds(ms > 0 ? ms : kDefaultPipeTimeoutMs);
}

// The client connections being served, so that the manager's stop can cut idle ones short.
class OpenConnections {
 public:
  void add(int fd) {
    std::lock_guard<std::mutex> guard(lock_);
    fds_.insert(fd);
  }
  void remove(int fd) {
    std::lock_guard<std::mutex> guard(lock_);
    fds_.erase(fd);
  }
  void cutAll() {
    std::lock_guard<std::mutex> guard(lock_);
    for (int fd : fds_) ::shutdown(fd, SHUT_RDWR);
  }

 private:
  std::mutex lock_;
  std::set<int> fds_;
};

class Served {
 public:
  Served(OpenConnections& open, int fd) : open_(open), fd_(fd) { open_.add(fd_); }
  ~Served() { open_.remove(fd_); }
  Served(const Served&) = delete;
  Served& operator=(const Served&) = delete;

 private:
  OpenConnections& open_;
  int fd_;
};

void serveConnection(Manager& manager, OpenConnections& open, UniqueFd connection) {
  setSocketTimeouts(connection.get(), kRequestTimeoutMs, kRequestTimeoutMs);
  Message request;
  {
    Served served(open, connection.get());
    if (!receiveMessage(connection.get(), request)) return;
    if (request.verb() != kHello) {
      sendMessage(connection.get(), manager.handleRequest(request));
      return;
    }
  }
  manager.serveDispatcher(std::move(connection), request);
}

bool sameFile(int fd, const std::string& path) {
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

enum class Claim { Taken, Served, Failed };

// Takes the lock on the pid file that makes this process the machine root's manager.
Claim claimMachineRoot(const std::string& pidPath, const std::string& socketPath,
                       UniqueFd& pidFile) {
  const auto deadline = std::chrono::steady_clock::now() + kLockWait;
  for (;;) {
    pidFile.reset(host::open(pidPath.c_str(), O_RDWR | O_CREAT, 0644));
    if (!pidFile.valid()) return Claim::Failed;
    if (::flock(pidFile.get(), LOCK_EX | LOCK_NB) == 0) {
      if (sameFile(pidFile.get(), pidPath)) return Claim::Taken;
      continue;  // the manager before removed the file as it went
    }
    if (errno != EWOULDBLOCK) return Claim::Failed;
    UniqueFd probe(connectSocket(socketPath));
    if (probe.valid() || std::chrono::steady_clock::now() >= deadline) return Claim::Served;
    std::this_thread::sleep_for(kLockPoll);
  }
}

void writePid(int fd) {
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) host::writeAll(fd, pid.data(), pid.size());
}

// SIGTERM, SIGINT and SIGHUP stop the manager; they arrive on the descriptor returned, blocked
// in every thread. The processes it starts get the default dispositions back.
UniqueFd stopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&signals, s);
  ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  return UniqueFd(::signalfd(-1, &signals, SFD_CLOEXEC));
}

void serveUntilStopped(int listener, int signals, Manager& manager, OpenConnections& open,
                       ThreadGroup& threads) {
  for (;;) {
    pollfd ready[2] = {{listener, POLLIN, 0}, {signals, POLLIN, 0}};
    if (::poll(ready, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (ready[1].revents) return;
    if (!(ready[0].revents & POLLIN)) continue;
    UniqueFd client(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
    if (!client.valid()) continue;
    threads.spawn([&manager, &open, client = std::move(client)]() mutable {
      serveConnection(manager, open, std::move(client));
    });
  }
}

}  // namespace

int runManager() {
  ::close_range(3, ~0U, 0);  // nothing the starter left open is held by the manager
  const std::string root = absoluteMachineRoot();
  const std::string socketPath = root + "/" + kSocketName;
  const std::string pidPath = root + "/" + kPidFileName;
  if (::chdir("/") != 0) return 1;
  UniqueFd pidFile;
  switch (claimMachineRoot(pidPath, socketPath, pidFile)) {
    case Claim::Served:
      logManagerEvent(root, "another manager serves this machine root");
      return 0;
    case Claim::Failed:
      logManagerEvent(root, std::string("cannot lock ") + pidPath + ": " + std::strerror(errno));
      return 1;
    case Claim::Taken:
      break;
  }
  writePid(pidFile.get());
  UniqueFd signals = stopSignals();
  ThreadGroup threads;
  OpenConnections open;
  Manager manager({root, socketPath, pipeTimeout()}, threads);
  manager.load();
  UniqueFd listener(listenSocket(socketPath));
  if (!listener.valid() || !signals.valid()) {
    logManagerEvent(root, "cannot listen on " + socketPath + ": " + std::strerror(errno));
    ::unlink(pidPath.c_str());
    return 1;
  }
  logManagerEvent(root, "manager started");
  serveUntilStopped(listener.get(), signals.get(), manager, open, threads);
  listener.reset();
  ::unlink(socketPath.c_str());
  logManagerEvent(root, "manager stopping");
  manager.shutdown();
  open.cutAll();
  const bool ended = threads.waitAll(kThreadsEndTimeout);
  ::unlink(pidPath.c_str());
  logManagerEvent(root, "manager stopped");
  if (!ended) std::_Exit(0);  // a thread still runs: leave without tearing down what it uses
  return 0;
}

}  // namespace nt::scm
