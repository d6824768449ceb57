// The NT services that the installation creates: MOXALAgent, and MOXALServer after it.
#pragma once

// Creates the first count services of the fixed table (1: the agent; 2: the agent and the
// server) for the supervisor at "<installationDirectory>\bin\moxalsvc.exe". A service that
// already exists under the same name is stopped and deleted first. With a count of 0 or no
// directory it does nothing. Ends the calling process with status 1 when the service control
// manager cannot be opened; writes an error line for each service that cannot be created and
// goes on with the next.
void installService(const char* installationDirectory, int count);
