// The message table and its localized message library.
#include "message_table.h"

#include <array>
#include <cstdio>
#include <string>

namespace {

const char* const kDefaultTexts[kMessageCount] = {
    "MOXAL",
    "findFileInPath - alloc failure",
    "copy - alloc failure",
    "getPrivateEnv - alloc failure",
    "getPrivateEnv - alloc failure1",
    "getPrivateEnv - alloc failure2",
    "getEnvProp - alloc failure",
    "registerServices - alloc failure",
    "registerServices - startServiceCtrlDispatcher failure",
    "runSvc - SetServiceStatus failure",
    "runSvc - CreateProcess %d (%s %s) failure",
    "runSvc - spawn %d (%s %s) failure %d",
    "runSvc - SetServiceStatus failure1",
    "runSvc - SetServiceStatus failure2",
    "runSvc - subcommand (%s %s) terminated!",
    "runSvc - SetServiceStatus failure3",
    "stopSvc - SetServiceStatus failure",
    "stopSvc - CreateProcess %d (%s %s) failure",
    "stopSvc - spawn %d (%s %s) failure %d",
    "stopSvc - SetServiceStatus failure1",
    "stopSvc - SetServiceStatus failure2",
    "runAgent - findService failure",
    "runAgent - RegisterServiceCtrlHandler failure",
    "findAgentService failure",
    "runServer - findService failure",
    "runServer - RegisterServiceCtrlHandler failure",
    "findServerService failure",
    "usage: %s [-diaglevel level] [-diagfile path] [-install | -uninstall] -configfile path "
    "[startagent | stopagent | startserver | stopserver]\n",
    "ctrlAgent",
    "ctrlServer",
};

// Never destroyed: service threads may report events while main returns.
std::array<std::string, kMessageCount>& texts = *new std::array<std::string, kMessageCount>();

bool validId(int id) { return id >= 1 && id <= kMessageCount; }

}  // namespace

const char* defaultMessageText(int id) { return validId(id) ? kDefaultTexts[id - 1] : ""; }

const char* messageText(int id) {
  if (!validId(id)) return "";
  const std::string& text = texts[id - 1];
  return text.empty() ? kDefaultTexts[id - 1] : text.c_str();
}

HMODULE loadMessageLibrary() {
  char language[50] = "";
  GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SABBREVLANGNAME, language, sizeof language);
  char name[64];
  std::snprintf(name, sizeof name, "svc%s.dll", language);
  HMODULE library = LoadLibraryA(name);
  if (!library) library = LoadLibraryA("svcenu.dll");
  return library;
}

void loadMessageTable(HMODULE library) {
  for (int id = 1; id <= kMessageCount; ++id) {
    texts[id - 1].clear();
    if (!library) continue;
    char buffer[512];
    if (LoadStringA(library, static_cast<UINT>(id), buffer, 511) > 0) texts[id - 1] = buffer;
  }
}
