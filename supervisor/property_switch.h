// The property file's on/off switches.
#pragma once

// On for a non-empty value whose atoi is not 0: "1" is on, "true" is off.
bool propertySwitchOn(int propertySetId, const char* key);
