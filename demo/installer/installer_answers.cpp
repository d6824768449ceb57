// setAnswer and readAnswerFile: names, their kinds of value, and the answer file format.
#include "installer_answers.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/win32.h"

namespace {

// A decimal integer of 32 bits, the whole text.
std::optional<int> integerOf(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || value < INT_MIN || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

// A database type by name, or by its number (any number: constProp checks the range).
std::optional<int> databaseTypeOf(const std::string& text) {
  static const char* const kNames[] = {"none", "sybase", "oracle", "jdbc"};
  for (int type = 0; type < 4; ++type) {
    if (_stricmp(text.c_str(), kNames[type]) == 0) return type;
  }
  return integerOf(text);
}

std::string setNumber(int& target, const std::string& name, const std::string& value) {
  const std::optional<int> number = integerOf(value);
  if (!number) return "the value of " + name + " is not a number: " + value;
  target = *number;
  return {};
}

std::string setDatabaseField(SetupDatabaseInfo& db, const std::string& name,
                             const std::string& value) {
  struct Field {
    const char* name;
    char* text;
    size_t size;
  };
  const Field fields[] = {
      {"db-server", db.server, sizeof db.server},
      {"db-name", db.name, sizeof db.name},
      {"db-owner", db.owner, sizeof db.owner},
      {"db-password", db.ownerPassword, sizeof db.ownerPassword},
      {"db-disk", db.disk, sizeof db.disk},
      {"db-log", db.log, sizeof db.log},
      {"db-sysadmin", db.sysadmin, sizeof db.sysadmin},
      {"db-sysadmin-password", db.sysadminPassword, sizeof db.sysadminPassword},
      {"db-home", db.home, sizeof db.home},
      {"db-nls", db.nls, sizeof db.nls},
      {"db-tns-admin", db.tnsAdmin, sizeof db.tnsAdmin},
      {"db-url", db.jdbcUrl, sizeof db.jdbcUrl},
      {"db-driver", db.jdbcDriver, sizeof db.jdbcDriver},
      {"db-host", db.host, sizeof db.host},
  };
  for (const Field& field : fields) {
    if (name != field.name) continue;
    if (value.size() >= field.size) {
      return "the value of " + name + " is longer than " + std::to_string(field.size - 1) +
             " characters";
    }
    std::memset(field.text, 0, field.size);
    std::memcpy(field.text, value.data(), value.size());
    return {};
  }
  return "unknown answer " + name;
}

std::string stripped(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The answers that take a text, and those that take a number, by name.
std::optional<std::string>* textAnswer(InstallerAnswers& answers, const std::string& name) {
  if (name == "home") return &answers.installationDirectory;
  if (name == "java") return &answers.javaProgram;
  if (name == "host") return &answers.serverHost;
  return nullptr;
}

int* numberAnswer(InstallerAnswers& answers, const std::string& name) {
  if (name == "mode") return &answers.serverMode;
  if (name == "agent-port") return &answers.agentPort;
  if (name == "class-port") return &answers.classServerPort;
  if (name == "event-port") return &answers.eventPort;
  if (name == "object-port") return &answers.objectServerPort;
  if (name == "db-size") return &answers.database.size;
  return nullptr;
}

}  // namespace

std::string setAnswer(InstallerAnswers& answers, const std::string& name,
                      const std::string& value) {
  if (std::optional<std::string>* text = textAnswer(answers, name)) {
    *text = value;
    return {};
  }
  if (int* number = numberAnswer(answers, name)) return setNumber(*number, name, value);
  if (name == "library") {
    answers.library = value;
    return {};
  }
  if (name == "db") {
    const std::optional<int> type = databaseTypeOf(value);
    if (!type) return "unknown database type " + value + " (none, sybase, oracle, jdbc or 0 to 3)";
    answers.databaseType = *type;
    return {};
  }
  return setDatabaseField(answers.database, name, value);
}

std::string readAnswerFile(InstallerAnswers& answers, const std::string& path) {
  const std::unique_ptr<FILE, int (*)(FILE*)> file(crt::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) return path + ": cannot open the answer file";
  std::string line;
  int number = 0;
  for (int c = 0; c != EOF;) {
    c = std::fgetc(file.get());
    if (c != '\n' && c != EOF) {
      line.push_back(static_cast<char>(c));
      continue;
    }
    ++number;
    const std::string text = stripped(line);
    line.clear();
    if (text.empty() || text[0] == '#') continue;
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
      return path + ":" + std::to_string(number) + ": expected name=value";
    }
    const std::string problem =
        setAnswer(answers, stripped(text.substr(0, equals)), stripped(text.substr(equals + 1)));
    if (!problem.empty()) return path + ":" + std::to_string(number) + ": " + problem;
  }
  return {};
}
