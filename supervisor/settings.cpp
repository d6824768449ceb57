// The one SupervisorSettings of the process.
#include "settings.h"

SupervisorSettings& settings = *new SupervisorSettings();
