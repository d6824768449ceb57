// Changes of a service's status block, each sent at once to the service control manager.
#pragma once

#include <optional>

#include "service.h"

struct StatusChange {
  std::optional<DWORD> state;            // dwCurrentState
  std::optional<DWORD> controlsAccepted; // dwControlsAccepted
  enum { Keep, Increment, Zero } checkPoint = Keep;
};

// Applies the change and sends the whole block with SetServiceStatus; its result.
bool sendStatus(Service& service, const StatusChange& change);

// The current state, read whole.
DWORD currentState(Service& service);

// The status block a record starts with before the dispatcher runs.
SERVICE_STATUS initialStatus();
