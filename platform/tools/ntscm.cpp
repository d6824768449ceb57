// ntscm: the service control manager of a machine root. The first OpenSCManagerA of a
// machine root starts it; it runs until SIGTERM.
#include <cstdio>
#include <cstring>

#include "platform/src/scm_server.h"

namespace {

const char kUsage[] =
    "Usage: ntscm\n"
    "Runs the service control manager of the machine root ($NT_ROOT) until SIGTERM, SIGINT\n"
    "or SIGHUP. The first OpenSCManagerA of a machine root starts it on its own, detached;\n"
    "a second manager of the same machine root ends at once.\n"
    "  NT_SCM_PIPE_TIMEOUT  milliseconds a service process has to connect its dispatcher\n"
    "                       (default 30000); a control may take twice as long\n"
    "  --help               this text\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) {
    const bool help = std::strcmp(argv[1], "--help") == 0;
    std::fputs(kUsage, help ? stdout : stderr);
    return help ? 0 : 1;
  }
  return nt::scm::runManager();
}
