// The diagnostic file and standard output as the destination of trace and error lines.
//
// Each line is formatted whole and written with one call, so that lines of different threads
// never mix inside a line; no lock is taken.
#include "diag.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Plain data with nothing to destroy: threads of the program may still write lines while main
// returns, and a library that carries this code may be unloaded.
struct DiagState {
  char path[4096];  // empty: standard output
  int level;
};
DiagState state = {};

std::string formatted(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

// Writes one line to the file, or to standard output when there is no file. A file that
// opened at set-up but cannot be opened again sends that line to standard output.
void writeLine(const std::string& line) {
  FILE* file = state.path[0] ? crt::fopen(state.path, "ab") : nullptr;
  FILE* stream = file ? file : stdout;
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fflush(stream);
  if (file) std::fclose(file);
}

void writeError(int savedErrno, const char* format, va_list args) {
  std::string line = formatted(format, args);
  if (savedErrno != 0) {
    line += ": ";
    line += std::strerror(savedErrno);
  }
  line += '\n';
  writeLine(line);
}

}  // namespace

void diagOpen(const char* path, int level) {
  state.path[0] = '\0';
  // A path too long to keep sends the lines to standard output, as one that cannot be opened.
  if (path && *path && std::strlen(path) < sizeof state.path) {
    if (FILE* file = crt::fopen(path, "ab")) {
      std::fclose(file);
      std::memcpy(state.path, path, std::strlen(path) + 1);
    }
  }
  state.level = level;
}

void diagPrintV(const char* format, va_list args) {
  if (state.level == 0) return;
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%X: ", static_cast<unsigned>(GetCurrentThreadId()));
  writeLine(prefix + formatted(format, args));
}

void diagPrint(const char* format, ...) {
  va_list args;
  va_start(args, format);
  diagPrintV(format, args);
  va_end(args);
}

void diagError(const char* format, ...) {
  const int savedErrno = errno;
  va_list args;
  va_start(args, format);
  writeError(savedErrno, format, args);
  va_end(args);
}

void diagFatal(const char* format, ...) {
  const int savedErrno = errno;
  va_list args;
  va_start(args, format);
  writeError(savedErrno, format, args);
  va_end(args);
  std::exit(1);
}

void diagClose() { state.path[0] = '\0'; }
