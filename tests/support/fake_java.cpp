// A stand-in for a Java program in tests: it records what it was started with (argument
// vector, environment, working directory, standard handles, process group and session) and
// then behaves as the test asks through its environment:
//   FAKEJAVA_RECORD  file to write the record to ("%p" is replaced by the process id)
//   FAKEJAVA_EXIT    exit code (default 0)
//   FAKEJAVA_SLEEP   milliseconds to live before exiting, or "forever" (until killed)
// The record is written to a temporary name and renamed, so a reader never sees half of it.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace {

std::string fdTarget(int fd) {
  char target[512];
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
  if (n <= 0) return "closed";
  return std::string(target, static_cast<size_t>(n));
}

std::string recordPath() {
  const char* configured = ::getenv("FAKEJAVA_RECORD");
  if (!configured || !*configured) return {};
  std::string path = configured;
  const size_t at = path.find("%p");
  if (at != std::string::npos) path.replace(at, 2, std::to_string(::getpid()));
  return path;
}

void writeRecord(int argc, char** argv) {
  const std::string path = recordPath();
  if (path.empty()) return;
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << "pid=" << ::getpid() << "\n";
    out << "pgid=" << ::getpgid(0) << "\n";
    out << "sid=" << ::getsid(0) << "\n";
    out << "ppid=" << ::getppid() << "\n";
    char cwd[4096];
    out << "cwd=" << (::getcwd(cwd, sizeof cwd) ? cwd : "?") << "\n";
    for (int fd = 0; fd < 3; ++fd) out << "fd" << fd << "=" << fdTarget(fd) << "\n";
    out << "argc=" << argc << "\n";
    for (int i = 0; i < argc; ++i) out << "argv=" << argv[i] << "\n";
    for (char** e = environ; *e; ++e) out << "env=" << *e << "\n";
  }
  std::rename(temporary.c_str(), path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  writeRecord(argc, argv);
  const char* sleep = ::getenv("FAKEJAVA_SLEEP");
  if (sleep && std::string(sleep) == "forever") {
    for (;;) ::pause();
  }
  if (sleep) std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(sleep)));
  const char* code = ::getenv("FAKEJAVA_EXIT");
  return code ? std::atoi(code) : 0;
}
