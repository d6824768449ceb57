// Expansion of variable references in configured values: ${NAME}, and $NAME up to the first
// "/", ":", ";" or "\".
#pragma once

#include <optional>
#include <string>

// The text with every reference replaced by the value of the EnvTable, else the inherited
// environment, else the built-in variables; an unknown name expands to nothing and an
// unterminated "${" stays as it is. Every "/" of the result becomes "\". An absent or empty
// text is returned as it is; none when the result cannot be allocated.
std::optional<std::string> expandVars(const char* text);
