// The table of known locales (see locale_table.h). Language identifiers and abbreviations
// are the public Windows values. The first row of each language is its primary one.
#include "locale_table.h"

#include <strings.h>

#include <string>

namespace nt {
namespace {

constexpr LocaleRow kLocales[] = {
    {"en", "US", "ENU", 0x0409, "English"},
    {"en", "GB", "ENG", 0x0809, "English"},
    {"en", "AU", "ENA", 0x0C09, "English"},
    {"en", "CA", "ENC", 0x1009, "English"},
    {"en", "NZ", "ENZ", 0x1409, "English"},
    {"en", "IE", "ENI", 0x1809, "English"},
    {"de", "DE", "DEU", 0x0407, "German"},
    {"de", "CH", "DES", 0x0807, "German"},
    {"de", "AT", "DEA", 0x0C07, "German"},
    {"de", "LU", "DEL", 0x1007, "German"},
    {"de", "LI", "DEC", 0x1407, "German"},
    {"fr", "FR", "FRA", 0x040C, "French"},
    {"fr", "BE", "FRB", 0x080C, "French"},
    {"fr", "CA", "FRC", 0x0C0C, "French"},
    {"fr", "CH", "FRS", 0x100C, "French"},
    {"fr", "LU", "FRL", 0x140C, "French"},
    {"es", "ES", "ESP", 0x040A, "Spanish"},
    {"es", "MX", "ESM", 0x080A, "Spanish"},
    {"it", "IT", "ITA", 0x0410, "Italian"},
    {"it", "CH", "ITS", 0x0810, "Italian"},
    {"nl", "NL", "NLD", 0x0413, "Dutch"},
    {"nl", "BE", "NLB", 0x0813, "Dutch"},
    {"pt", "BR", "PTB", 0x0416, "Portuguese"},
    {"pt", "PT", "PTG", 0x0816, "Portuguese"},
    {"sv", "SE", "SVE", 0x041D, "Swedish"},
    {"sv", "FI", "SVF", 0x081D, "Swedish"},
    {"da", "DK", "DAN", 0x0406, "Danish"},
    {"nb", "NO", "NOR", 0x0414, "Norwegian"},
    {"no", "NO", "NOR", 0x0414, "Norwegian"},
    {"nn", "NO", "NON", 0x0814, "Norwegian"},
    {"fi", "FI", "FIN", 0x040B, "Finnish"},
    {"is", "IS", "ISL", 0x040F, "Icelandic"},
    {"ja", "JP", "JPN", 0x0411, "Japanese"},
    {"ko", "KR", "KOR", 0x0412, "Korean"},
    {"zh", "CN", "CHS", 0x0804, "Chinese"},
    {"zh", "TW", "CHT", 0x0404, "Chinese"},
    {"zh", "HK", "ZHH", 0x0C04, "Chinese"},
    {"zh", "SG", "ZHI", 0x1004, "Chinese"},
    {"ru", "RU", "RUS", 0x0419, "Russian"},
    {"pl", "PL", "PLK", 0x0415, "Polish"},
    {"cs", "CZ", "CSY", 0x0405, "Czech"},
    {"sk", "SK", "SKY", 0x041B, "Slovak"},
    {"sl", "SI", "SLV", 0x0424, "Slovenian"},
    {"hr", "HR", "HRV", 0x041A, "Croatian"},
    {"hu", "HU", "HUN", 0x040E, "Hungarian"},
    {"ro", "RO", "ROM", 0x0418, "Romanian"},
    {"bg", "BG", "BGR", 0x0402, "Bulgarian"},
    {"uk", "UA", "UKR", 0x0422, "Ukrainian"},
    {"el", "GR", "ELL", 0x0408, "Greek"},
    {"tr", "TR", "TRK", 0x041F, "Turkish"},
    {"he", "IL", "HEB", 0x040D, "Hebrew"},
    {"ca", "ES", "CAT", 0x0403, "Catalan"},
};

bool sameCode(std::string_view code, const char* known) {
  return code.size() == std::char_traits<char>::length(known) &&
         ::strncasecmp(code.data(), known, code.size()) == 0;
}

}  // namespace

const LocaleRow* findLocaleRow(std::string_view language, std::string_view territory) {
  const LocaleRow* primary = nullptr;
  for (const LocaleRow& row : kLocales) {
    if (!sameCode(language, row.language)) continue;
    if (sameCode(territory, row.territory)) return &row;
    if (!primary) primary = &row;
  }
  return primary;
}

const LocaleRow* findLocaleRow(LANGID languageId) {
  for (const LocaleRow& row : kLocales) {
    if (row.languageId == languageId) return &row;
  }
  return nullptr;
}

const LocaleRow& defaultLocaleRow() { return kLocales[0]; }

}  // namespace nt
