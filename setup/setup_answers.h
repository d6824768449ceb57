// The answers that constProp receives from the installer, their checks, and the Java home
// derived from the Java program's path.
#pragma once

#include <string>

#include "database_info.h"

struct SetupAnswers {
  int serverMode = 0;  // 0: agent only; 1: agent and server
  const char* installationDirectory = nullptr;
  const char* javaProgram = nullptr;  // may be none or empty
  int agentPort = 0;
  int classServerPort = 0;
  int eventPort = 0;
  int objectServerPort = 0;
  const char* serverHost = nullptr;
  int databaseType = 0;  // SetupDatabaseType
  SetupDatabaseInfo* database = nullptr;
};

// True when the answers pass constProp's checks: server mode 0 or 1, an installation
// directory, the agent, class server and object server ports not 0, the event port not 0 in
// server mode 1, a server host, and a database type of 0 to 3 whose settings are given when
// the type is not 0.
bool answersAccepted(const SetupAnswers& answers);

// The Java program's path cut at its last backslash and, when another backslash remains, at
// that one too: C:\jdk\bin\java.exe gives C:\jdk. A path without a backslash stays whole; none
// gives an empty home.
std::string javaHomeOf(const char* javaProgram);
