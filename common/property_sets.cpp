// The property set registry, getProperty and enumProperty.
#include "property_sets.h"

#include <cstring>
#include <memory>

#include "property_trace.h"
#include "strip.h"

namespace {

struct Registry {
  std::vector<std::unique_ptr<PropertySet>> sets;
  int nextId = 1;
};
Registry registry;

const char* printable(const char* text) { return text ? text : "(null)"; }

}  // namespace

int registerPropertySet(const char* path, std::vector<PropertyPair> pairs) {
  auto set = std::make_unique<PropertySet>();
  set->id = registry.nextId++;
  set->path = path ? path : "";
  set->pairs = std::move(pairs);
  registry.sets.push_back(std::move(set));
  return registry.sets.back()->id;
}

int issueEmptySetId() { return registry.nextId++; }

PropertySet* findPropertySet(int id) {
  if (registry.sets.empty() || id <= 0 || id > registry.nextId) return nullptr;
  for (const auto& set : registry.sets) {
    if (set->id == id) return set.get();
  }
  return nullptr;
}

void unloadProperties(int id) {
  auto& sets = registry.sets;
  for (auto it = sets.begin(); it != sets.end(); ++it) {
    if ((*it)->id != id) continue;
    if (--(*it)->flag <= 0) sets.erase(it);  // later sets move down by one
    return;
  }
}

const char* getProperty(int id, const char* name) {
  if (!name || !*name) {
    propertyTrace("getProperty: name empty\n");
    return nullptr;
  }
  propertyTrace("getProperty: %d enter -%s-\n", id, name);
  const PropertySet* set = findPropertySet(id);
  if (!set) {
    propertyTrace("getProperty: propset empty\n");
    return nullptr;
  }
  const std::string wanted = stripStr(name);
  for (size_t i = 0; i < set->pairs.size(); ++i) {
    const PropertyPair& pair = set->pairs[i];
    if (pair.keyView() == wanted) {
      propertyTrace("getProperty: %d return -%s-\n", static_cast<int>(i), printable(pair.value()));
      return pair.value();
    }
  }
  propertyTrace("getProperty: return NULL\n");
  return nullptr;
}

void enumProperty(int id, PropertyVisitor visit, void* userData) {
  propertyTrace("enumProperty: %d\n", id);
  const PropertySet* set = findPropertySet(id);
  if (!set) {
    propertyTrace("enumProperty: propset empty\n");
    return;
  }
  for (size_t i = 0; i < set->pairs.size(); ++i) {
    const PropertyPair& pair = set->pairs[i];
    const char* value = pair.value();
    propertyTrace("enumProperty: %d -%s- -%s-\n", static_cast<int>(i), pair.key(), printable(value));
    if (visit && visit(pair.key(), value, userData) != 0) return;
  }
}
