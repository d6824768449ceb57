// answersAccepted and javaHomeOf.
#include "setup_answers.h"

#include "moxal_setup.h"

namespace {

bool given(const char* text) { return text && *text; }

}  // namespace

bool answersAccepted(const SetupAnswers& answers) {
  if (answers.serverMode != 0 && answers.serverMode != 1) return false;
  if (!given(answers.installationDirectory) || !given(answers.serverHost)) return false;
  if (answers.agentPort == 0 || answers.classServerPort == 0 || answers.objectServerPort == 0) {
    return false;
  }
  if (answers.eventPort == 0 && answers.serverMode != 0) return false;
  if (answers.databaseType < kDatabaseNone || answers.databaseType > kDatabaseJdbc) return false;
  // The settings are read for every database type but none; without them there is nothing to
  // read, and the answers are refused like any other incomplete answer.
  return answers.databaseType == kDatabaseNone || answers.database != nullptr;
}

std::string javaHomeOf(const char* javaProgram) {
  std::string home = javaProgram ? javaProgram : "";
  for (int cut = 0; cut < 2; ++cut) {
    const size_t backslash = home.find_last_of('\\');
    if (backslash == std::string::npos) break;
    home.resize(backslash);
  }
  return home;
}
