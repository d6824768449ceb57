// The stored form of an event record (see eventlog_record.h).
#include "eventlog_record.h"

#include <time.h>

#include <charconv>

#include "machine_root.h"

namespace nt {
namespace {

constexpr size_t kFixedFields = 6;  // time, source, type, category, event id, process id

void appendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
}

bool unescape(std::string_view field, std::string& out) {
  out.clear();
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) return false;
    switch (field[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      default: return false;
    }
  }
  return true;
}

template <typename Number>
bool parseDecimal(std::string_view field, Number& value) {
  if (field.empty()) return false;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && end == field.data() + field.size();
}

// "YYYY-MM-DDTHH:MM:SSZ": digits where digits belong, the separators in place.
bool wellFormedTime(std::string_view time) {
  static constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
  if (time.size() != kShape.size()) return false;
  for (size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = time[i] >= '0' && time[i] <= '9';
    if (kShape[i] == 'd' ? !digit : time[i] != kShape[i]) return false;
  }
  return true;
}

std::vector<std::string_view> splitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

std::string applicationLogPath() { return machineRootPath("eventlog/Application.log"); }

std::string eventTimeNow() {
  const time_t now = ::time(nullptr);
  struct tm utc;
  ::gmtime_r(&now, &utc);
  char text[32];
  ::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

std::string formatEventRecord(const EventRecord& record) {
  std::string line = record.time;
  line += '\t';
  appendEscaped(line, record.source);
  for (const DWORD number : {DWORD{record.type}, DWORD{record.category}, record.eventId,
                             record.processId}) {
    line += '\t';
    line += std::to_string(number);
  }
  for (const std::string& text : record.strings) {
    line += '\t';
    appendEscaped(line, text);
  }
  line += '\n';
  return line;
}

bool parseEventRecord(std::string_view line, EventRecord& record) {
  const std::vector<std::string_view> fields = splitTabs(line);
  if (fields.size() < kFixedFields || !wellFormedTime(fields[0])) return false;
  EventRecord parsed;
  parsed.time = fields[0];
  if (!unescape(fields[1], parsed.source) || !parseDecimal(fields[2], parsed.type) ||
      !parseDecimal(fields[3], parsed.category) || !parseDecimal(fields[4], parsed.eventId) ||
      !parseDecimal(fields[5], parsed.processId)) {
    return false;
  }
  for (size_t i = kFixedFields; i < fields.size(); ++i) {
    if (!unescape(fields[i], parsed.strings.emplace_back())) return false;
  }
  record = std::move(parsed);
  return true;
}

}  // namespace nt
