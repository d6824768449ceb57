// Writing REGEDIT4 text (see registry_writer.h). A REG_SZ value is written as a quoted
// string only when that reads back to the same bytes (one terminating NUL, no other NUL, no
// line break); any other data is written as hex bytes with its type, so every value
// round-trips exactly.
#include "registry_writer.h"

#include <algorithm>
#include <cstdio>

#include "../winreg.h"

namespace nt::registry {
namespace {

void appendQuoted(std::string& out, const std::string& text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

bool writableAsString(const Value& value) {
  if (value.type != REG_SZ || value.data.empty() || value.data.back() != 0) return false;
  return std::none_of(value.data.begin(), value.data.end() - 1,
                      [](BYTE b) { return b == 0 || b == '\r' || b == '\n'; });
}

void appendHexBytes(std::string& out, const std::vector<BYTE>& data) {
  char byte[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(byte, sizeof byte, i ? ",%02x" : "%02x", data[i]);
    out += byte;
  }
}

void appendData(std::string& out, const Value& value) {
  char prefix[24];
  if (writableAsString(value)) {
    appendQuoted(out, std::string(value.data.begin(), value.data.end() - 1));
  } else if (value.type == REG_DWORD && value.data.size() == 4) {
    const uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                            static_cast<uint32_t>(value.data[3]) << 24;
    std::snprintf(prefix, sizeof prefix, "dword:%08x", number);
    out += prefix;
  } else {
    if (value.type == REG_BINARY) std::snprintf(prefix, sizeof prefix, "hex:");
    else std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    out += prefix;
    appendHexBytes(out, value.data);
  }
}

void appendValue(std::string& out, const Value& value) {
  if (value.name.empty()) out += '@';
  else appendQuoted(out, value.name);
  out += '=';
  appendData(out, value);
  out += '\n';
}

}  // namespace

std::string regFileHeader() { return "REGEDIT4\n\n"; }

void writeKeyTree(std::string& out, const Key& key, const std::string& displayName) {
  out += '[' + displayName + "]\n";
  for (const Value& value : key.values) appendValue(out, value);
  out += '\n';
  for (const Key& subkey : key.subkeys) writeKeyTree(out, subkey, displayName + '\\' + subkey.name);
}

std::string formatRegistry(const Key& top) {
  std::string out = regFileHeader();
  for (const Key& hive : top.subkeys) writeKeyTree(out, hive, hive.name);
  return out;
}

}  // namespace nt::registry
