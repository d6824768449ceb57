// The supervisor's settings: filled during start-up and fixed afterwards, then read by every
// thread without locks.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "service.h"

enum ActionBits : uint32_t {
  ACT_START_AGENT = 0x01,
  ACT_STOP_AGENT = 0x02,
  ACT_START_SERVER = 0x04,
  ACT_STOP_SERVER = 0x08,
  ACT_INSTALL = 0x10,
  ACT_UNINSTALL = 0x20,
};

struct SupervisorSettings {
  std::optional<std::string> propertyFilePath;
  int32_t diagLevel = 0;
  std::optional<std::string> diagFilePath;
  uint32_t actions = 0;
  bool launchWithCreateProcess = false;  // false: the C runtime's spawn
  int propertySetId = 0;
  // The records live as long as the process: the dispatcher and the control handlers use them.
  std::vector<std::unique_ptr<Service>> services;  // agent first, then server
};

// Lives until the process is gone and is never destroyed: service threads may still read their
// records while main returns, as on Windows, where the process ends with its data intact.
extern SupervisorSettings& settings;

// The text of an optional string for calls that take none as a null pointer.
inline const char* cstrOrNull(const std::optional<std::string>& text) {
  return text ? text->c_str() : nullptr;
}
