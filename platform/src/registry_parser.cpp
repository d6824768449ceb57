// Parsing of REGEDIT4 text into entries, and applying them to a registry tree (see
// registry_parser.h).
#include "registry_parser.h"

#include <algorithm>
#include <cctype>

#include "../winreg.h"

namespace nt::registry {
namespace {

using Kind = RegFileEntry::Kind;

bool failAt(RegFileError& error, int line, const char* what) {
  error.line = line;
  error.what = what;
  return false;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// Every line of the text; an empty text is one empty line.
std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (true) {
    const size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The whole text as a hex number of 1 to maxDigits digits.
bool parseHexNumber(std::string_view text, size_t maxDigits, uint32_t& number) {
  if (text.empty() || text.size() > maxDigits) return false;
  number = 0;
  for (char c : text) {
    const int digit = hexDigit(c);
    if (digit < 0) return false;
    number = number * 16 + static_cast<uint32_t>(digit);
  }
  return true;
}

// "01,02, ff" as bytes; an empty text is no bytes.
bool parseHexBytes(std::string_view text, std::vector<BYTE>& bytes) {
  bytes.clear();
  if (trim(text).empty()) return true;
  size_t start = 0;
  while (true) {
    const size_t end = std::min(text.find(',', start), text.size());
    uint32_t byte = 0;
    if (!parseHexNumber(trim(text.substr(start, end - start)), 2, byte)) return false;
    bytes.push_back(static_cast<BYTE>(byte));
    if (end == text.size()) return true;
    start = end + 1;
  }
}

// A quoted string at the start of text, with the escapes \\ and \"; rest is what follows
// the closing quote.
bool parseQuoted(std::string_view text, std::string& value, std::string_view& rest) {
  if (text.empty() || text[0] != '"') return false;
  value.clear();
  for (size_t i = 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      rest = text.substr(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
      c = text[++i];
    }
    value += c;
  }
  return false;
}

bool parseValueData(std::string_view data, RegFileEntry& entry) {
  if (data == "-") {
    entry.kind = Kind::DeleteValue;
    return true;
  }
  entry.kind = Kind::SetValue;
  std::string text;
  std::string_view rest;
  if (parseQuoted(data, text, rest)) {
    entry.type = REG_SZ;
    entry.data.assign(text.begin(), text.end());
    entry.data.push_back(0);
    return trim(rest).empty();
  }
  if (startsWithNoCase(data, "dword:")) {
    uint32_t number = 0;
    if (!parseHexNumber(data.substr(6), 8, number)) return false;
    entry.type = REG_DWORD;
    entry.data = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8),
                  static_cast<BYTE>(number >> 16), static_cast<BYTE>(number >> 24)};
    return true;
  }
  if (startsWithNoCase(data, "hex:")) {
    entry.type = REG_BINARY;
    return parseHexBytes(data.substr(4), entry.data);
  }
  const size_t close = data.find("):");
  if (!startsWithNoCase(data, "hex(") || close == std::string_view::npos) return false;
  uint32_t type = 0;
  if (!parseHexNumber(data.substr(4, close - 4), 8, type)) return false;
  entry.type = type;
  return parseHexBytes(data.substr(close + 2), entry.data);
}

bool parseValueLine(std::string_view line, RegFileEntry& entry) {
  std::string_view rest;
  if (line[0] == '@') {
    entry.name.clear();
    rest = line.substr(1);
  } else if (!parseQuoted(line, entry.name, rest)) {
    return false;
  }
  rest = trim(rest);
  if (rest.empty() || rest[0] != '=') return false;
  return parseValueData(trim(rest.substr(1)), entry);
}

bool parseKeyLine(std::string_view line, RegFileEntry& entry, RegFileError& error) {
  if (line.size() < 2 || line.back() != ']') return failAt(error, entry.line, "malformed key line");
  std::string_view name = line.substr(1, line.size() - 2);
  entry.kind = Kind::OpenKey;
  if (!name.empty() && name[0] == '-') {
    entry.kind = Kind::DeleteKey;
    name.remove_prefix(1);
  }
  if (!parseKeyName(name, entry.key)) return failAt(error, entry.line, "unknown root key");
  if (entry.kind == Kind::DeleteKey && isProtectedKey(entry.key)) {
    return failAt(error, entry.line, "this key cannot be deleted");
  }
  return true;
}

bool isHeader(std::string_view line) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (line.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    line.remove_prefix(kByteOrderMark.size());
  }
  return trim(line) == "REGEDIT4";
}

}  // namespace

std::string describeRegFileError(const std::string& file, const RegFileError& error) {
  return file + ":" + std::to_string(error.line) + ": " + error.what;
}

bool parseRegFile(std::string_view text, std::vector<RegFileEntry>& entries,
                  RegFileError& error) {
  entries.clear();
  const std::vector<std::string_view> lines = splitLines(text);
  if (!isHeader(lines[0])) return failAt(error, 1, "missing REGEDIT4 header");
  bool inKey = false;  // value lines belong to the key of the last "[...]" section
  KeyPath openKey;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::string line(trim(lines[i]));
    if (line.empty() || line[0] == ';') continue;
    RegFileEntry entry;
    entry.line = static_cast<int>(i + 1);
    if (line[0] == '[') {
      if (!parseKeyLine(line, entry, error)) return false;
      inKey = entry.kind == Kind::OpenKey;
      openKey = entry.key;
      entries.push_back(std::move(entry));
      continue;
    }
    if (line[0] != '"' && line[0] != '@') return failAt(error, entry.line, "malformed line");
    if (!inKey) return failAt(error, entry.line, "value line outside a key");
    while (line.back() == '\\' && i + 1 < lines.size()) {
      line.pop_back();
      line += trim(lines[++i]);
    }
    entry.key = openKey;
    if (!parseValueLine(line, entry)) return failAt(error, entry.line, "malformed value line");
    entries.push_back(std::move(entry));
  }
  return true;
}

void applyRegFile(const std::vector<RegFileEntry>& entries, Key& top) {
  bool created = false;
  for (const RegFileEntry& entry : entries) {
    switch (entry.kind) {
      case Kind::OpenKey: createKey(top, entry.key, created); break;
      case Kind::DeleteKey: removeKeyTree(top, entry.key); break;
      case Kind::SetValue:
        createKey(top, entry.key, created).setValue(entry.name, entry.type, entry.data);
        break;
      case Kind::DeleteValue:
        if (Key* key = findKey(top, entry.key)) key->removeValue(entry.name);
        break;
    }
  }
}

}  // namespace nt::registry
