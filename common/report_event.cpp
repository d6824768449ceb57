// Error events in the local machine's application event log.
#include <cstdio>

#include "diag.h"

void reportEvent(const char* text, const char* source, WORD type) {
  HANDLE eventLog = RegisterEventSourceA(nullptr, source);
  if (!eventLog) return;
  // The last error is read after the registration, as the event's first string shows it.
  char first[256];
  std::snprintf(first, sizeof first, "%s error: %X", source ? source : "",
                static_cast<unsigned>(GetLastError()));
  const char* strings[2] = {first, text ? text : ""};
  ReportEventA(eventLog, type, /*category=*/0, /*eventId=*/0, /*userSid=*/nullptr,
               /*numStrings=*/2, /*dataSize=*/0, strings, /*rawData=*/nullptr);
  DeregisterEventSource(eventLog);
}
