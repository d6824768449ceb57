// moxalsvc: the process of the MOXALAgent and MOXALServer services, their installer and their
// standalone runner. The start-up sequence is the same for all three callers.
#include <cstdlib>

#include "common/diag.h"
#include "common/property_file.h"
#include "common/property_sets.h"
#include "env_table.h"
#include "environment_build.h"
#include "message_table.h"
#include "options.h"
#include "property_switch.h"
#include "run_engine.h"
#include "service_control.h"
#include "service_list.h"
#include "settings.h"

namespace {

LPSTR serviceArguments[2];

// Runs a service's processes in the foreground, as its service main does under the manager.
void runStandalone(LPSERVICE_MAIN_FUNCTIONA serviceMain, const char* name) {
  static char standalone[] = "standalone";
  std::string serviceName = name;
  serviceArguments[0] = serviceName.data();
  serviceArguments[1] = standalone;
  serviceMain(2, serviceArguments);
}

// The standalone words, in this fixed order whatever their order on the command line.
void runStandaloneCommands(uint32_t actions) {
  if (actions & ACT_START_AGENT) runStandalone(runAgent, kAgentName);
  diagPrint("main: done registerServices1\n");
  if (actions & ACT_STOP_AGENT) stopSvc(findService(kAgentName));
  diagPrint("main: done registerServices2\n");
  if (actions & ACT_START_SERVER) runStandalone(runServer, kServerName);
  diagPrint("main: done registerServices3\n");
  if (actions & ACT_STOP_SERVER) stopSvc(findService(kServerName));
  diagPrint("main: done registerServices4\n");
}

void dispatch(uint32_t actions) {
  if (actions & ACT_INSTALL) {
    installService(settings.services);
  } else if (actions & ACT_UNINSTALL) {
    uninstallService(settings.services);
  } else {
    diagPrint("main: registerServices\n");
    registerServices(settings.services);
    diagPrint("main: done registerServices\n");
    runStandaloneCommands(actions);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* programName = argv[0];
  HMODULE messageLibrary = loadMessageLibrary();
  loadMessageTable(messageLibrary);

  settings.diagLevel = 0;
  settings.propertyFilePath.reset();
  parseOptions(argc, argv, settings);
  diagOpen(cstrOrNull(settings.diagFilePath), settings.diagLevel);
  diagPrint("main: existence check\n");

  settings.propertySetId = loadProperties(cstrOrNull(settings.propertyFilePath));
  if (settings.propertySetId < 1) {
    diagFatal("%s: cannot open/read property file %s\n", programName,
              settings.propertyFilePath ? settings.propertyFilePath->c_str() : "(null)");
  }
  collectSetenv(settings.propertySetId);
  setHomes(programName, settings.propertyFilePath);
  buildEnvironment();
  buildServiceList(settings.propertySetId, servicesLevel(settings.propertySetId));
  applyEnvironment();
  settings.launchWithCreateProcess =
      propertySwitchOn(settings.propertySetId, "moxal.ntservice.usecreateprocess");

  dispatch(settings.actions);

  diagClose();
  if (messageLibrary) FreeLibrary(messageLibrary);
  return 0;
}
