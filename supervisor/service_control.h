// The services' entry points (service mains and control handlers) and their binding to the
// service control manager: installation, removal and the dispatcher.
#pragma once

#include <memory>
#include <vector>

#include "platform/win32.h"
#include "service.h"

void runAgent(DWORD argc, LPSTR* argv);
void runServer(DWORD argc, LPSTR* argv);
void ctrlAgent(DWORD control);
void ctrlServer(DWORD control);

void installService(const std::vector<std::unique_ptr<Service>>& services);
void uninstallService(const std::vector<std::unique_ptr<Service>>& services);
void registerServices(const std::vector<std::unique_ptr<Service>>& services);
