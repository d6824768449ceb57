// The edits the setup library makes to a loaded property set before writing it back.
#pragma once

#include "common/property_sets.h"

// Gives the first pair whose key equals the trimmed key the trimmed value, or appends the
// pair when no key is equal. Nothing with an empty key or an id with no set.
void setProperty(int id, const char* key, const char* value);

// Appends the trimmed key and value at the end of the set.
void addProperty(PropertySet& set, const char* key, const char* value);
