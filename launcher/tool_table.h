// The QEL tools the launcher starts: each command name maps to the fixed part of its Java
// command line (heap option, class and the tool's options, separated by blanks).
#pragma once

struct ToolCommand {
  const char* name;
  const char* fixedPart;
};

// The twelve command names, in look-up order.
extern const ToolCommand kToolCommands[12];

// The fixed part for a base name, compared whole and with case; none when the name is not a
// command name (a suffix such as ".exe" makes it none).
const char* findToolCommand(const char* baseName);
