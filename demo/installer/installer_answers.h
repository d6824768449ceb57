// The answers that the installer stand-in passes to constProp, taken from its command line and
// from answer files of key=value lines.
#pragma once

#include <optional>
#include <string>

#include "setup/moxal_setup.h"

struct InstallerAnswers {
  int serverMode = 0;
  std::optional<std::string> installationDirectory;
  std::optional<std::string> javaProgram;
  int agentPort = 0;
  int classServerPort = 0;
  int eventPort = 0;
  int objectServerPort = 0;
  std::optional<std::string> serverHost;
  int databaseType = kDatabaseNone;
  SetupDatabaseInfo database{};
  std::string library = "moxal_setup.dll";
};

// Sets one answer by its name (the long option without "--", or the answer file's key).
// Returns an empty text on success, else what is wrong with the name or the value.
std::string setAnswer(InstallerAnswers& answers, const std::string& name, const std::string& value);

// Reads an answer file: one name=value per line; blank lines and lines starting with "#" are
// skipped. Returns an empty text on success, else "<file>:<line>: <what is wrong>".
std::string readAnswerFile(InstallerAnswers& answers, const std::string& path);
