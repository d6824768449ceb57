// servicesLevel, buildServiceList, constructServiceListEngine and findService.
#include "service_list.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "common/diag.h"
#include "common/property_sets.h"
#include "expand_vars.h"
#include "property_switch.h"
#include "service_control.h"
#include "settings.h"

namespace {

std::string expanded(const char* text) { return expandVars(text).value_or(std::string()); }

// Puts a text holding a blank or a tab between double quotes.
std::string quotedIfBlank(std::string text) {
  if (text.find_first_of(" \t") == std::string::npos) return text;
  return "\"" + text + "\"";
}

ArgumentVector buildCommand(const char* className, int propertySetId) {
  ArgumentVector command;
  command.push_back(expanded("${JAVA_HOME}/bin/${JAVAPROG}"));
  if (propertySwitchOn(propertySetId, "moxal.ntservice.javaverbose")) command.push_back("-verbose");
  if (propertySwitchOn(propertySetId, "moxal.ntservice.showclasspath")) {
    command.push_back("-classpath");
    command.push_back(quotedIfBlank(expanded("${CLASSPATH}")));
  }
  command.push_back(quotedIfBlank(expanded("-DMOXAL_PROPERTIES=${MOXAL_PROPERTIES}")));
  command.push_back(expanded(className));
  return command;
}

// Builds one command per class, with the trace of each as built.
std::vector<ArgumentVector> buildCommands(const char* const* classes, int count,
                                          const char* traceFormat, int propertySetId) {
  std::vector<ArgumentVector> commands;
  for (int i = 0; i < count; ++i) {
    commands.push_back(buildCommand(classes[i], propertySetId));
    diagPrint(traceFormat, i);
    for (const std::string& argument : commands.back()) diagPrint("%s ", argument.c_str());
    diagPrint("-\n");
  }
  return commands;
}

void appendService(const char* name, const char* displayName, const char* const* startClasses,
                   int startCount, LPSERVICE_MAIN_FUNCTIONA serviceMain,
                   LPHANDLER_FUNCTION controlHandler, int propertySetId) {
  std::unique_ptr<Service> service = constructServiceListEngine(
      name, displayName, startClasses, startCount, nullptr, 0, serviceMain, controlHandler,
      propertySetId);
  if (service) settings.services.push_back(std::move(service));
}

}  // namespace

int servicesLevel(int propertySetId) {
  const char* value = getProperty(propertySetId, "moxal.services");
  if (!value || !*value) return 0;
  std::string tokens(value);
  int level = 0;
  for (char* token = std::strtok(tokens.data(), " \t,:;"); token;
       token = std::strtok(nullptr, " \t,:;")) {
    if (std::strcmp(token, kAgentClass) == 0) level = 1;
    for (const char* serverClass : kServerClasses) {
      if (std::strcmp(token, serverClass) == 0) level = 2;
    }
  }
  return level;
}

void buildServiceList(int propertySetId, int level) {
  if (level >= 1) {
    appendService(kAgentName, "MOXALAgent 1.0", &kAgentClass, 1, runAgent, ctrlAgent,
                  propertySetId);
  }
  if (level == 2) {
    appendService(kServerName, "MOXALServer 1.0", kServerClasses, 2, runServer, ctrlServer,
                  propertySetId);
  }
}

std::unique_ptr<Service> constructServiceListEngine(const char* name, const char* displayName,
                                    const char* const* startClasses, int startCount,
                                    const char* const* stopClasses, int stopCount,
                                    LPSERVICE_MAIN_FUNCTIONA serviceMain,
                                    LPHANDLER_FUNCTION controlHandler, int propertySetId) {
  std::unique_ptr<Service> service(new (std::nothrow) Service());
  if (!service) {
    diagError("constructServiceListEngine: alloc Service failed\n");
    return nullptr;
  }
  service->name = name;
  service->displayName = displayName;
  diagPrint("constructServiceListEngine: svc cmds %d\n", startCount);
  service->startCommands = buildCommands(startClasses, startCount,
                                         "constructServiceListEngine: svc cmd %d -", propertySetId);
  if (!service->startCommands.empty()) {
    service->startArgumentCount = static_cast<int>(service->startCommands.front().size());
  }
  diagPrint("constructServiceListEngine: svc stopcmds %d\n", stopCount);
  service->stopCommands = buildCommands(stopClasses, stopCount,
                                        "constructServiceListEngine: svc stop cmd %d -",
                                        propertySetId);
  if (!service->stopCommands.empty()) {
    service->stopArgumentCount = static_cast<int>(service->stopCommands.front().size());
  }
  service->serviceMain = serviceMain;
  service->controlHandler = controlHandler;
  return service;
}

Service* findService(const char* name) {
  if (!name) return nullptr;
  for (const auto& service : settings.services) {
    if (service->name == name) return service.get();
  }
  return nullptr;
}

Service* findAgentService() { return findService(kAgentName); }
Service* findServerService() { return findService(kServerName); }
