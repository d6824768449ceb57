// Writing a property set back as a property file that the supervisor's reader reads to the
// same pairs.
#pragma once

#include <string>

#include "common/property_sets.h"

// The file text of the set: one line "key=value\r\n" per pair, in set order; a key without
// value gets an empty value. A key holding a blank, tab, CR or LF is written with the key and
// the value each between double quotes, so that the reader keeps the key whole.
std::string propertyFileText(const PropertySet& set);

// Writes the set as the file at the path, replacing the file in one step (see replaceFile).
// A failure leaves the old file whole and is reported as an error line. Nothing with an id
// that has no set.
void writeProperties(int id, const char* path);
