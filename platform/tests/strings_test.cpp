// String comparison and formatting, and code-page conversion, as Windows callers use them.
#include <string>

#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

TEST(StringsTest, CaseInsensitiveComparisons) {
  EXPECT_EQ(_stricmp("-Install", "-INSTALL"), 0);
  EXPECT_LT(_stricmp("abc", "abd"), 0);
  EXPECT_GT(_stricmp("abc", "ab"), 0);
  EXPECT_EQ(_strnicmp("0X1F", "0x", 2), 0);
  EXPECT_NE(_strnicmp("01F", "0x", 2), 0);
  EXPECT_EQ(_strnicmp("a", "b", 0), 0);
  EXPECT_EQ(lstrcmpiA("MOXALAgent", "moxalagent"), 0);
  EXPECT_NE(lstrcmpA("MOXALAgent", "moxalagent"), 0);
  EXPECT_EQ(lstrlenA(nullptr), 0);
}

TEST(StringsTest, WsprintfNeverWritesMoreThan1024Bytes) {
  std::string big(2000, 'x');
  char buffer[1100];
  std::fill(std::begin(buffer), std::end(buffer), '#');
  EXPECT_EQ(wsprintfA(buffer, "%s", big.c_str()), 1023);
  EXPECT_EQ(buffer[1023], '\0');
  EXPECT_EQ(buffer[1024], '#');
  EXPECT_EQ(wsprintfA(buffer, "svc%s.dll", "DEU"), 10);
  EXPECT_STREQ(buffer, "svcDEU.dll");
}

TEST(StringsTest, ConvertsBetweenAnsiAndUtf16) {
  const char* text = "C:\\Programme\\M\xC3\xBCller";  // "Müller" in the ANSI code page
  WCHAR wide[64];
  const int wideLength = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 64);
  ASSERT_EQ(wideLength, 20);  // with the NUL
  EXPECT_EQ(wide[14], u'\u00FC');

  char back[64];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, back, sizeof back, nullptr, nullptr), 21);
  EXPECT_STREQ(back, text);

  // Size query, then a buffer one byte short: refused, nothing written past it.
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr), 21);
  char shortBuffer[21];
  shortBuffer[20] = '#';
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, shortBuffer, 20, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(shortBuffer[20], '#');
}

TEST(StringsTest, InvalidInputIsReplacedOrRefused) {
  const char invalid[] = "a\xFF" "b";
  WCHAR wide[8];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, invalid, 3, wide, 8), 3);
  EXPECT_EQ(wide[1], u'\uFFFD');
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, invalid, 3, wide, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
  EXPECT_EQ(MultiByteToWideChar(1252, 0, invalid, 3, wide, 8), 0);  // no such code page here
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  const WCHAR lone[] = {u'a', 0xD800, u'b'};
  char out[16];
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 3, out, sizeof out, nullptr, &usedDefault), 5);
  EXPECT_TRUE(usedDefault);
}

}  // namespace
