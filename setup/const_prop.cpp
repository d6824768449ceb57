// runConstProp: load "<home>\classes\properties", set the keys, write the file back, unload
// it, install the services.
#include "const_prop.h"

#include <string>

#include "common/diag.h"
#include "common/property_sets.h"
#include "database_keys.h"
#include "installation_keys.h"
#include "property_edit.h"
#include "property_reader.h"
#include "property_writer.h"
#include "service_install.h"

void runConstProp(const SetupAnswers& answers) {
  diagOpen(/*path=*/nullptr, /*level=*/1);
  if (!answersAccepted(answers)) return;
  const std::string propertyFile =
      std::string(answers.installationDirectory) + "\\classes\\properties";
  // With no set (id 0) every edit and the write below do nothing.
  const int id = setup::loadProperties(propertyFile.c_str());
  setInstallationKeys(id, answers, javaHomeOf(answers.javaProgram));
  if (answers.database) setDatabaseKeys(id, answers.databaseType, *answers.database);
  setProperty(id, "moxal.ntservice.javaverbose", "1");
  writeProperties(id, propertyFile.c_str());
  unloadProperties(id);
  installService(answers.installationDirectory, answers.serverMode + 1);
}
