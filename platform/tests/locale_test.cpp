// GetLocaleInfoA: the Windows locale derived from the text of the host's locale
// variables, and the Windows buffer rules.
#include <cstring>
#include <string>

#include "platform/tests/fixtures/scoped_host_variable.h"
#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

constexpr DWORD kMarker = 0xDEADBEEF;

std::string localeInfo(LCID locale, LCTYPE type) {
  char buffer[64];
  const int length = GetLocaleInfoA(locale, type, buffer, sizeof buffer);
  return length > 0 ? std::string(buffer) : "<failed " + std::to_string(GetLastError()) + ">";
}

TEST(GetLocaleInfo, AbbreviationFollowsTheHostLocaleVariables) {
  const struct {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    LCID locale;
    const char* expected;
  } cases[] = {
      {nullptr, nullptr, "de_DE.UTF-8", LOCALE_SYSTEM_DEFAULT, "DEU"},
      {nullptr, nullptr, "en_US", LOCALE_SYSTEM_DEFAULT, "ENU"},
      {nullptr, nullptr, "en_GB.UTF-8", LOCALE_SYSTEM_DEFAULT, "ENG"},
      {nullptr, nullptr, "fr_CA", LOCALE_SYSTEM_DEFAULT, "FRC"},
      {nullptr, nullptr, "de_CH", LOCALE_SYSTEM_DEFAULT, "DES"},
      {nullptr, nullptr, "de_AT@euro", LOCALE_SYSTEM_DEFAULT, "DEA"},
      {nullptr, nullptr, "es_ES.ISO-8859-15@euro", LOCALE_SYSTEM_DEFAULT, "ESP"},
      {nullptr, nullptr, "pt_BR", LOCALE_SYSTEM_DEFAULT, "PTB"},
      {nullptr, nullptr, "pt_PT", LOCALE_SYSTEM_DEFAULT, "PTG"},
      {nullptr, nullptr, "zh_CN.GB18030", LOCALE_SYSTEM_DEFAULT, "CHS"},
      {nullptr, nullptr, "zh_TW", LOCALE_SYSTEM_DEFAULT, "CHT"},
      {nullptr, nullptr, "nb_NO", LOCALE_SYSTEM_DEFAULT, "NOR"},
      {nullptr, nullptr, "pl_PL", LOCALE_SYSTEM_DEFAULT, "PLK"},
      {nullptr, nullptr, "cs_CZ", LOCALE_SYSTEM_DEFAULT, "CSY"},
      {nullptr, nullptr, "tr_TR", LOCALE_SYSTEM_DEFAULT, "TRK"},
      {nullptr, nullptr, "de", LOCALE_SYSTEM_DEFAULT, "DEU"},      // primary territory
      {nullptr, nullptr, "fr_XX", LOCALE_SYSTEM_DEFAULT, "FRA"},   // unknown territory
      {nullptr, nullptr, "xx_YY", LOCALE_SYSTEM_DEFAULT, "ENU"},   // unknown language
      {nullptr, nullptr, "C", LOCALE_SYSTEM_DEFAULT, "ENU"},
      {nullptr, nullptr, "POSIX", LOCALE_SYSTEM_DEFAULT, "ENU"},
      {nullptr, nullptr, "C.UTF-8", LOCALE_SYSTEM_DEFAULT, "ENU"},
      {nullptr, nullptr, nullptr, LOCALE_SYSTEM_DEFAULT, "ENU"},
      {"ja_JP", nullptr, "de_DE", LOCALE_SYSTEM_DEFAULT, "JPN"},   // LC_ALL wins
      {"", nullptr, "sv_SE", LOCALE_SYSTEM_DEFAULT, "SVE"},        // empty is unset
      {nullptr, "it_IT", "nl_NL", LOCALE_SYSTEM_DEFAULT, "NLD"},   // the system ignores messages
      {nullptr, "it_IT", "nl_NL", LOCALE_USER_DEFAULT, "ITA"},     // the user does not
      {nullptr, nullptr, "ko_KR", LOCALE_USER_DEFAULT, "KOR"},
      {nullptr, nullptr, "C", 0x0407, "DEU"},                      // a given language id
  };
  for (const auto& c : cases) {
    const nttest::ScopedHostVariable lcAll("LC_ALL", c.lcAll);
    const nttest::ScopedHostVariable lcMessages("LC_MESSAGES", c.lcMessages);
    const nttest::ScopedHostVariable lang("LANG", c.lang);
    EXPECT_EQ(localeInfo(c.locale, LOCALE_SABBREVLANGNAME), c.expected)
        << "LC_ALL=" << (c.lcAll ? c.lcAll : "(unset)") << " LANG=" << (c.lang ? c.lang : "(unset)");
  }
}

TEST(GetLocaleInfo, IsoNamesAndEnglishLanguageName) {
  const nttest::ScopedHostVariable lcAll("LC_ALL", "de_CH.UTF-8");
  EXPECT_EQ(localeInfo(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME), "de");
  EXPECT_EQ(localeInfo(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME), "CH");
  EXPECT_EQ(localeInfo(LOCALE_USER_DEFAULT, LOCALE_SENGLANGUAGE), "German");
}

TEST(GetLocaleInfo, BufferRulesAndBadArguments) {
  const nttest::ScopedHostVariable lcAll("LC_ALL", "en_US");
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  SetLastError(kMarker);
  EXPECT_EQ(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SABBREVLANGNAME, nullptr, 0), 4);
  EXPECT_EQ(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SABBREVLANGNAME, buffer, 4), 4);
  EXPECT_EQ(GetLastError(), kMarker);
  EXPECT_STREQ(buffer, "ENU");

  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_SABBREVLANGNAME, buffer, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));

  EXPECT_EQ(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, 0x7777, buffer, sizeof buffer), 0);
  EXPECT_EQ(GetLastError(), 1004u);  // ERROR_INVALID_FLAGS
  EXPECT_EQ(GetLocaleInfoA(0x0499, LOCALE_SABBREVLANGNAME, buffer, sizeof buffer), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
