// moxal_install: a stand-in for the product's installer. It loads moxal_setup.dll as the
// installer does and calls constProp with the answers given on its command line and in answer
// files, as the installer passes what the user typed into its dialogs.
#include <cstdio>
#include <string>

#include "common/loaded_module.h"
#include "installer_answers.h"
#include "stand_in_command_line.h"

namespace {

void printHelp() {
  std::printf(
      "Usage: moxal_install [--answers FILE] [--NAME VALUE | --NAME=VALUE ...]\n"
      "Loads moxal_setup.dll and calls constProp with the answers, which writes\n"
      "<home>\\classes\\properties and installs the NT services MOXALAgent (and MOXALServer).\n"
      "Answers (an answer file holds NAME=VALUE lines; later answers replace earlier ones):\n"
      "  mode          0: agent only, 1: agent and server\n"
      "  home          installation directory, without trailing backslash (C:\\MOXAL)\n"
      "  java          full path of the Java program (C:\\jdk\\bin\\java.exe)\n"
      "  agent-port, class-port, event-port, object-port\n"
      "                ports of the agent, class server, event dispatcher, object server\n"
      "  host          host name of the management server\n"
      "  db            none, sybase, oracle or jdbc (or 0 to 3)\n"
      "  db-server, db-name, db-owner, db-password, db-disk, db-log, db-sysadmin,\n"
      "  db-sysadmin-password, db-size, db-home, db-nls, db-tns-admin, db-url, db-driver,\n"
      "  db-host     the database settings\n"
      "  library       the library to load (default moxal_setup.dll)\n"
      "Answers left out are passed as 0 or none; constProp ignores answers that fail its\n"
      "checks. Exit status: 0 constProp was called, 1 the library ended the installation,\n"
      "2 wrong command line or answer file, 3 the library or its export was not found.\n");
}

// One "--name value", "--name=value" or "--answers file" at argv[i]; moves i past it.
std::string takeOption(int argc, char** argv, int& i, InstallerAnswers& answers) {
  std::string name = argv[i];
  if (name.rfind("--", 0) != 0) return "unexpected argument " + name;
  name.erase(0, 2);
  std::string value;
  if (const size_t equals = name.find('='); equals != std::string::npos) {
    value = name.substr(equals + 1);
    name.resize(equals);
  } else if (i + 1 < argc) {
    value = argv[++i];
  } else {
    return "--" + name + " needs a value";
  }
  if (name == "answers") return readAnswerFile(answers, value);
  return setAnswer(answers, name, value);
}

const char* textOrNone(const std::optional<std::string>& text) {
  return text ? text->c_str() : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (helpAsked(argc, argv)) {
    printHelp();
    return 0;
  }
  InstallerAnswers answers;
  for (int i = 1; i < argc; ++i) {
    const std::string problem = takeOption(argc, argv, i, answers);
    if (!problem.empty()) {
      std::fprintf(stderr, "moxal_install: %s (see --help)\n", problem.c_str());
      return kUsageError;
    }
  }
  const LoadedModule library(answers.library.c_str());
  if (!library) {
    std::fprintf(stderr, "moxal_install: cannot load %s (error %u)\n", answers.library.c_str(),
                 static_cast<unsigned>(GetLastError()));
    return kLibraryError;
  }
  const auto constProp = library.bind<ConstPropFunction>("constProp");
  if (!constProp) {
    std::fprintf(stderr, "moxal_install: %s does not export constProp\n", answers.library.c_str());
    return kLibraryError;
  }
  std::fflush(stdout);  // the library's lines follow ours on the same output
  constProp(answers.serverMode, textOrNone(answers.installationDirectory),
            textOrNone(answers.javaProgram), answers.agentPort, answers.classServerPort,
            answers.eventPort, answers.objectServerPort, textOrNone(answers.serverHost),
            answers.databaseType, &answers.database);
  return 0;
}
