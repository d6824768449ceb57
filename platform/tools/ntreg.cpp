// ntreg: the registry of the machine root from the command line, with the commands and the
// output of the Windows reg command: query, add, delete, export and import. It never asks
// for confirmation: what reg would ask about (overwriting a value or a file, deleting) needs
// /f or /y, and is refused without it.
//
// Sections: messages; command lines; key names; query; add; delete; export and import; main.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/src/registry_parser.h"
#include "platform/src/registry_store.h"
#include "platform/src/registry_writer.h"
#include "platform/win32.h"

namespace {

using nt::registry::Key;
using nt::registry::KeyPath;
using nt::registry::Snapshot;
using nt::registry::Value;

// ---- messages ----

const char kUsage[] =
    "Usage: ntreg <operation> [parameters]\n"
    "Reads and changes the registry of the machine root ($NT_ROOT), as the reg command does.\n"
    "\n"
    "  ntreg query KeyName [/v ValueName | /ve] [/s]\n"
    "  ntreg add KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]\n"
    "  ntreg delete KeyName [/v ValueName | /ve | /va] /f\n"
    "  ntreg export KeyName FileName [/y]\n"
    "  ntreg import FileName\n"
    "\n"
    "  KeyName    ROOTKEY\\SubKey, ROOTKEY one of HKLM, HKCU, HKCR, HKU or their full names\n"
    "  /v         the value of that name;  /ve  the default value;  /va  all values\n"
    "  /s         query: the key and all its subkeys;  add: the REG_MULTI_SZ separator\n"
    "             (\\0 when absent)\n"
    "  /t         REG_SZ (when absent), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY\n"
    "  /d         the data: REG_DWORD in decimal or 0x hex, REG_BINARY as hex digits\n"
    "  /f         overwrite an existing value, or delete, without asking\n"
    "  /y         overwrite an existing file without asking\n"
    "  FileName   a REGEDIT4 .reg file, as a Windows or a host path\n";

int failWith(const std::string& message) {
  std::fprintf(stderr, "ERROR: %s\n", message.c_str());
  return 1;
}

int invalidSyntax() { return failWith("Invalid syntax.\nType \"ntreg --help\" for usage."); }

int succeeded() {
  std::puts("The operation completed successfully.");
  return 0;
}

int failWithCode(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return failWith("The system was unable to find the specified registry key or value.");
    case ERROR_ACCESS_DENIED: return failWith("Access is denied.");
    case ERROR_REGISTRY_CORRUPT: return failWith("The configuration registry database is corrupt.");
    case ERROR_DISK_FULL: return failWith("There is not enough space on the disk.");
    default: return failWith("The operation failed with Win32 error " + std::to_string(code) + ".");
  }
}

// ---- command lines ----

struct OptionSpec {
  const char* name;  // lower case, without the "/" or "-"
  bool takesValue;
};

// The arguments after the operation: positional ones, and options written "/name" or
// "-name" in any letter case. An argument that names no option of the operation (a host
// path such as /tmp/x.reg) is positional.
struct CommandLine {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;

  bool has(const char* name) const { return options.count(name) != 0; }
  std::string value(const char* name) const { return has(name) ? options.at(name) : ""; }
};

std::string lowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const OptionSpec* findOption(const std::string& argument, const std::vector<OptionSpec>& rules) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return nullptr;
  const std::string name = lowerCase(argument.substr(1));
  for (const OptionSpec& rule : rules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

bool parseCommandLine(int argc, char** argv, const std::vector<OptionSpec>& rules,
                      size_t positionalCount, CommandLine& line) {
  for (int i = 2; i < argc; ++i) {
    const OptionSpec* rule = findOption(argv[i], rules);
    if (!rule) {
      line.positional.push_back(argv[i]);
      continue;
    }
    if (line.has(rule->name) || (rule->takesValue && i + 1 >= argc)) return false;
    line.options[rule->name] = rule->takesValue ? argv[++i] : "";
  }
  return line.positional.size() == positionalCount;
}

// At most one of the options is given.
bool atMostOne(const CommandLine& line, std::initializer_list<const char*> names) {
  int given = 0;
  for (const char* name : names) given += line.has(name);
  return given <= 1;
}

// ---- key names ----

struct KeyName {
  std::string display;  // "HKEY_LOCAL_MACHINE\Software\X", as reg shows it
  KeyPath path;         // where it lives in the store
};

bool parseKeyName(const std::string& text, KeyName& key) {
  return nt::registry::parseKeyName(text, key.path, &key.display);
}

int invalidKeyName() { return failWith("Invalid key name.\nType \"ntreg --help\" for usage."); }

// ---- query ----

const char* typeName(DWORD type) {
  static const char* const names[] = {"REG_NONE",
                                      "REG_SZ",
                                      "REG_EXPAND_SZ",
                                      "REG_BINARY",
                                      "REG_DWORD",
                                      "REG_DWORD_BIG_ENDIAN",
                                      "REG_LINK",
                                      "REG_MULTI_SZ",
                                      "REG_RESOURCE_LIST",
                                      "REG_FULL_RESOURCE_DESCRIPTOR",
                                      "REG_RESOURCE_REQUIREMENTS_LIST",
                                      "REG_QWORD"};
  return type < std::size(names) ? names[type] : nullptr;
}

std::string textUpToNul(const std::vector<BYTE>& data) {
  const std::string text(data.begin(), data.end());
  return text.substr(0, text.find('\0'));
}

// The strings of a REG_MULTI_SZ joined with "\0", as reg shows them.
std::string multiStringText(const std::vector<BYTE>& data) {
  std::string text(data.begin(), data.end());
  while (!text.empty() && text.back() == '\0') text.pop_back();
  std::string shown;
  for (char c : text) shown += c ? std::string(1, c) : std::string("\\0");
  return shown;
}

std::string dataText(const Value& value) {
  char number[32];
  if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) return textUpToNul(value.data);
  if (value.type == REG_MULTI_SZ) return multiStringText(value.data);
  if (value.type == REG_DWORD && value.data.size() == 4) {
    DWORD dword;
    std::memcpy(&dword, value.data.data(), sizeof dword);
    std::snprintf(number, sizeof number, "0x%x", dword);
    return number;
  }
  std::string hex;
  for (BYTE b : value.data) {
    std::snprintf(number, sizeof number, "%02X", b);
    hex += number;
  }
  return hex;
}

std::string valueLine(const Value& value) {
  char type[16];
  const char* name = typeName(value.type);
  if (!name) std::snprintf(type, sizeof type, "0x%x", value.type);
  return "    " + (value.name.empty() ? std::string("(Default)") : value.name) + "    " +
         (name ? name : type) + "    " + dataText(value) + "\n";
}

// reg's listing of one key: its values under its name, then its subkeys' full names.
void appendKeyListing(std::string& out, const Key& key, const std::string& display) {
  if (!key.values.empty()) {
    out += display + "\n";
    for (const Value& value : key.values) out += valueLine(value);
    out += "\n";
  }
  for (const Key& subkey : key.subkeys) out += display + "\\" + subkey.name + "\n";
}

// reg's listing with /s: every key of the subtree by name, each followed by its values.
void appendTreeListing(std::string& out, const Key& key, const std::string& display) {
  out += display + "\n";
  for (const Value& value : key.values) out += valueLine(value);
  if (!key.values.empty()) out += "\n";
  for (const Key& subkey : key.subkeys) {
    appendTreeListing(out, subkey, display + "\\" + subkey.name);
  }
}

// The keys of the subtree that hold the value, each with it; the count found.
int appendValueSearch(std::string& out, const Key& key, const std::string& display,
                      const std::string& name, bool recursive) {
  int found = 0;
  if (const Value* value = key.value(name)) {
    out += display + "\n" + valueLine(*value) + "\n";
    ++found;
  }
  if (!recursive) return found;
  for (const Key& subkey : key.subkeys) {
    found += appendValueSearch(out, subkey, display + "\\" + subkey.name, name, true);
  }
  return found;
}

int query(const CommandLine& line) {
  KeyName key;
  if (!atMostOne(line, {"v", "ve"})) return invalidSyntax();
  if (!parseKeyName(line.positional[0], key)) return invalidKeyName();
  Snapshot registry;
  if (const DWORD code = nt::registry::readRegistry(registry)) return failWithCode(code);
  const Key* found = nt::registry::findKey(*registry, key.path);
  if (!found) return failWithCode(ERROR_FILE_NOT_FOUND);
  std::string out = "\n";
  if (line.has("v") || line.has("ve")) {
    const int matches = appendValueSearch(out, *found, key.display, line.value("v"), line.has("s"));
    if (!line.has("s") && matches == 0) return failWithCode(ERROR_FILE_NOT_FOUND);
    if (line.has("s")) out += "End of search: " + std::to_string(matches) + " match(es) found.\n";
  } else if (line.has("s")) {
    appendTreeListing(out, *found, key.display);
  } else {
    appendKeyListing(out, *found, key.display);
  }
  std::fputs(out.c_str(), stdout);
  return 0;
}

// ---- add ----

bool typeFromName(const std::string& name, DWORD& type) {
  for (DWORD candidate : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_BINARY}) {
    if (lowerCase(name) == lowerCase(typeName(candidate))) {
      type = candidate;
      return true;
    }
  }
  return false;
}

// Decimal, or hex after "0x"; an empty text is 0.
bool parseDword(const std::string& text, DWORD& number) {
  number = 0;
  if (text.empty()) return true;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* last = text.data() + text.size();
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data() + (hex ? 2 : 0), last, value, hex ? 16 : 10);
  if (error != std::errc() || end != last || value > 0xFFFFFFFFu) return false;
  number = static_cast<DWORD>(value);
  return true;
}

// Two hex digits a byte, without separators: "00ff10".
bool parseHexDigits(const std::string& text, std::vector<BYTE>& bytes) {
  if (text.size() % 2) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    DWORD byte = 0;
    if (!parseDword("0x" + text.substr(i, 2), byte)) return false;
    bytes.push_back(static_cast<BYTE>(byte));
  }
  return true;
}

std::vector<BYTE> multiStringBytes(const std::string& text, const std::string& separator) {
  std::vector<BYTE> bytes;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find(separator, start), text.size());
    bytes.insert(bytes.end(), text.begin() + static_cast<long>(start),
                 text.begin() + static_cast<long>(end));
    bytes.push_back(0);
    start = end + separator.size();
  }
  bytes.push_back(0);
  return bytes;
}

bool encodeData(DWORD type, const std::string& text, const std::string& separator,
                std::vector<BYTE>& bytes) {
  switch (type) {
    case REG_DWORD: {
      DWORD number = 0;
      if (!parseDword(text, number)) return false;
      bytes.resize(sizeof number);
      std::memcpy(bytes.data(), &number, sizeof number);
      return true;
    }
    case REG_BINARY: return parseHexDigits(text, bytes);
    case REG_MULTI_SZ: bytes = multiStringBytes(text, separator); return true;
    default:
      bytes.assign(text.begin(), text.end());
      bytes.push_back(0);
      return true;
  }
}

int add(const CommandLine& line) {
  KeyName key;
  if (!atMostOne(line, {"v", "ve"})) return invalidSyntax();
  if (!parseKeyName(line.positional[0], key)) return invalidKeyName();
  DWORD type = REG_SZ;
  if (line.has("t") && !typeFromName(line.value("t"), type)) return invalidSyntax();
  const std::string separator = line.has("s") ? line.value("s") : "\\0";
  std::vector<BYTE> data;
  if (separator.empty() || !encodeData(type, line.value("d"), separator, data)) {
    return failWith("The data is not valid for " + std::string(typeName(type)) + ".");
  }
  // Without /v or /ve, data given with /t or /d goes to the default value, as reg does.
  const bool setsValue = line.has("v") || line.has("ve") || line.has("t") || line.has("d");
  const std::string name = line.value("v");
  if (!nt::registry::isStorableName(name) || !nt::registry::isStorableName(key.display)) {
    return failWith("A key or value name cannot hold a line break.");
  }
  const DWORD code = nt::registry::updateRegistry([&](Key& top, bool& changed) -> DWORD {
    Key& target = nt::registry::createKey(top, key.path, changed);
    if (!setsValue) return ERROR_SUCCESS;
    if (target.value(name) && !line.has("f")) return ERROR_ALREADY_EXISTS;
    target.setValue(name, type, data);
    changed = true;
    return ERROR_SUCCESS;
  });
  if (code == ERROR_ALREADY_EXISTS) {
    return failWith("Value " + (name.empty() ? std::string("(Default)") : name) +
                    " exists: add /f to overwrite it.");
  }
  return code ? failWithCode(code) : succeeded();
}

// ---- delete ----

int deleteKeyOrValues(const CommandLine& line) {
  KeyName key;
  if (!atMostOne(line, {"v", "ve", "va"})) return invalidSyntax();
  if (!parseKeyName(line.positional[0], key)) return invalidKeyName();
  if (!line.has("f")) return failWith("Nothing deleted: add /f to delete without confirmation.");
  const DWORD code = nt::registry::updateRegistry([&](Key& top, bool& changed) -> DWORD {
    Key* target = nt::registry::findKey(top, key.path);
    if (!target) return ERROR_FILE_NOT_FOUND;
    if (line.has("va")) {
      changed = !target->values.empty();
      target->values.clear();
      return ERROR_SUCCESS;
    }
    if (line.has("v") || line.has("ve")) {
      changed = target->removeValue(line.value("v"));
      return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }
    if (nt::registry::isProtectedKey(key.path)) return ERROR_ACCESS_DENIED;
    changed = nt::registry::removeKeyTree(top, key.path);
    return ERROR_SUCCESS;
  });
  return code ? failWithCode(code) : succeeded();
}

// ---- export and import ----

bool readWholeFile(const std::string& file, std::string& text) {
  std::unique_ptr<FILE, int (*)(FILE*)> in(crt::fopen(file.c_str(), "rb"), std::fclose);
  if (!in) return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) text.append(buffer, n);
  return !std::ferror(in.get());
}

bool writeWholeFile(const std::string& file, const std::string& text) {
  FILE* out = crt::fopen(file.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
  return (std::fclose(out) == 0) && written;
}

int exportKey(const CommandLine& line) {
  KeyName key;
  if (!parseKeyName(line.positional[0], key)) return invalidKeyName();
  const std::string& file = line.positional[1];
  Snapshot registry;
  if (const DWORD code = nt::registry::readRegistry(registry)) return failWithCode(code);
  const Key* found = nt::registry::findKey(*registry, key.path);
  if (!found) return failWithCode(ERROR_FILE_NOT_FOUND);
  if (GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES && !line.has("y")) {
    return failWith("File " + file + " exists: add /y to overwrite it.");
  }
  std::string text = nt::registry::regFileHeader();
  nt::registry::writeKeyTree(text, *found, key.display);
  if (!writeWholeFile(file, text)) return failWith("Cannot write the file " + file + ".");
  return succeeded();
}

// All or nothing: the whole file is parsed before anything is applied, and applied in one
// change of the store.
int importFile(const CommandLine& line) {
  const std::string& file = line.positional[0];
  std::string text;
  if (!readWholeFile(file, text)) return failWith("Cannot read the file " + file + ".");
  std::vector<nt::registry::RegFileEntry> entries;
  nt::registry::RegFileError error;
  if (!nt::registry::parseRegFile(text, entries, error)) {
    return failWith(nt::registry::describeRegFileError(file, error) + "; nothing imported.");
  }
  const DWORD code = nt::registry::updateRegistry([&](Key& top, bool& changed) -> DWORD {
    nt::registry::applyRegFile(entries, top);
    changed = true;
    return ERROR_SUCCESS;
  });
  return code ? failWithCode(code) : succeeded();
}

// ---- main ----

struct Operation {
  const char* name;
  int (*run)(const CommandLine&);
  std::vector<OptionSpec> options;
  size_t positionalCount;
};

const std::vector<Operation>& operations() {
  static const std::vector<Operation> table = {
      {"query", query, {{"v", true}, {"ve", false}, {"s", false}}, 1},
      {"add",
       add,
       {{"v", true}, {"ve", false}, {"t", true}, {"s", true}, {"d", true}, {"f", false}},
       1},
      {"delete", deleteKeyOrValues, {{"v", true}, {"ve", false}, {"va", false}, {"f", false}}, 1},
      {"export", exportKey, {{"y", false}}, 2},
      {"import", importFile, {}, 1},
  };
  return table;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return invalidSyntax();
  const std::string operation = lowerCase(argv[1]);
  if (operation == "--help" || operation == "-h" || operation == "/?" || operation == "-?") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  for (const Operation& candidate : operations()) {
    if (operation != candidate.name) continue;
    CommandLine line;
    if (!parseCommandLine(argc, argv, candidate.options, candidate.positionalCount, line)) {
      return invalidSyntax();
    }
    return candidate.run(line);
  }
  return invalidSyntax();
}
