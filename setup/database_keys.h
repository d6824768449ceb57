// The keys that constProp sets for the chosen database: its type and settings, and the
// variables of the database client (Sybase or Oracle).
#pragma once

#include "database_info.h"

// Nothing for database type 0. Otherwise sets moxal.database.DBSERVERTYPE, each database
// setting that was given, the JDBC URL and driver for JDBC, and the client's variables for
// Sybase and Oracle, in this order. The client's home, NLS and TNS administration fields are
// changed in place to forward slashes.
void setDatabaseKeys(int id, int databaseType, SetupDatabaseInfo& database);
