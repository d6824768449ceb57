// ntrc: the resource compiler. Compiles a resource script (a subset of the Windows .rc
// language: #include, #define, #if/#ifdef, LANGUAGE, STRINGTABLE, DIALOG and DIALOGEX)
// into a C++ source that defines the module's resource directory (platform/resources.h).
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "ntrc_constants.h"
#include "ntrc_output.h"
#include "ntrc_preprocessor.h"
#include "ntrc_script.h"

namespace {

const char kUsage[] =
    "Usage: ntrc SCRIPT.rc OUTPUT.cpp\n"
    "Compiles the resource script into a C++ source that defines the module's resource\n"
    "directory (ntResourceDirectory, see platform/resources.h).\n";

// Writes the whole output or nothing: a failed run leaves no half-written source.
bool writeAtomically(const std::string& path, const std::string& content) {
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) return false;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  return !error;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string script = argv[1];
  const std::string output = argv[2];
  std::string source;
  try {
    ntrc::Preprocessor preprocessor(ntrc::predefinedConstants());
    const std::vector<ntrc::Token> tokens = preprocessor.run(script);
    source = ntrc::generateSource(ntrc::ScriptReader(tokens).read(), script);
  } catch (const ntrc::ScriptError& error) {
    std::fprintf(stderr, "ntrc: %s\n", error.what());
    return 1;
  }
  if (!writeAtomically(output, source)) {
    std::fprintf(stderr, "ntrc: cannot write '%s'\n", output.c_str());
    return 1;
  }
  return 0;
}
