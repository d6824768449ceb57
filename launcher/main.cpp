// qelrun: one program installed under the twelve QEL tool command names. The name it is
// started under selects the Java tool class and its options; it runs java.exe from the search
// path, waits for it, and ends with its exit code.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "tool_table.h"

namespace {

constexpr const char* kJavaProgram = "java.exe";

// The program name after its last backslash.
std::string baseName(const char* programName) {
  const std::string name = programName ? programName : "";
  const size_t slash = name.find_last_of('\\');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
  const char* system = crt::getenv("QELSYSTEM");
  const char* server = crt::getenv("QELSERVER");
  const std::string command = baseName(argv[0]);
  const char* fixedPart = findToolCommand(command.c_str());
  if (!fixedPart) {
    std::fprintf(stderr, "Error commande : %s \n", argv[0]);
    return -1;
  }

  // java.exe, the fixed part as one element (the child splits it into its words), the
  // caller's arguments, then -system and -server as their variables are set.
  std::vector<const char*> arguments{kJavaProgram, fixedPart};
  for (int i = 1; i < argc; ++i) arguments.push_back(argv[i]);
  if (system) arguments.insert(arguments.end(), {"-system", system});
  if (server) arguments.insert(arguments.end(), {"-server", server});
  arguments.push_back(nullptr);

  const intptr_t status = _spawnvp(_P_WAIT, kJavaProgram, arguments.data());
  if (status == -1) {
    std::fprintf(stderr, "Could not find \"%s\"\n", kJavaProgram);
    return 1;
  }
  return static_cast<int>(status);
}
