// The locales the layer knows: each host language and territory with the Windows language
// identifier, three-letter abbreviation and English language name that go with it.
#pragma once

#include <string_view>

#include "../wintypes.h"

namespace nt {

struct LocaleRow {
  const char* language;     // ISO 639 code, lower case ("de")
  const char* territory;    // ISO 3166 code, upper case ("DE")
  const char* abbreviation;  // LOCALE_SABBREVLANGNAME ("DEU")
  LANGID languageId;
  const char* englishLanguage;  // LOCALE_SENGLANGUAGE ("German")
};

// The row of the language and territory; a known language with an unknown or empty
// territory gives the language's primary row. Null for an unknown language.
const LocaleRow* findLocaleRow(std::string_view language, std::string_view territory);

// The row of a Windows language identifier; null when it is not in the table.
const LocaleRow* findLocaleRow(LANGID languageId);

// The row used when the host names no known locale: US English.
const LocaleRow& defaultLocaleRow();

}  // namespace nt
