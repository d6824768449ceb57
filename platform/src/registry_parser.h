// Reading REGEDIT4 text: the registry store of the machine root and the .reg files that
// ntreg imports. A malformed line is reported with its line number, and nothing of a text
// that does not parse is applied.
//
// The text: the line "REGEDIT4", then sections. "[ROOT\key]" opens a key (creating it),
// "[-ROOT\key]" deletes it with its subtree. Value lines name a value of the open key,
// "@" for the default value: "Name"="text" (escapes \\ and \"), "Name"=dword:0000001f,
// "Name"=hex:01,02 (REG_BINARY), "Name"=hex(7):61,00,00 (any other type, raw bytes), or
// "Name"=- to delete it. A hex line ending in "\" continues on the next line. Blank lines and
// lines starting with ";" are skipped; lines may end in CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "registry_tree.h"

namespace nt::registry {

struct RegFileEntry {
  enum class Kind { OpenKey, DeleteKey, SetValue, DeleteValue };
  Kind kind = Kind::OpenKey;
  KeyPath key;       // the store path of the key (HKEY_CLASSES_ROOT already mapped)
  std::string name;  // the value's name; "" is the default value
  DWORD type = 0;
  std::vector<BYTE> data;
  int line = 0;
};

struct RegFileError {
  int line = 0;
  std::string what;  // "malformed value line"
};

// "file:12: malformed value line"
std::string describeRegFileError(const std::string& file, const RegFileError& error);

// Parses the whole text; false with the first malformed line in error. A deletion of a key
// the registry keeps (a root key) is refused here, so that applying entries cannot fail.
bool parseRegFile(std::string_view text, std::vector<RegFileEntry>& entries,
                  RegFileError& error);

// Applies parsed entries to the tree in order.
void applyRegFile(const std::vector<RegFileEntry>& entries, Key& top);

}  // namespace nt::registry
