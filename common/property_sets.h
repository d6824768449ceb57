// The process-wide registry of property sets, addressed by property set id, with look-up and
// enumeration. Keys and values belong to their set; callers only borrow them.
#pragma once

#include <string>
#include <vector>

#include "property_parser.h"

struct PropertySet {
  int id = 0;
  std::string path;  // the file the set was read from
  int flag = 1;      // use count: 1 after loading
  std::vector<PropertyPair> pairs;
};

// Issues the next id for a set read from the path and enters it in the registry.
int registerPropertySet(const char* path, std::vector<PropertyPair> pairs);
// Issues the next id for an empty set that is not entered in the registry.
int issueEmptySetId();
// The set carrying the id, or none.
PropertySet* findPropertySet(int id);

// Decreases the set's use count; at 0 removes it from the registry and frees it.
void unloadProperties(int id);

// The value of the first pair whose key equals the name trimmed with stripStr; none for an
// empty name, an unknown id, no such key, or a key without value.
const char* getProperty(int id, const char* name);

// Called with (key, value or none, user data) for each pair in file order; a non-zero result
// stops the enumeration.
typedef int (*PropertyVisitor)(const char* key, const char* value, void* userData);
void enumProperty(int id, PropertyVisitor visit, void* userData);
