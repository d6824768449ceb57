// Reading and writing the service database file (see scm_database.h).
#include "scm_database.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "host_calls.h"
#include "unique_fd.h"

namespace nt::scm {
namespace {

constexpr char kHeader[] =
    "; Service database of the machine root's service control manager (ntscm).\n"
    "; Written whole by ntscm; change it with the SC calls or ntsc, not by hand.\n";

std::string escape(const std::string& text) {
  std::string out;
  for (const unsigned char c : text) {
    if (c < 0x20 || c == 0x7F || c == '%') {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", c);
      out += code;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

std::string format(const std::vector<ServiceConfig>& services) {
  std::string out = kHeader;
  for (const ServiceConfig& s : services) {
    out += "\n[" + escape(s.name) + "]\n";
    out += "Serial=" + std::to_string(s.serial) + "\n";
    out += "DisplayName=" + escape(s.displayName) + "\n";
    out += "Type=" + hex(s.type) + "\n";
    out += "Start=" + std::to_string(s.startType) + "\n";
    out += "ErrorControl=" + std::to_string(s.errorControl) + "\n";
    out += "ImagePath=" + escape(s.binaryPath) + "\n";
    out += "Group=" + escape(s.loadOrderGroup) + "\n";
    out += "ObjectName=" + escape(s.startName) + "\n";
    for (const std::string& dependency : s.dependencies)
      out += "Depend=" + escape(dependency) + "\n";
    if (s.deletePending) out += "DeletePending=1\n";
  }
  return out;
}

DWORD numberOf(const std::string& text) {
  return static_cast<DWORD>(std::strtoul(text.c_str(), nullptr, 0));
}

void applyValue(ServiceConfig& s, const std::string& key, const std::string& value) {
  if (key == "Serial")
    s.serial = std::strtoull(value.c_str(), nullptr, 10);
  else if (key == "DisplayName")
    s.displayName = value;
  else if (key == "Type")
    s.type = numberOf(value);
  else if (key == "Start")
    s.startType = numberOf(value);
  else if (key == "ErrorControl")
    s.errorControl = numberOf(value);
  else if (key == "ImagePath")
    s.binaryPath = value;
  else if (key == "Group")
    s.loadOrderGroup = value;
  else if (key == "ObjectName")
    s.startName = value;
  else if (key == "Depend")
    s.dependencies.push_back(value);
  else if (key == "DeletePending")
    s.deletePending = value == "1";
}

}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return ::strcasecmp(a.c_str(), b.c_str()) < 0;
}

std::vector<ServiceConfig> loadDatabase(const std::string& hostPath) {
  std::vector<ServiceConfig> services;
  std::ifstream in(hostPath, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      services.emplace_back().name = unescape(line.substr(1, line.size() - 2));
      continue;
    }
    const size_t equals = line.find('=');
    if (services.empty() || line.empty() || line[0] == ';' || equals == std::string::npos) continue;
    applyValue(services.back(), line.substr(0, equals), unescape(line.substr(equals + 1)));
  }
  return services;
}

bool saveDatabase(const std::string& hostPath, const std::vector<ServiceConfig>& services) {
  const std::string text = format(services);
  const std::string temporary = hostPath + ".tmp";
  UniqueFd fd(host::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
  if (!fd.valid()) return false;
  const bool written =
      host::writeAll(fd.get(), text.data(), text.size()) >= 0 && host::fsync(fd.get()) == 0;
  fd.reset();
  if (written && host::rename(temporary.c_str(), hostPath.c_str()) == 0) return true;
  const int saved = errno;
  ::unlink(temporary.c_str());
  errno = saved;
  return false;
}

}  // namespace nt::scm
