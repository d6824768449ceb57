// Values that constProp composes from several parts (paths and path lists). Each is held to
// what the composition buffer of 512 bytes holds: 511 characters.
#pragma once

#include <cstddef>
#include <string>

constexpr size_t kComposedValueLimit = 511;

// Converts the composed value with toForwardSlashes and sets the key to it. A value longer
// than the limit is neither cut nor set: the key keeps what the file had, and an error line
// names it.
void setComposedProperty(int id, const char* key, std::string value);
