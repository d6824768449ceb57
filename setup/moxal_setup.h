// The exports of moxal_setup.dll, as the product's installer binds them: by name, with
// GetProcAddress, cast to the function types below.
#pragma once

#include "common/module_export.h"
#include "platform/win32.h"
#include "setup/database_info.h"

// Database types of constProp.
enum SetupDatabaseType {
  kDatabaseNone = 0,
  kDatabaseSybase = 1,
  kDatabaseOracle = 2,
  kDatabaseJdbc = 3
};

// Brings the installed property file "<installationDirectory>\classes\properties" up to date
// with the installer's answers, writes it back, and installs the NT services (the agent with
// server mode 0, the agent and the server with 1). The database settings are read only for a
// database type other than none; their home, NLS and TNS administration fields are changed in
// place to forward slashes. Arguments that fail the checks change nothing. Always 0.
NT_EXPORT int WINAPI constProp(int serverMode, const char* installationDirectory,
                               const char* javaProgram, int agentPort, int classServerPort,
                               int eventPort, int objectServerPort, const char* serverHost,
                               int databaseType, SetupDatabaseInfo* database);

using ConstPropFunction = decltype(&constProp);
