// The host's locale as Windows locales: the system and user default locales derived from
// the host's locale variables, for GetLocaleInfoA and for choosing resource languages.
#pragma once

#include "../wintypes.h"
#include "locale_table.h"

namespace nt {

// The locale an LCID stands for: LOCALE_SYSTEM_DEFAULT and LOCALE_USER_DEFAULT (and the
// neutral 0) from the host's variables, any other by its language identifier. Null when the
// identifier is unknown.
const LocaleRow* localeFor(LCID locale);

// The language identifier of the user's default locale.
LANGID userDefaultLanguage();

}  // namespace nt
