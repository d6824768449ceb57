// The stop that precedes the deletion of a service, shared by the supervisor, the setup
// library and the uninstall library.
#pragma once

#include "platform/win32.h"

// Sends the stop control and returns at once when it is accepted. When it is refused, polls
// the status up to five times, one second apart, until it reads stopped.
void stopAndWait(SC_HANDLE service);

// Opens the named service with all access and, when it exists, stops it with stopAndWait and
// deletes it whatever came of the stop. False when the service cannot be opened (it does not
// exist): nothing was done.
bool stopAndDeleteService(SC_HANDLE manager, const char* name);
