// setProperty and addProperty. Keys compare byte for byte with case; values are stored
// trimmed, so a value given as none is stored empty.
#include "property_edit.h"

#include <string>

#include "common/strip.h"

void addProperty(PropertySet& set, const char* key, const char* value) {
  set.pairs.emplace_back(stripStr(key), stripStr(value));
}

void setProperty(int id, const char* key, const char* value) {
  if (!key || !*key) return;
  PropertySet* set = findPropertySet(id);
  if (!set) return;
  const std::string wanted = stripStr(key);
  for (PropertyPair& pair : set->pairs) {
    if (pair.keyView() == wanted) {
      pair.setValue(stripStr(value));
      return;
    }
  }
  addProperty(*set, key, value);
}
