// setDatabaseKeys.
#include "database_keys.h"

#include <span>
#include <string>
#include <string_view>

#include "composed_value.h"
#include "forward_slashes.h"
#include "moxal_setup.h"
#include "property_edit.h"

namespace {

// Sets the key when the answer was given.
void setGiven(int id, const char* key, std::string_view value) {
  if (!value.empty()) setProperty(id, key, std::string(value).c_str());
}

// The field's text after toForwardSlashes, which changes the caller's field too.
template <size_t N>
std::string_view convertedField(char (&field)[N]) {
  const std::string_view text = fieldText(field);
  toForwardSlashes(std::span<char>(field, text.size()));
  return text;
}

void setSettingKeys(int id, const SetupDatabaseInfo& database) {
  setGiven(id, "moxal.database.DBSERVER", fieldText(database.server));
  setGiven(id, "moxal.database.DBNAME", fieldText(database.name));
  setGiven(id, "moxal.database.DBDISK", fieldText(database.disk));
  setGiven(id, "moxal.database.DBLOG", fieldText(database.log));
  if (database.size != 0) {
    setProperty(id, "moxal.database.DBSIZE", std::to_string(database.size).c_str());
  }
  setGiven(id, "moxal.database.DBOWNER", fieldText(database.owner));
  setGiven(id, "moxal.database.DBPASSWD", fieldText(database.ownerPassword));
  setGiven(id, "moxal.database.DBSYSADMIN", fieldText(database.sysadmin));
  setGiven(id, "moxal.database.DBSYSADMINPASSWD", fieldText(database.sysadminPassword));
  setGiven(id, "moxal.database.DBHOST", fieldText(database.host));
}

void setSybaseKeys(int id, SetupDatabaseInfo& database) {
  const std::string home(convertedField(database.home));
  if (!home.empty()) {
    setProperty(id, "moxal.setenv.SYBASEHOME", home.c_str());
    setProperty(id, "moxal.setenv.SYBASE", home.c_str());
    setComposedProperty(id, "moxal.setenv.SYBASE_LIBS", home + "/dll;" + home + "/lib");
  }
  setGiven(id, "moxal.setenv.SYBASE_SERVER", fieldText(database.host));
}

// An Oracle path setting: the answer when given, else its place under the Oracle home.
void setOraclePath(int id, const char* key, std::string_view answer, const std::string& home,
                   const char* underHome) {
  if (!answer.empty()) {
    setProperty(id, key, std::string(answer).c_str());
  } else if (!home.empty()) {
    setComposedProperty(id, key, home + underHome);
  }
}

void setOracleKeys(int id, SetupDatabaseInfo& database) {
  const std::string home(convertedField(database.home));
  setGiven(id, "moxal.setenv.ORACLE_HOME", home);
  setOraclePath(id, "moxal.setenv.ORA_NLS", convertedField(database.nls), home,
                "/ocommon/nls/admin/data");
  setGiven(id, "moxal.setenv.ORACLE_SID", fieldText(database.server));
  setOraclePath(id, "moxal.setenv.TNS_ADMIN", convertedField(database.tnsAdmin), home,
                "/network/admin");
}

}  // namespace

void setDatabaseKeys(int id, int databaseType, SetupDatabaseInfo& database) {
  static const char* const kTypeNames[] = {nullptr, "Sybase", "Oracle", "JDBC"};
  if (databaseType < kDatabaseSybase || databaseType > kDatabaseJdbc) return;
  setProperty(id, "moxal.database.DBSERVERTYPE", kTypeNames[databaseType]);
  setSettingKeys(id, database);
  if (databaseType == kDatabaseJdbc) {
    setGiven(id, "moxal.database.JDBCURL", fieldText(database.jdbcUrl));
    setGiven(id, "moxal.database.JDBCDRIVER", fieldText(database.jdbcDriver));
  } else if (databaseType == kDatabaseSybase) {
    setSybaseKeys(id, database);
  } else {
    setOracleKeys(id, database);
  }
}
