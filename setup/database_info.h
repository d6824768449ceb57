// SetupDatabaseInfo: the database answers that the installer passes to constProp, a block of
// fixed-size ANSI text fields and one integer at fixed byte offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct SetupDatabaseInfo {
  char server[256];  // database server; for Oracle also the Oracle SID
  char name[256];    // database name
  char owner[256];   // database owner
  char ownerPassword[256];
  char disk[256];      // disk device name
  char log[256];       // log device name
  char sysadmin[256];  // system administrator user name
  char sysadminPassword[256];
  int32_t size;        // database size in MB; 0: not given
  char home[256];      // installation directory of the database client
  char nls[256];       // Oracle NLS path
  char tnsAdmin[256];  // Oracle TNS administration path
  char jdbcUrl[512];
  char jdbcDriver[256];  // JDBC driver class name
  char host[256];        // host of the database server; for Sybase also the Sybase server
};

static_assert(offsetof(SetupDatabaseInfo, server) == 0);
static_assert(offsetof(SetupDatabaseInfo, name) == 256);
static_assert(offsetof(SetupDatabaseInfo, owner) == 512);
static_assert(offsetof(SetupDatabaseInfo, ownerPassword) == 768);
static_assert(offsetof(SetupDatabaseInfo, disk) == 1024);
static_assert(offsetof(SetupDatabaseInfo, log) == 1280);
static_assert(offsetof(SetupDatabaseInfo, sysadmin) == 1536);
static_assert(offsetof(SetupDatabaseInfo, sysadminPassword) == 1792);
static_assert(offsetof(SetupDatabaseInfo, size) == 2048);
static_assert(offsetof(SetupDatabaseInfo, home) == 2052);
static_assert(offsetof(SetupDatabaseInfo, nls) == 2308);
static_assert(offsetof(SetupDatabaseInfo, tnsAdmin) == 2564);
static_assert(offsetof(SetupDatabaseInfo, jdbcUrl) == 2820);
static_assert(offsetof(SetupDatabaseInfo, jdbcDriver) == 3332);
static_assert(offsetof(SetupDatabaseInfo, host) == 3588);
static_assert(sizeof(SetupDatabaseInfo) == 3844);

// The text of a field: up to its first NUL, and never past the field even when the caller left
// no NUL in it. Empty means the answer was not given.
template <size_t N>
std::string_view fieldText(const char (&field)[N]) {
  size_t length = 0;
  while (length < N && field[length] != '\0') ++length;
  return std::string_view(field, length);
}
