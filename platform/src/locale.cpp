// GetLocaleInfoA over the host's locale. The host names its locale in the variables LC_ALL,
// LC_MESSAGES and LANG ("de_CH.UTF-8@euro"); the layer derives the Windows locale from that
// text alone, since the host may not have the locale installed. The system default reads
// LC_ALL, then LANG; the user default LC_ALL, then LC_MESSAGES, then LANG. "C", "POSIX", an
// unset or an unknown locale are US English.
#include "locale.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "../winbase.h"
#include "../winerror.h"
#include "host_error.h"

namespace nt {
namespace {

// Flags a caller may add to the LCTYPE that change nothing here.
constexpr LCTYPE kIgnoredFlags = 0x80000000u /*NOUSEROVERRIDE*/ | 0x40000000u /*USE_CP_ACP*/;
constexpr LCID kLocaleNeutral = 0;

// The first set, non-empty host variable of the list (the host's own environment: these
// are the host's locale, not part of the Win32 environment block).
std::string hostLocaleName(std::initializer_list<const char*> variables) {
  for (const char* variable : variables) {
    const char* value = ::getenv(variable);
    if (value && *value) return value;
  }
  return {};
}

// "ll_TT.codeset@modifier" to its row; codeset and modifier are ignored.
const LocaleRow& rowForHostLocale(const std::string& name) {
  const std::string locale = name.substr(0, name.find_first_of(".@"));
  const size_t separator = locale.find_first_of("_-");
  const std::string language = locale.substr(0, separator);
  const std::string territory =
      separator == std::string::npos ? std::string() : locale.substr(separator + 1);
  const LocaleRow* row = findLocaleRow(language, territory);
  return row ? *row : defaultLocaleRow();
}

bool localeValue(const LocaleRow& row, LCTYPE type, std::string& value) {
  switch (type) {
    case LOCALE_SABBREVLANGNAME: value = row.abbreviation; return true;
    case LOCALE_SENGLANGUAGE: value = row.englishLanguage; return true;
    case LOCALE_SISO639LANGNAME: value = row.language; return true;
    case LOCALE_SISO3166CTRYNAME: value = row.territory; return true;
    default: return false;
  }
}

}  // namespace

const LocaleRow* localeFor(LCID locale) {
  switch (locale) {
    case LOCALE_SYSTEM_DEFAULT: return &rowForHostLocale(hostLocaleName({"LC_ALL", "LANG"}));
    case LOCALE_USER_DEFAULT:
    case kLocaleNeutral:
      return &rowForHostLocale(hostLocaleName({"LC_ALL", "LC_MESSAGES", "LANG"}));
    default: return findLocaleRow(static_cast<LANGID>(locale & 0xFFFF));
  }
}

LANGID userDefaultLanguage() { return localeFor(LOCALE_USER_DEFAULT)->languageId; }

}  // namespace nt

int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int dataLength) {
  nt::PreserveErrno keepErrno;
  if (dataLength < 0 || (dataLength > 0 && !data)) return nt::fail(ERROR_INVALID_PARAMETER, 0);
  const nt::LocaleRow* row = nt::localeFor(locale);
  if (!row) return nt::fail(ERROR_INVALID_PARAMETER, 0);
  std::string value;
  if (!nt::localeValue(*row, type & ~nt::kIgnoredFlags, value)) {
    return nt::fail(ERROR_INVALID_FLAGS, 0);
  }
  const int needed = static_cast<int>(value.size()) + 1;
  if (dataLength == 0) return needed;
  if (dataLength < needed) return nt::fail(ERROR_INSUFFICIENT_BUFFER, 0);
  std::memcpy(data, value.c_str(), static_cast<size_t>(needed));
  return needed;
}
