// parseOptions, matchOption and usage.
#include "options.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "install_home.h"
#include "product_key.h"
#include "message_table.h"
#include "platform/win32.h"

namespace {

struct CommandWord {
  const char* word;
  uint32_t bit;
};
constexpr CommandWord kCommandWords[] = {
    {"startagent", ACT_START_AGENT},
    {"stopagent", ACT_STOP_AGENT},
    {"startserver", ACT_START_SERVER},
    {"stopserver", ACT_STOP_SERVER},
};

bool both(uint32_t actions, uint32_t a, uint32_t b) { return (actions & a) && (actions & b); }

// The value of an option: the next argument, which must exist and not be empty.
const char* optionValue(int argc, char** argv, int& index) {
  if (index + 1 >= argc || argv[index + 1][0] == '\0') usage(argv[0]);
  return argv[++index];
}

}  // namespace

bool matchOption(const char* argument, const char* word) {
  if (argument[0] != '-' && argument[0] != '/') return false;
  return _stricmp(argument + 1, word) == 0;
}

void usage(const char* programName) {
  std::printf(messageText(kUsageLine), programName);
  std::fflush(stdout);
  std::exit(1);
}

int32_t parseDiagLevel(const char* value) {
  const int base = _strnicmp(value, "0x", 2) == 0 ? 16 : 10;
  // strtol of a 32-bit platform: out-of-range values stop at the 32-bit limits.
  const long long parsed = std::strtoll(value, nullptr, base);
  if (parsed > INT32_MAX) return INT32_MAX;
  if (parsed < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(parsed);
}

void parseOptions(int argc, char** argv, SupervisorSettings& result) {
  const char* programName = argv[0];
  result.propertyFilePath = findDefaultPropertyFile(programName);
  result.diagFilePath = findDefaultDiagFile(programName);
  result.diagLevel = readDiagLevel();

  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (matchOption(argument, "install")) {
      result.actions |= ACT_INSTALL;
    } else if (matchOption(argument, "uninstall")) {
      result.actions |= ACT_UNINSTALL;
    } else if (matchOption(argument, "configfile")) {
      result.propertyFilePath = optionValue(argc, argv, i);
    } else if (matchOption(argument, "diaglevel")) {
      result.diagLevel = parseDiagLevel(optionValue(argc, argv, i));
    } else if (matchOption(argument, "diagfile")) {
      result.diagFilePath = optionValue(argc, argv, i);
    } else {
      uint32_t bit = 0;
      for (const CommandWord& command : kCommandWords) {
        if (_stricmp(argument, command.word) == 0) bit = command.bit;
      }
      if (!bit) usage(programName);
      result.actions |= bit;
    }
  }
  const uint32_t actions = result.actions;
  if (both(actions, ACT_START_AGENT, ACT_STOP_AGENT) ||
      both(actions, ACT_START_SERVER, ACT_STOP_SERVER) ||
      both(actions, ACT_INSTALL, ACT_UNINSTALL)) {
    usage(programName);
  }
}
