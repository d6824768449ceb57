// expandVars.
#include "expand_vars.h"

#include <string_view>

#include "env_table.h"
#include "file_search.h"
#include "java_discovery.h"
#include "platform/win32.h"

namespace {

// Appends the value of a name: the EnvTable's, the inherited, or a built-in one.
// A failed allocation earlier leaves the whole result none.
std::optional<std::string> appendValue(std::optional<std::string> result, const std::string& name) {
  if (!result) return result;
  if (const char* value = envGet(name.c_str())) return copy(result, value);
  if (const char* value = crt::getenv(name.c_str())) return copy(result, value);
  if (const auto value = getPrivateEnv(name.c_str())) return copy(result, value->c_str());
  return result;
}

std::optional<std::string> appendText(std::optional<std::string> result, std::string_view text) {
  if (!result) return result;
  return copy(result, std::string(text).c_str());
}

}  // namespace

std::optional<std::string> expandVars(const char* text) {
  if (!text || !*text) return text ? std::optional<std::string>(text) : std::nullopt;
  const std::string_view source(text);
  std::optional<std::string> result = std::string();
  size_t at = 0;
  while (result && at < source.size()) {
    const size_t dollar = source.find('$', at);
    if (dollar == std::string_view::npos) {
      result = appendText(result, source.substr(at));
      break;
    }
    result = appendText(result, source.substr(at, dollar - at));
    if (dollar + 1 < source.size() && source[dollar + 1] == '{') {
      const size_t close = source.find('}', dollar + 2);
      if (close == std::string_view::npos) {
        result = appendText(result, source.substr(dollar));
        break;
      }
      result = appendValue(result, std::string(source.substr(dollar + 2, close - dollar - 2)));
      at = close + 1;
    } else {
      size_t end = source.find_first_of("/:;\\", dollar + 1);
      if (end == std::string_view::npos) end = source.size();
      result = appendValue(result, std::string(source.substr(dollar + 1, end - dollar - 1)));
      at = end;
    }
  }
  if (result) toBackslashes(*result);
  return result;
}
