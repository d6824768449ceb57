// The EnvTable: the environment the supervisor builds for its Java processes, an ordered list
// of (name, value) entries in which names may repeat and look-ups find the first entry. Names
// compare byte for byte with case. Built on the main thread during start-up.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct EnvEntry {
  std::string name;
  std::string value;
};

// The table itself, in order.
const std::vector<EnvEntry>& envEntries();

// Index of the first entry with the name; none for an absent or empty name.
std::optional<size_t> envFind(const char* name);
// Value of the first entry with the name, or none.
const char* envGet(const char* name);
// Replaces the value of the first entry with the name, or appends a new entry; an absent or
// empty name does nothing.
void envSet(const char* name, const char* value);
// Appends an entry even when its name is already present.
void envAppend(const char* name, const char* value);
// Replaces the value of entry i.
void envReplaceAt(size_t index, std::string value);
// Empties the table (tests).
void envClear();

// Trace lines: "currEnvBlock: count %d" and one "\t%s=%s" line per entry.
void currEnvBlock();

// Fills the table from the property set: each key beginning with "moxal.setenv." becomes an
// entry named by the rest of the key, with the pair's value or an empty one.
void collectSetenv(int propertySetId);
