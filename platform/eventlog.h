// The application event log of the local machine, kept in the machine root (see
// docs/ARCHITECTURE.md, "Event log"): one record per ReportEventA, with time, source, type,
// category, event id and its insertion strings.
#pragma once

#include "wintypes.h"

#define EVENTLOG_SUCCESS 0x0000
#define EVENTLOG_ERROR_TYPE 0x0001
#define EVENTLOG_WARNING_TYPE 0x0002
#define EVENTLOG_INFORMATION_TYPE 0x0004
#define EVENTLOG_AUDIT_SUCCESS 0x0008
#define EVENTLOG_AUDIT_FAILURE 0x0010

typedef void* PSID;

// Only the local machine exists here: a non-empty server name fails with
// RPC_S_SERVER_UNAVAILABLE (1722).
HANDLE RegisterEventSourceA(LPCSTR serverName, LPCSTR sourceName);
// The insertion strings may total 32 KiB at most (ERROR_INVALID_PARAMETER beyond); the
// binary data is not kept.
BOOL ReportEventA(HANDLE eventLog, WORD type, WORD category, DWORD eventId, PSID userSid,
                  WORD numStrings, DWORD dataSize, LPCSTR* strings, LPVOID rawData);
BOOL DeregisterEventSource(HANDLE eventLog);
