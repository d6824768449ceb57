// Writing REGEDIT4 text: the registry store of the machine root and the files that ntreg
// exports, in the form registry_parser.h reads back to the same keys and values.
#pragma once

#include <string>

#include "registry_tree.h"

namespace nt::registry {

// The "REGEDIT4" line and the blank line that open every file.
std::string regFileHeader();

// Appends the sections of the key and of every key below it, the key named displayName
// ("HKEY_CLASSES_ROOT\CLSID"), subkeys in creation order.
void writeKeyTree(std::string& out, const Key& key, const std::string& displayName);

// The whole registry as the store keeps it: the header, then each hive.
std::string formatRegistry(const Key& top);

}  // namespace nt::registry
