// The resource calls on compiled resource scripts: LoadStringA on a resource-only library
// and on the program itself, with Windows truncation and failure results, the choice of
// language, and dialog templates through FindResourceA.
#include <cstring>
#include <string>

#include "platform/tests/fixtures/ntrc_fixture_ids.h"
#include "platform/tests/fixtures/scoped_host_variable.h"
#include "platform/win32.h"
#include "tests/support/nt_test.h"

namespace {

constexpr DWORD kMarker = 0xDEADBEEF;

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fixture_ = LoadLibraryA("ntrc_fixture.dll");
    ASSERT_NE(fixture_, nullptr);
  }
  void TearDown() override { FreeLibrary(fixture_); }

  std::string loadString(UINT id) {
    char buffer[512];
    const int length = LoadStringA(fixture_, id, buffer, sizeof buffer);
    EXPECT_EQ(static_cast<size_t>(length), std::strlen(buffer));
    return buffer;
  }

  HMODULE fixture_ = nullptr;
  const nttest::ScopedHostVariable locale_{"LC_ALL", "en_US.UTF-8"};
};

TEST_F(ResourcesTest, StringsKeepTheirEscapesAndUtf8Text) {
  const struct {
    UINT id;
    const char* text;
  } cases[] = {
      {IDS_PLAIN, "Service started"},
      {IDS_ESCAPES, "tab\there\nline \"quoted\" \"rc quote\" back\\slash"},
      {IDS_UTF8, "Größe: 5 €"},
      {IDS_FAR, "far away"},
  };
  for (const auto& c : cases) EXPECT_EQ(loadString(c.id), c.text) << c.id;
}

TEST_F(ResourcesTest, TextIsCutToTheBufferWithoutWritingPastIt) {
  char buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  SetLastError(kMarker);
  EXPECT_EQ(LoadStringA(fixture_, IDS_PLAIN, buffer, 8), 7);
  EXPECT_EQ(GetLastError(), kMarker);
  EXPECT_STREQ(buffer, "Service");
  EXPECT_EQ(buffer[8], '#');

  // "Größe" is G, r, two bytes for ö, two for ß, e: a cut keeps whole characters.
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(LoadStringA(fixture_, IDS_UTF8, buffer, 4), 2);
  EXPECT_STREQ(buffer, "Gr");
  EXPECT_EQ(LoadStringA(fixture_, IDS_UTF8, buffer, 5), 4);
  EXPECT_STREQ(buffer, "Gr\xC3\xB6");

  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(LoadStringA(fixture_, IDS_PLAIN, buffer, 1), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(buffer[1], '#');
}

TEST_F(ResourcesTest, AbsentIdGivesAnEmptyStringAndNameNotFound) {
  for (const UINT id : {0u, 5u, 300u, 0xFFFFu}) {  // in a known block, and in absent ones
    char buffer[8] = "stale";
    SetLastError(kMarker);
    EXPECT_EQ(LoadStringA(fixture_, id, buffer, sizeof buffer), 0) << id;
    EXPECT_STREQ(buffer, "") << id;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND)) << id;
  }
}

// String tables are chosen by block of 16 ids, as Windows stores them: the German block
// holds IDS_LANGUAGE alone, so its neighbours are absent for a German user, while a block
// that exists only in English still serves.
TEST_F(ResourcesTest, BlockOfTheUsersLanguageIsChosen) {
  EXPECT_EQ(loadString(IDS_LANGUAGE), "English");
  EXPECT_EQ(loadString(IDS_PLAIN), "Service started");
  const nttest::ScopedHostVariable german("LC_ALL", "de_DE.UTF-8");
  EXPECT_EQ(loadString(IDS_LANGUAGE), "Deutsch");
  EXPECT_EQ(loadString(IDS_PLAIN), "");
  EXPECT_EQ(loadString(IDS_FAR), "far away");
}

TEST_F(ResourcesTest, ProgramResourcesAreFoundThroughTheProgramModule) {
  char buffer[64];
  EXPECT_EQ(LoadStringA(nullptr, 40, buffer, sizeof buffer), 16);
  EXPECT_STREQ(buffer, "from the program");
  EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 40, buffer, sizeof buffer), 16);
  // The library's strings are its own, not the program's.
  EXPECT_EQ(LoadStringA(nullptr, IDS_PLAIN, buffer, sizeof buffer), 0);
}

TEST_F(ResourcesTest, DialogTemplateHasTheExtendedBinaryLayout) {
  HRSRC found = FindResourceA(fixture_, MAKEINTRESOURCEA(IDD_STATUS), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(fixture_, found)));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bytes) % 4, 0u);
  const auto word = [&](size_t offset) {
    WORD value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
  };
  const auto dword = [&](size_t offset) {
    DWORD value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
  };
  EXPECT_EQ(word(0), 1);  // DLGTEMPLATEEX version and signature
  EXPECT_EQ(word(2), 0xFFFF);
  // DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, and DS_SETFONT for FONT
  EXPECT_EQ(dword(12), 0x80C800C0u);
  EXPECT_EQ(word(16), 2);  // controls
  EXPECT_EQ(word(22), 370);
  EXPECT_EQ(word(24), 167);
  EXPECT_EQ(word(26), 0);  // no menu
  EXPECT_EQ(word(28), 0);  // the default class
  const std::u16string caption = u"Unregister Status";
  EXPECT_EQ(std::memcmp(bytes + 30, caption.c_str(), (caption.size() + 1) * 2), 0);
  // FONT: point size, weight, italic, charset, typeface; then the first item on a DWORD.
  const size_t font = 30 + (caption.size() + 1) * 2;
  EXPECT_EQ(word(font), 8);
  const std::u16string face = u"MS Sans Serif";
  EXPECT_EQ(std::memcmp(bytes + font + 6, face.c_str(), (face.size() + 1) * 2), 0);
  const size_t item = (font + 6 + (face.size() + 1) * 2 + 3) & ~size_t{3};
  // WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_READONLY, without WS_TABSTOP
  EXPECT_EQ(dword(item + 8), 0x50800804u);
  EXPECT_EQ(dword(item + 20), static_cast<DWORD>(IDC_LOG));
  EXPECT_EQ(word(item + 24), 0xFFFF);
  EXPECT_EQ(word(item + 26), 0x0081);  // the Edit class
  EXPECT_LT(item + 30, SizeofResource(fixture_, found));
}

TEST_F(ResourcesTest, FindResourceTellsWhatIsMissing) {
  SetLastError(kMarker);
  EXPECT_EQ(FindResourceA(fixture_, MAKEINTRESOURCEA(IDD_STATUS), RT_MENU), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(FindResourceA(fixture_, MAKEINTRESOURCEA(999), RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_NE(FindResourceA(fixture_, "#107", RT_DIALOG), nullptr);
  EXPECT_EQ(FindResourceA(GetModuleHandleA("ntplatform.dll"), MAKEINTRESOURCEA(1), RT_STRING),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

}  // namespace
