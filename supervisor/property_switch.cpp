// propertySwitchOn.
#include "property_switch.h"

#include <cstdlib>

#include "common/property_sets.h"

bool propertySwitchOn(int propertySetId, const char* key) {
  const char* value = getProperty(propertySetId, key);
  return value && *value && std::atoi(value) != 0;
}
