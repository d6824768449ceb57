// Starting one command as a child process, by CreateProcessA or by the C runtime's spawn as
// the launch mode says.
#pragma once

#include <string>

#include "service.h"

struct LaunchResult {
  bool started = false;
  PROCESS_INFORMATION process{};  // hProcess only, in spawn mode
  int spawnErrno = 0;             // errno after a failed spawn
};

// CreateProcessA with the program path as application name and the command line, a new
// console and process group, high priority and no standard handles.
LaunchResult launchByCreateProcess(const ArgumentVector& command, const std::string& commandLine);

// _spawnv without waiting, with the whole argument vector (the program path quoted when it
// holds a blank or a tab, so that the child receives it as one argument).
LaunchResult launchBySpawn(const ArgumentVector& command);

// Quotes a program path that holds a blank or a tab.
std::string quotedProgramPath(const std::string& path);
