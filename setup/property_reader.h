// The setup library's reading of a property file: the format and the set registry of the
// shared property code, read through the Win32 file calls and without trace lines.
#pragma once

namespace setup {

// Reads the file into a new property set and returns its id (1 or more); 0 when the file
// does not exist, cannot be opened or reads short. An absent or empty path gives the id of an
// empty set that is not registered.
int loadProperties(const char* path);

}  // namespace setup
