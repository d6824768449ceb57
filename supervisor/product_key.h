// The product's registry key Software\TARQ\MOXAL\1.0 under HKEY_LOCAL_MACHINE, written by the
// installer and only read here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

constexpr const char* kProductKey = "Software\\TARQ\\MOXAL\\1.0";

// A string value, read in two calls: its size first, then the value into a buffer of that
// size plus 10 bytes. None when the key or the value cannot be read.
std::optional<std::string> readProductString(const char* valueName);

// The DiagLevel value as a 4-byte integer; 0 when the key or the value is absent.
int32_t readDiagLevel();
