// Discovery of the installation home and of the default property and diagnostic files.
#pragma once

#include <optional>
#include <string>

// The installation home: the first of the EnvTable's MOXAL_HOME, the inherited MOXAL_HOME
// and the registry's DestDir that holds bin\moxalsvc.exe; else the running program's path
// cut twice at its last backslash (C:\prod\bin\moxalsvc.exe gives C:\prod). None when even
// that path is empty.
std::optional<std::string> findInstallHome(const char* programName);

// The first that exists of MOXAL_PROPERTIES, <home>\classes\properties,
// <HOME>\classes\properties and .\properties; none when none exists.
std::optional<std::string> findDefaultPropertyFile(const char* programName);

// MOXAL_DIAGFILE when set, else the registry's DiagFile, else <home>\moxal.dbg; none when
// there is no home either.
std::optional<std::string> findDefaultDiagFile(const char* programName);

// Cuts a path at its last backslash and then once more at the new last one; a path with one
// backslash is cut once, one without stays whole.
std::string cutTwiceAtBackslash(std::string path);
