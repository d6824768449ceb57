// ntevents: lists the Application event log of the machine root for a person to read, or
// its stored lines as they are.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/eventlog.h"
#include "platform/src/eventlog_record.h"
#include "platform/src/paths.h"

namespace {

const char kUsage[] =
    "Usage: ntevents [--source NAME] [--count N] [--raw]\n"
    "Lists the Application event log of the machine root ($NT_ROOT), oldest first.\n"
    "  --source NAME  only the events of this source (letter case ignored)\n"
    "  --count N      only the last N events (after --source)\n"
    "  --raw          the stored lines as they are\n"
    "  --help         this text\n";

struct Options {
  std::string source;
  bool filterSource = false;
  long count = -1;  // -1 = all
  bool raw = false;
};

struct LoggedEvent {
  std::string line;
  nt::EventRecord record;
};

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--raw") {
      options.raw = true;
    } else if (argument == "--source" && hasValue) {
      options.source = argv[++i];
      options.filterSource = true;
    } else if (argument == "--count" && hasValue) {
      const char* text = argv[++i];
      char* end = nullptr;
      options.count = std::strtol(text, &end, 10);
      if (end == text || *end || options.count < 0) return false;
    } else {
      return false;
    }
  }
  return true;
}

// Reads every record of the log; false (with a message) at the first malformed line. A
// missing log has no events.
bool readLog(const std::string& path, std::vector<LoggedEvent>& events) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (!std::filesystem::exists(path)) return true;
    std::fprintf(stderr, "ntevents: %s: cannot read the event log\n", path.c_str());
    return false;
  }
  std::string line;
  for (size_t number = 1; std::getline(in, line); ++number) {
    LoggedEvent event{line, {}};
    if (in.eof() || !nt::parseEventRecord(line, event.record)) {
      std::fprintf(stderr, "ntevents: %s:%zu: malformed event record\n", path.c_str(), number);
      return false;
    }
    events.push_back(std::move(event));
  }
  return true;
}

const char* typeName(WORD type) {
  switch (type) {
    case EVENTLOG_SUCCESS: return "Success";
    case EVENTLOG_ERROR_TYPE: return "Error";
    case EVENTLOG_WARNING_TYPE: return "Warning";
    case EVENTLOG_INFORMATION_TYPE: return "Information";
    case EVENTLOG_AUDIT_SUCCESS: return "Audit Success";
    case EVENTLOG_AUDIT_FAILURE: return "Audit Failure";
    default: return nullptr;
  }
}

// One block per event: a heading line, then each insertion string indented, its own line
// breaks continued at the same indent.
void printEvent(const nt::EventRecord& record) {
  const char* name = typeName(record.type);
  const std::string type = name ? name : "Type " + std::to_string(record.type);
  std::printf("%s  %s  %s  Event ID %u  Category %u  Process %u\n", record.time.c_str(),
              type.c_str(), record.source.c_str(), record.eventId, record.category,
              record.processId);
  for (const std::string& text : record.strings) {
    std::string indented = "    ";
    for (const char c : text) {
      indented += c;
      if (c == '\n') indented += "    ";
    }
    std::printf("%s\n", indented.c_str());
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options options;
  if (!parseOptions(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::vector<LoggedEvent> events;
  if (!readLog(nt::applicationLogPath(), events)) return 1;

  std::vector<const LoggedEvent*> shown;
  for (const LoggedEvent& event : events) {
    if (!options.filterSource || nt::equalNoCase(event.record.source, options.source)) {
      shown.push_back(&event);
    }
  }
  const size_t skip = options.count >= 0 && static_cast<size_t>(options.count) < shown.size()
                          ? shown.size() - static_cast<size_t>(options.count)
                          : 0;
  for (size_t i = skip; i < shown.size(); ++i) {
    if (options.raw) {
      std::printf("%s\n", shown[i]->line.c_str());
    } else {
      printEvent(shown[i]->record);
    }
  }
  return 0;
}
