// The keys that constProp sets on every installation: services, paths of the Java processes'
// environment, ports and the server host.
#pragma once

#include <string>

#include "setup_answers.h"

// Sets, in this order, moxal.services, moxal.services.status.file, moxal.setenv.PATH,
// moxal.setenv.CLASSPATH, moxal.setenv.LIB, moxal.setenv.JAVA_HOME, the four port keys and
// moxal.server.hostname. The Java home is that of javaHomeOf.
void setInstallationKeys(int id, const SetupAnswers& answers, std::string javaHome);
