// The run and stop engine: a service is alive exactly as long as its Java processes are.
#pragma once

#include "service.h"

// Starts every start command, reports the service running and watches the processes: one
// that ends is reported and not restarted; when the last has ended, or a stop has moved the
// service away from running, reports it stopped and returns.
void runSvc(Service* service);

// Runs the stop commands, waits for them, ends the started processes with exit code 1 and
// reports the service stopped. An absent record does nothing.
void stopSvc(Service* service);

// The command line of a command: the program path (quoted when it holds a blank or a tab)
// and a blank, then the arguments; runSvc's form puts no blank after the last argument and
// skips empty ones, stopSvc's puts one after every argument.
std::string startCommandLine(const ArgumentVector& command);
std::string stopCommandLine(const ArgumentVector& command);
