// One record of the Application event log as it is stored in the machine root, with its
// writer and parser, shared by ReportEventA, the ntevents tool and the tests.
//
// The log is the file eventlog/Application.log under the machine root: one record per line,
// appended by ReportEventA in a single write(2), so records of concurrent processes never
// interleave. A line holds tab-separated fields:
//
//   time TAB source TAB type TAB category TAB eventId TAB processId [TAB string]... LF
//
// time is UTC in ISO 8601 with seconds ("2024-05-01T12:34:56Z"); type, category, event id
// and process id are decimal; the insertion strings follow in order (no field at all when
// the event has none, an empty field for an empty string). In the source and the strings a
// backslash, tab, CR and LF are written "\\", "\t", "\r" and "\n", so a field never holds a
// tab and a record never spans lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "../wintypes.h"

namespace nt {

struct EventRecord {
  std::string time;  // "YYYY-MM-DDTHH:MM:SSZ"
  std::string source;
  WORD type = 0;
  WORD category = 0;
  DWORD eventId = 0;
  DWORD processId = 0;
  std::vector<std::string> strings;

  bool operator==(const EventRecord&) const = default;
};

// The host path of the Application log (its directory created when missing).
std::string applicationLogPath();

// The current time in the record's form.
std::string eventTimeNow();

// The record as one line, ending in LF.
std::string formatEventRecord(const EventRecord& record);

// Parses one line (without its LF); false when it is not a well-formed record.
bool parseEventRecord(std::string_view line, EventRecord& record);

}  // namespace nt
