// The EnvTable (see env_table.h).
#include "env_table.h"

#include <cstring>

#include "common/diag.h"
#include "common/property_sets.h"

namespace {

std::vector<EnvEntry> table;

constexpr const char kSetenvPrefix[] = "moxal.setenv.";
constexpr size_t kSetenvPrefixLength = sizeof kSetenvPrefix - 1;  // 13 characters

int collectOne(const char* key, const char* value, void* /*userData*/) {
  if (key && std::strncmp(key, kSetenvPrefix, kSetenvPrefixLength) == 0) {
    envAppend(key + kSetenvPrefixLength, value ? value : "");
  }
  return 0;
}

}  // namespace

const std::vector<EnvEntry>& envEntries() { return table; }

std::optional<size_t> envFind(const char* name) {
  if (!name || !*name) return std::nullopt;
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) return i;
  }
  return std::nullopt;
}

const char* envGet(const char* name) {
  const auto index = envFind(name);
  return index ? table[*index].value.c_str() : nullptr;
}

void envSet(const char* name, const char* value) {
  if (!name || !*name) return;
  if (const auto index = envFind(name)) {
    table[*index].value = value ? value : "";
  } else {
    envAppend(name, value);
  }
}

void envAppend(const char* name, const char* value) {
  table.push_back(EnvEntry{name ? name : "", value ? value : ""});
}

void envReplaceAt(size_t index, std::string value) { table.at(index).value = std::move(value); }

void envClear() { table.clear(); }

void currEnvBlock() {
  diagPrint("currEnvBlock: count %d\n", static_cast<int>(table.size()));
  for (const EnvEntry& entry : table) diagPrint("\t%s=%s\n", entry.name.c_str(), entry.value.c_str());
}

void collectSetenv(int propertySetId) { enumProperty(propertySetId, collectOne, nullptr); }
