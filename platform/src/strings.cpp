// String comparisons and formatting of the C runtime and of Win32: _stricmp, _strnicmp,
// lstrcmpA, lstrcmpiA, lstrlenA and wsprintfA.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "../crt.h"
#include "../winbase.h"

namespace {

int foldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

int sign(int value) { return (value > 0) - (value < 0); }

// The buffer size wsprintfA writes at most, its terminating NUL included.
constexpr size_t kWsprintfLimit = 1024;

}  // namespace

int _stricmp(const char* a, const char* b) { return _strnicmp(a, b, static_cast<size_t>(-1)); }

int _strnicmp(const char* a, const char* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const int ca = foldAscii(static_cast<unsigned char>(a[i]));
    const int cb = foldAscii(static_cast<unsigned char>(b[i]));
    if (ca != cb || ca == 0) return ca - cb;
  }
  return 0;
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
  if (!a || !b) return (a != nullptr) - (b != nullptr);
  return sign(std::strcmp(a, b));
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
  if (!a || !b) return (a != nullptr) - (b != nullptr);
  return sign(_stricmp(a, b));
}

int lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  const int wanted = std::vsnprintf(buffer, kWsprintfLimit, format, args);
  va_end(args);
  if (wanted < 0) return 0;
  return std::min(wanted, static_cast<int>(kWsprintfLimit - 1));
}
