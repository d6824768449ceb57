// Code-page conversion between 8-bit text and UTF-16. The ANSI code page of this host is
// UTF-8 (65001): CP_ACP, CP_OEMCP and CP_UTF8 all convert UTF-8. Invalid input becomes
// U+FFFD, or fails with ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS.
#include <cstring>
#include <string>

#include "../winbase.h"
#include "../winerror.h"
#include "host_error.h"

namespace {

using nt::fail;

constexpr char32_t kReplacement = 0xFFFD;

bool knownCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_UTF8;
}

// Decodes one UTF-8 sequence; false for an invalid one (then one byte is consumed).
bool decodeUtf8(const unsigned char* p, size_t available, char32_t& code, size_t& used) {
  used = 1;
  const unsigned char lead = p[0];
  if (lead < 0x80) {
    code = lead;
    return true;
  }
  size_t length;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) { length = 2; code = lead & 0x1F; minimum = 0x80; }
  else if ((lead & 0xF0) == 0xE0) { length = 3; code = lead & 0x0F; minimum = 0x800; }
  else if ((lead & 0xF8) == 0xF0) { length = 4; code = lead & 0x07; minimum = 0x10000; }
  else return false;
  if (available < length) return false;
  for (size_t i = 1; i < length; ++i) {
    if ((p[i] & 0xC0) != 0x80) return false;
    code = (code << 6) | (p[i] & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  used = length;
  return true;
}

void appendUtf16(std::u16string& out, char32_t code) {
  if (code < 0x10000) {
    out += static_cast<char16_t>(code);
  } else {
    code -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (code >> 10));
    out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
  }
}

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Copies a converted text into the caller's buffer, or reports the size needed with a
// length of 0. Never writes past the caller's buffer.
template <typename Char>
int deliver(const std::basic_string<Char>& converted, Char* out, int outLength) {
  const int needed = static_cast<int>(converted.size());
  if (outLength == 0) return needed;
  if (!out || outLength < needed) return fail(ERROR_INSUFFICIENT_BUFFER, 0);
  std::memcpy(out, converted.data(), converted.size() * sizeof(Char));
  return needed;
}

}  // namespace

UINT GetACP() { return CP_UTF8; }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength,
                        LPWSTR wideChar, int wideCharLength) {
  if (!knownCodePage(codePage) || !multiByte || multiByteLength == 0 || wideCharLength < 0) {
    return fail(ERROR_INVALID_PARAMETER, 0);
  }
  // A length of -1 converts up to and including the terminating NUL.
  const size_t length = multiByteLength < 0 ? std::strlen(multiByte) + 1 : multiByteLength;
  const auto* bytes = reinterpret_cast<const unsigned char*>(multiByte);
  std::u16string converted;
  for (size_t i = 0; i < length;) {
    char32_t code;
    size_t used;
    if (!decodeUtf8(bytes + i, length - i, code, used)) {
      if (flags & MB_ERR_INVALID_CHARS) return fail(ERROR_NO_UNICODE_TRANSLATION, 0);
      code = kReplacement;
    }
    appendUtf16(converted, code);
    i += used;
  }
  return deliver(converted, wideChar, wideCharLength);
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR wideChar, int wideCharLength,
                        LPSTR multiByte, int multiByteLength, LPCSTR /*defaultChar*/,
                        LPBOOL usedDefaultChar) {
  if (!knownCodePage(codePage) || !wideChar || wideCharLength == 0 || multiByteLength < 0) {
    return fail(ERROR_INVALID_PARAMETER, 0);
  }
  size_t length = static_cast<size_t>(wideCharLength);
  if (wideCharLength < 0) {
    length = 0;
    while (wideChar[length]) ++length;
    ++length;
  }
  std::string converted;
  bool replaced = false;
  for (size_t i = 0; i < length; ++i) {
    char32_t code = wideChar[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length && wideChar[i + 1] >= 0xDC00 &&
        wideChar[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (wideChar[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = kReplacement;
      replaced = true;
    }
    appendUtf8(converted, code);
  }
  if (usedDefaultChar) *usedDefaultChar = replaced ? TRUE : FALSE;
  return deliver(converted, multiByte, multiByteLength);
}
