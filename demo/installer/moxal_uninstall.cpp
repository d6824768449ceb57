// moxal_uninstall: a stand-in for the product's uninstaller. It loads moxal_uninst.dll as the
// uninstaller does and calls UninstInitialize, then UninstUnInitialize.
#include <cstdio>
#include <string>

#include "common/loaded_module.h"
#include "stand_in_command_line.h"
#include "uninstall/moxal_uninst.h"

namespace {

void printHelp() {
  std::printf(
      "Usage: moxal_uninstall [--library NAME]\n"
      "Loads moxal_uninst.dll (or NAME) and calls UninstInitialize, which stops and deletes\n"
      "the NT services MOXALAgent and MOXALServer when HKLM\\Software\\TARQ\\MOXAL\\1.0 names\n"
      "an installation directory (DestDir), then UninstUnInitialize.\n"
      "Exit status: 0 both were called and returned 0, 1 one returned another value,\n"
      "2 wrong command line, 3 the library or an export was not found.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (helpAsked(argc, argv)) {
    printHelp();
    return 0;
  }
  std::string name = "moxal_uninst.dll";
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--library" && i + 1 < argc) {
      name = argv[++i];
      continue;
    }
    std::fprintf(stderr, "moxal_uninstall: unexpected argument %s (see --help)\n",
                 argument.c_str());
    return kUsageError;
  }
  const LoadedModule library(name.c_str());
  if (!library) {
    std::fprintf(stderr, "moxal_uninstall: cannot load %s (error %u)\n", name.c_str(),
                 static_cast<unsigned>(GetLastError()));
    return kLibraryError;
  }
  const auto initialize = library.bind<UninstFunction>("UninstInitialize");
  const auto uninitialize = library.bind<UninstFunction>("UninstUnInitialize");
  if (!initialize || !uninitialize) {
    std::fprintf(stderr,
                 "moxal_uninstall: %s does not export UninstInitialize and UninstUnInitialize\n",
                 name.c_str());
    return kLibraryError;
  }
  const LONG initialized = initialize(/*window=*/nullptr, /*instance=*/nullptr, /*reserved=*/0);
  const LONG uninitialized = uninitialize(/*window=*/nullptr, /*instance=*/nullptr, /*reserved=*/0);
  return initialized == 0 && uninitialized == 0 ? 0 : 1;
}
