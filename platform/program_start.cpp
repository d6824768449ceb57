// Linked into every program of the system: before main runs, argument 0 becomes the name the
// program was started under in Windows form (backslashes), as a Windows program receives it.
// The other arguments pass unchanged.
#include <cstdlib>
#include <cstring>

namespace {

char* argumentZero = nullptr;  // the converted name, kept for the life of the process

void windowsFormArgumentZero(int argc, char** argv, char** /*envp*/) {
  if (argc < 1 || !argv || !argv[0]) return;
  char* converted = ::strdup(argv[0]);
  if (!converted) return;
  for (char* c = converted; *c; ++c) {
    if (*c == '/') *c = '\\';
  }
  argumentZero = converted;
  argv[0] = argumentZero;
}

// glibc calls .init_array functions with (argc, argv, envp).
__attribute__((section(".init_array"), used)) void (*const windowsFormArgumentZeroHook)(
    int, char**, char**) = windowsFormArgumentZero;

}  // namespace
