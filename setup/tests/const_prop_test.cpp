// constProp through the loaded library, as the installer calls it: the keys it writes for
// each database type and server mode, in the table's order for new keys and in their place for
// keys the file already had; the values of each answer; the checks that make it change
// nothing; the limit of composed values; and the supervisor reading the file back.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "installed_product.h"
#include "supervisor/tests/supervisor_fixture.h"

namespace {

// The answers of one call, with those of a full installation as defaults.
struct Answers {
  int serverMode = 1;
  const char* home = kProductHome;
  const char* java = kJavaProgram;
  int agentPort = 5561, classPort = 5562, eventPort = 5563, objectPort = 5564;
  const char* host = "mgmt";
  int databaseType = kDatabaseNone;
  SetupDatabaseInfo database{};
  bool withDatabase = true;  // false: no settings at all
};

template <size_t N>
void setField(char (&field)[N], const std::string& text) {
  std::snprintf(field, N, "%s", text.c_str());
}

// Every database setting given.
SetupDatabaseInfo fullSettings() {
  SetupDatabaseInfo db{};
  setField(db.server, "dbsrv");
  setField(db.name, "moxaldb");
  setField(db.owner, "owner");
  setField(db.ownerPassword, "secret");
  setField(db.disk, "diskdev");
  setField(db.log, "logdev");
  setField(db.sysadmin, "sa");
  setField(db.sysadminPassword, "sapw");
  db.size = 200;
  setField(db.home, "C:\\dbhome");
  setField(db.nls, "C:\\nls");
  setField(db.tnsAdmin, "C:\\tns");
  setField(db.jdbcUrl, "jdbc:x://dbhost/moxaldb");
  setField(db.jdbcDriver, "x.Driver");
  setField(db.host, "dbhost");
  return db;
}

using Lines = std::vector<std::string>;

std::string fileText(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

Lines linesOf(const std::string& text) {
  Lines lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// The value of the line that sets the key, or none.
std::optional<std::string> valueOf(const Lines& lines, const std::string& key) {
  for (const std::string& line : lines) {
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return std::nullopt;
}

const std::string kAgentClass = "tarq.admin.arm.agents.AgentObjFactoryImpl";
const std::string kAllClasses = kAgentClass +
                                " tarq.admin.arm.rmi.ManagedObjFactoryImpl"
                                " tarq.admin.arm.agents.NetClassServerImpl";

// The keys that every installation sets, in their order, for the default answers.
Lines installationLines(int serverMode, const std::string& databasePath) {
  return {
      "moxal.services=" + (serverMode == 1 ? kAllClasses : kAgentClass),
      "moxal.services.status.file=C:/temp/moxal.services.status",
      "moxal.setenv.PATH=C:/jdk/bin;C:/prod/bin;C:/prod/lib/tarq/WindowsNT/x86;" + databasePath +
          "C:/sys",
      "moxal.setenv.CLASSPATH=C:/prod/classes;C:/jdk/lib/classes.zip",
      "moxal.setenv.LIB=C:/prod/lib/tarq/WindowsNT/x86",
      "moxal.setenv.JAVA_HOME=C:/jdk",
      "moxal.port.tarq.admin.arm.agents.AgentObjFactoryImpl=5561",
      "moxal.port.tarq.admin.arm.agents.NetClassServerImpl=5562",
      "moxal.port.tarq.admin.arm.event.EventDispatcher=5563",
      "moxal.port.tarq.admin.arm.rmi.ManagedObjFactoryImpl=5564",
      "moxal.server.hostname=mgmt",
  };
}

// The settings' keys shared by the three database types, for fullSettings().
Lines settingLines(const std::string& type) {
  return {
      "moxal.database.DBSERVERTYPE=" + type, "moxal.database.DBSERVER=dbsrv",
      "moxal.database.DBNAME=moxaldb",       "moxal.database.DBDISK=diskdev",
      "moxal.database.DBLOG=logdev",         "moxal.database.DBSIZE=200",
      "moxal.database.DBOWNER=owner",        "moxal.database.DBPASSWD=secret",
      "moxal.database.DBSYSADMIN=sa",        "moxal.database.DBSYSADMINPASSWD=sapw",
      "moxal.database.DBHOST=dbhost",
  };
}

Lines joined(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct DatabaseCase {
  int type;
  const char* name;
  std::string pathEntries;  // the database client's entries of the PATH value
  Lines lines;              // the database's keys, after the installation's
  std::string homeAfter;    // the settings' home field after the call
};

const DatabaseCase kDatabases[] = {
    {kDatabaseNone, "none", "", {}, "C:\\dbhome"},
    {kDatabaseSybase, "Sybase", "C:/dbhome/dll;C:/dbhome/bin;",
     joined({settingLines("Sybase"),
             {"moxal.setenv.SYBASEHOME=C:/dbhome", "moxal.setenv.SYBASE=C:/dbhome",
              "moxal.setenv.SYBASE_LIBS=C:/dbhome/dll;C:/dbhome/lib",
              "moxal.setenv.SYBASE_SERVER=dbhost"}}),
     "C:/dbhome"},
    {kDatabaseOracle, "Oracle", "C:/dbhome/bin;",
     joined({settingLines("Oracle"),
             {"moxal.setenv.ORACLE_HOME=C:/dbhome", "moxal.setenv.ORA_NLS=C:/nls",
              "moxal.setenv.ORACLE_SID=dbsrv", "moxal.setenv.TNS_ADMIN=C:/tns"}}),
     "C:/dbhome"},
    {kDatabaseJdbc, "JDBC", "",
     joined({settingLines("JDBC"),
             {"moxal.database.JDBCURL=jdbc:x://dbhost/moxaldb",
              "moxal.database.JDBCDRIVER=x.Driver"}}),
     "C:\\dbhome"},
};

class ConstPropTest : public InstalledProductTest {
 protected:
  // constProp with the answers; returns what it printed.
  std::string call(Answers& a) {
    testing::internal::CaptureStdout();
    const int result =
        constProp_(a.serverMode, a.home, a.java, a.agentPort, a.classPort, a.eventPort,
                   a.objectPort, a.host, a.databaseType, a.withDatabase ? &a.database : nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(result, 0);
    return out;
  }

  std::string propertyFile() const { return prod("classes/properties"); }
  std::string written() const { return nttest::readFile(propertyFile()); }

  // The pairs that the installed supervisor reads from the file: its readProp trace lines.
  Lines supervisorReads() {
    ::unlink(prod("moxal.dbg").c_str());
    runSupervisor({"-diaglevel", "1"});
    Lines pairs;
    for (const std::string& line : linesContaining(traces(), "readProp: ")) {
      const size_t key = line.find(" -") + 2;
      const size_t separator = line.find("- = -", key);
      pairs.push_back(line.substr(key, separator - key) + "=" +
                      line.substr(separator + 5, line.size() - separator - 6));
    }
    return pairs;
  }
};

TEST_F(ConstPropTest, EachDatabaseAndServerModeWritesItsKeysInOrder) {
  for (const DatabaseCase& database : kDatabases) {
    for (int serverMode : {0, 1}) {
      SCOPED_TRACE(std::string(database.name) + " server mode " + std::to_string(serverMode));
      writeProperties("");
      Answers answers;
      answers.serverMode = serverMode;
      answers.databaseType = database.type;
      answers.database = fullSettings();
      EXPECT_EQ(call(answers), "");
      const Lines expected = joined({installationLines(serverMode, database.pathEntries),
                                     database.lines,
                                     {"moxal.ntservice.javaverbose=1"}});
      EXPECT_EQ(linesOf(written()), expected);
      EXPECT_EQ(written(), fileText(expected));
      EXPECT_EQ(supervisorReads(), expected);
      EXPECT_EQ(answers.database.home, database.homeAfter);
      EXPECT_TRUE(serviceConfig("MOXALAgent"));
      if (serverMode == 1) {
        EXPECT_TRUE(serviceConfig("MOXALServer"));
      }
    }
  }
}

TEST_F(ConstPropTest, KeysOfTheFileKeepTheirPlaceAndEveryOtherPairStays) {
  // Comments and blank lines are no pairs and are not written back.
  writeProperties(
      "a=1\n# comment\nmoxal.server.hostname=old\n \t \n\"k b\"=v\nnoval\n"
      "moxal.setenv.PATH=old\nmoxal.ntservice.javaverbose=0\nz=last\n");
  Answers answers;
  answers.serverMode = 0;
  EXPECT_EQ(call(answers), "");  // no trace line of the property code either
  const Lines everyKey = joined({installationLines(0, ""), {"moxal.ntservice.javaverbose=1"}});
  Lines expected = {
      "a=1",
      "moxal.server.hostname=mgmt",
      "\"\"k b\"\"=\"v\"",
      "noval=",
      *std::find_if(everyKey.begin(), everyKey.end(),
                    [](const std::string& l) { return l.rfind("moxal.setenv.PATH=", 0) == 0; }),
      "moxal.ntservice.javaverbose=1",
      "z=last"};
  for (const std::string& line : everyKey) {
    if (std::find(expected.begin(), expected.end(), line) == expected.end())
      expected.push_back(line);
  }
  EXPECT_EQ(linesOf(written()), expected);
}

TEST_F(ConstPropTest, AnswersGiveTheirValues) {
  const struct {
    const char* what;
    std::function<void(Answers&)> answer;
    Lines present;                    // "key=value" lines the file must hold
    std::vector<std::string> absent;  // keys it must not hold
  } kCases[] = {
      {"server mode 0 without event port",
       [](Answers& a) {
         a.serverMode = 0;
         a.eventPort = 0;
       },
       {"moxal.port.tarq.admin.arm.event.EventDispatcher=0", "moxal.services=" + kAgentClass},
       {}},
      {"no Java program",
       [](Answers& a) { a.java = nullptr; },
       {"moxal.setenv.JAVA_HOME=", "moxal.setenv.CLASSPATH=C:/prod/classes",
        "moxal.setenv.PATH=C:/prod/bin;C:/prod/lib/tarq/WindowsNT/x86;C:/sys"},
       {}},
      {"a Java program without a directory",
       [](Answers& a) { a.java = "java.exe"; },
       {"moxal.setenv.JAVA_HOME=java.exe",
        "moxal.setenv.CLASSPATH=C:/prod/classes;java.exe/lib/classes.zip"},
       {}},
      {"a Java program at the root",
       [](Answers& a) { a.java = "C:\\java.exe"; },
       {"moxal.setenv.JAVA_HOME=C:"},
       {}},
      {"no TEMP",
       [](Answers&) { ::unsetenv("TEMP"); },
       {"moxal.services.status.file=C:/prod/moxal.services.status"},
       {}},
      {"Oracle home alone",
       [](Answers& a) {
         a.databaseType = kDatabaseOracle;
         setField(a.database.home, "C:\\orant");
       },
       {"moxal.setenv.ORACLE_HOME=C:/orant", "moxal.setenv.ORA_NLS=C:/orant/ocommon/nls/admin/data",
        "moxal.setenv.TNS_ADMIN=C:/orant/network/admin"},
       {"moxal.setenv.ORACLE_SID", "moxal.database.DBSERVER", "moxal.database.DBSIZE"}},
      {"Oracle without settings", [](Answers& a) { a.databaseType = kDatabaseOracle; },
       {"moxal.setenv.PATH=C:/jdk/bin;C:/prod/bin;C:/prod/lib/tarq/WindowsNT/x86;/bin;C:/sys",
        "moxal.database.DBSERVERTYPE=Oracle"},
       {"moxal.setenv.ORACLE_HOME", "moxal.setenv.ORA_NLS", "moxal.setenv.TNS_ADMIN",
        "moxal.setenv.ORACLE_SID"}},
      {"Oracle NLS path without home",
       [](Answers& a) {
         a.databaseType = kDatabaseOracle;
         setField(a.database.nls, "D:\\nls");
       },
       {"moxal.setenv.ORA_NLS=D:/nls"},
       {"moxal.setenv.ORACLE_HOME", "moxal.setenv.TNS_ADMIN"}},
      {"Sybase home on a share",
       [](Answers& a) {
         a.databaseType = kDatabaseSybase;
         setField(a.database.home, "\\\\dbsrv\\sybase");
       },
       {"moxal.setenv.PATH=C:/jdk/bin;C:/prod/bin;C:/prod/lib/tarq/WindowsNT/x86;"
        "\\\\dbsrv/sybase/dll;\\\\dbsrv/sybase/bin;C:/sys",
        "moxal.setenv.SYBASEHOME=\\\\dbsrv/sybase",
        "moxal.setenv.SYBASE_LIBS=\\\\dbsrv/sybase/dll;\\\\dbsrv/sybase/lib"},
       {"moxal.setenv.SYBASE_SERVER"}},
      {"settings with blanks around",
       [](Answers& a) {
         a.databaseType = kDatabaseJdbc;
         setField(a.database.name, " \tmoxaldb  ");
       },
       {"moxal.database.DBNAME=moxaldb"},
       {"moxal.database.JDBCURL"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const nttest::ScopedHostVariable temp("TEMP", "C:\\temp");
    writeProperties("");
    Answers answers;
    c.answer(answers);
    EXPECT_EQ(call(answers), "");
    const Lines lines = linesOf(written());
    for (const std::string& line : c.present) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    }
    for (const std::string& key : c.absent) EXPECT_FALSE(valueOf(lines, key)) << key;
  }
}

TEST_F(ConstPropTest, AnswersThatFailTheChecksChangeNothing) {
  const std::string before = "moxal.server.hostname=old\n";
  const struct {
    const char* what;
    std::function<void(Answers&)> answer;
  } kCases[] = {
      {"server mode 2", [](Answers& a) { a.serverMode = 2; }},
      {"server mode -1", [](Answers& a) { a.serverMode = -1; }},
      {"no directory", [](Answers& a) { a.home = nullptr; }},
      {"empty directory", [](Answers& a) { a.home = ""; }},
      {"agent port 0", [](Answers& a) { a.agentPort = 0; }},
      {"class server port 0", [](Answers& a) { a.classPort = 0; }},
      {"object server port 0", [](Answers& a) { a.objectPort = 0; }},
      {"server mode 1 without event port", [](Answers& a) { a.eventPort = 0; }},
      {"no server host", [](Answers& a) { a.host = nullptr; }},
      {"empty server host", [](Answers& a) { a.host = ""; }},
      {"database type -1", [](Answers& a) { a.databaseType = -1; }},
      {"database type 4", [](Answers& a) { a.databaseType = 4; }},
      {"Oracle without settings",
       [](Answers& a) {
         a.databaseType = kDatabaseOracle;
         a.withDatabase = false;
       }},
  };
  writeProperties(before);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    Answers answers;
    c.answer(answers);
    EXPECT_EQ(call(answers), "");
    EXPECT_EQ(written(), before);
    EXPECT_FALSE(serviceConfig("MOXALAgent"));
  }
}

TEST_F(ConstPropTest, MissingPropertyFileStillInstallsTheServices) {
  ASSERT_EQ(::unlink(propertyFile().c_str()), 0);
  Answers answers;
  EXPECT_EQ(call(answers), "");
  EXPECT_FALSE(nttest::fileExists(propertyFile()));
  EXPECT_TRUE(serviceConfig("MOXALAgent"));
  EXPECT_TRUE(serviceConfig("MOXALServer"));
}

TEST_F(ConstPropTest, ComposedValueOverItsBufferIsRefusedAndTheRestWritten) {
  // The PATH value is "C:/jdk/bin;C:/prod/bin;C:/prod/lib/tarq/WindowsNT/x86;" (54
  // characters), the database client's entries, then the inherited PATH.
  const std::string fits(511 - 54, 'p');
  const struct {
    const char* what;
    const char* variable;
    std::string value;
    int databaseType;
    std::string sybaseHome;
    std::vector<std::string> refusedKeys;
  } kCases[] = {
      {"PATH of 511 characters", "PATH", fits, kDatabaseNone, "", {}},
      {"PATH of 512 characters", "PATH", fits + "p", kDatabaseNone, "", {"moxal.setenv.PATH"}},
      {"long TEMP",
       "TEMP",
       std::string(500, 't'),
       kDatabaseNone,
       "",
       {"moxal.services.status.file"}},
      // 255 characters twice: the client's PATH entries and its library list.
      {"longest Sybase home",
       "TEMP",
       "C:\\temp",
       kDatabaseSybase,
       std::string(255, 's'),
       {"moxal.setenv.PATH", "moxal.setenv.SYBASE_LIBS"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const nttest::ScopedHostVariable variable(c.variable, c.value.c_str());
    std::string before, errors;
    for (const std::string& key : c.refusedKeys) {
      before += key + "=old\n";
      errors += "constProp: value of " + key + " is longer than 511 characters, not set\n";
    }
    writeProperties(before);
    Answers answers;
    answers.databaseType = c.databaseType;
    setField(answers.database.home, c.sybaseHome);
    EXPECT_EQ(call(answers), errors);
    const Lines lines = linesOf(written());
    for (const std::string& key : c.refusedKeys) EXPECT_EQ(valueOf(lines, key), "old") << key;
    EXPECT_EQ(valueOf(lines, "moxal.ntservice.javaverbose"), "1");  // the run went on
    if (c.refusedKeys.empty()) {
      EXPECT_EQ(valueOf(lines, "moxal.setenv.PATH")->size(), 511u);
    }
  }
}

}  // namespace
