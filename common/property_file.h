// Loading a property file into a property set.
#pragma once

#include <cstdio>
#include <vector>

#include "property_parser.h"

// Reads the file into a new set and returns its id (1 or more); 0 when the file cannot be
// opened or read. An absent or empty path gives the id of an empty, unregistered set.
int loadProperties(const char* path);

// Reads the whole open file and yields its pairs: 0 on success, 1 when the file is absent or
// the read falls short.
int readProp(FILE* file, std::vector<PropertyPair>& pairs);
