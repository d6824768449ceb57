// Splitting a command line by the Microsoft C runtime's rules (see command_line.h).
#include "command_line.h"

namespace nt {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The program name: quotes group, nothing escapes.
size_t takeProgramName(const std::string& line, size_t i, std::string& word) {
  bool quoted = false;
  for (; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (isBlank(c) && !quoted) {
      break;
    } else {
      word += c;
    }
  }
  return i;
}

size_t takeArgument(const std::string& line, size_t i, std::string& word) {
  bool quoted = false;
  while (i < line.size()) {
    const char c = line[i];
    if (isBlank(c) && !quoted) break;
    if (c == '\\') {
      size_t count = 0;
      while (i < line.size() && line[i] == '\\') ++count, ++i;
      if (i < line.size() && line[i] == '"') {
        word.append(count / 2, '\\');
        if (count % 2 == 1) {
          word += '"';
          ++i;
        }
      } else {
        word.append(count, '\\');
      }
      continue;
    }
    if (c == '"') {
      if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        word += '"';
        i += 2;
        continue;
      }
      quoted = !quoted;
      ++i;
      continue;
    }
    word += c;
    ++i;
  }
  return i;
}

}  // namespace

std::vector<std::string> splitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < commandLine.size() && isBlank(commandLine[i])) ++i;
  if (i == commandLine.size()) return words;
  std::string program;
  i = takeProgramName(commandLine, i, program);
  words.push_back(program);
  for (;;) {
    while (i < commandLine.size() && isBlank(commandLine[i])) ++i;
    if (i >= commandLine.size()) break;
    std::string word;
    i = takeArgument(commandLine, i, word);
    words.push_back(word);
  }
  return words;
}

}  // namespace nt
