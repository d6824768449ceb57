// Which services exist (from moxal.services) and the building of their records.
#pragma once

#include <memory>

#include "service.h"

constexpr const char* kAgentName = "MOXALAgent";
constexpr const char* kServerName = "MOXALServer";
constexpr const char* kAgentClass = "tarq.admin.arm.agents.AgentObjFactoryImpl";
constexpr const char* kServerClasses[] = {"tarq.admin.arm.rmi.ManagedObjFactoryImpl",
                                          "tarq.admin.arm.agents.NetClassServerImpl"};

// 0: no service; 1: the agent; 2: the agent and the server. The last name in moxal.services
// that names a known class decides.
int servicesLevel(int propertySetId);

// Appends the agent's record for level 1 or more, and the server's after it for level 2.
void buildServiceList(int propertySetId, int level);

// A new record with its start and stop commands built from the class names; none when it
// cannot be allocated.
std::unique_ptr<Service> constructServiceListEngine(const char* name, const char* displayName,
                                    const char* const* startClasses, int startCount,
                                    const char* const* stopClasses, int stopCount,
                                    LPSERVICE_MAIN_FUNCTIONA serviceMain,
                                    LPHANDLER_FUNCTION controlHandler, int propertySetId);

// The first record of the service list with exactly this name, or none.
Service* findService(const char* name);
Service* findAgentService();
Service* findServerService();
