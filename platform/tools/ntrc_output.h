// ntrc's output: a C++ source that defines the module's resource directory
// (platform/resources.h) as exported data, each resource's bytes in an array of its own.
#pragma once

#include <cstdio>
#include <sstream>
#include <string>

#include "ntrc_binary.h"

namespace ntrc {

namespace output {

inline std::string cString(const std::string& text) {
  if (text.empty()) return "nullptr";
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

inline void writeBytes(std::ostringstream& out, size_t index, const std::vector<uint8_t>& bytes) {
  out << "alignas(4) const BYTE kResource" << index << "[] = {";
  for (size_t i = 0; i < bytes.size(); ++i) {
    out << (i % 16 == 0 ? "\n    " : " ");
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x,", bytes[i]);
    out << hex;
  }
  out << "};\n";
}

}  // namespace output

inline std::string generateSource(const std::vector<Resource>& resources,
                                  const std::string& scriptName) {
  std::ostringstream out;
  out << "// The resource directory compiled by ntrc from " << scriptName
      << "; generated, do not edit.\n"
      << "#include \"platform/resources.h\"\n\n"
      << "namespace {\n\n";
  for (size_t i = 0; i < resources.size(); ++i) output::writeBytes(out, i, resources[i].bytes);
  if (!resources.empty()) {
    out << "\nconst NT_RESOURCE_ENTRY kEntries[] = {\n";
    for (size_t i = 0; i < resources.size(); ++i) {
      const Resource& r = resources[i];
      out << "    {" << r.type.id << ", " << r.name.id << ", " << r.language << ", 0, "
          << output::cString(r.type.name) << ", " << output::cString(r.name.name) << ", "
          << r.bytes.size() << ", kResource" << i << "},\n";
    }
    out << "};\n";
  }
  out << "\n}  // namespace\n\n"
      << "extern \"C\" {\n"
      << "extern __attribute__((visibility(\"default\"))) const NT_RESOURCE_DIRECTORY "
         "ntResourceDirectory;\n"
      << "const NT_RESOURCE_DIRECTORY ntResourceDirectory = {NT_RESOURCE_MAGIC, "
         "NT_RESOURCE_VERSION, "
      << resources.size() << ", " << (resources.empty() ? "nullptr" : "kEntries") << "};\n"
      << "}\n";
  return out.str();
}

}  // namespace ntrc
