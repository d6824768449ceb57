// The stop that precedes the deletion of a service, shared by the supervisor, the setup
// library and the uninstall library.
#pragma once

#include "platform/win32.h"

// Sends the stop control and returns at once when it is accepted. When it is refused, polls
// the status up to five times, one second apart, until it reads stopped.
void stopAndWait(SC_HANDLE service);
