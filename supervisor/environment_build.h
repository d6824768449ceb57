// Start-up steps that build the Java processes' environment: the homes, the derived search
// paths and database variables, and the copy of the table into the process environment.
#pragma once

#include <optional>
#include <string>

// The item, ";" when both are non-empty, then the list; slashes become backslashes.
std::optional<std::string> prependPath(const std::optional<std::string>& list, const char* item);
// The value, ";" when both are non-empty, then the inherited variable's value; slashes become
// backslashes. Never none.
std::string withInherited(const char* name, const char* value);

// JAVA_HOME, MOXAL_HOME and MOXAL_PROPERTIES in the EnvTable.
void setHomes(const char* programName, const std::optional<std::string>& propertyFilePath);
// Expands every entry and derives PATH, CLASSPATH, LIB and the database variables.
void buildEnvironment();
// Copies the EnvTable into the process environment that children inherit.
void applyEnvironment();
