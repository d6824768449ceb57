// The exports of moxal_setup.dll and its entry point. They are defined here, in the library's
// own objects, because the code they call comes from static libraries whose symbols the
// library keeps hidden (each module keeps its own property-set registry).
#include "common/property_trace.h"
#include "const_prop.h"
#include "moxal_setup.h"

namespace {

// There is no DllMain on this host: the library's entry point is this constructor, run when
// the library is loaded. Like the entry point it stands for, it does none of the installation's
// work and cannot fail. It only silences this module's copy of the shared property code,
// since the setup library writes no property trace lines.
__attribute__((constructor)) void libraryEntry() { setPropertyTracing(false); }

}  // namespace

int WINAPI constProp(int serverMode, const char* installationDirectory, const char* javaProgram,
                     int agentPort, int classServerPort, int eventPort, int objectServerPort,
                     const char* serverHost, int databaseType, SetupDatabaseInfo* database) {
  SetupAnswers answers;
  answers.serverMode = serverMode;
  answers.installationDirectory = installationDirectory;
  answers.javaProgram = javaProgram;
  answers.agentPort = agentPort;
  answers.classServerPort = classServerPort;
  answers.eventPort = eventPort;
  answers.objectServerPort = objectServerPort;
  answers.serverHost = serverHost;
  answers.databaseType = databaseType;
  answers.database = database;
  runConstProp(answers);
  return 0;
}
