// The resource calls: FindResourceA, LoadResource, LockResource, SizeofResource and
// LoadStringA, reading the resource directory a module exports (platform/resources.h).
//
// Among entries of one type and name, FindResourceA takes the language-neutral one, else the
// one of the user's default language, else one of the same primary language, else the first.
#include <strings.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../resources.h"
#include "../winbase.h"
#include "../winerror.h"
#include "host_error.h"
#include "locale.h"
#include "modules.h"

namespace {

using nt::fail;

constexpr WORD kStringsPerBlock = 16;

const NT_RESOURCE_DIRECTORY* resourceDirectory(HMODULE module) {
  const auto* directory = static_cast<const NT_RESOURCE_DIRECTORY*>(
      nt::moduleSymbol(module, NT_RESOURCE_DIRECTORY_SYMBOL));
  if (!directory || directory->magic != NT_RESOURCE_MAGIC ||
      directory->version != NT_RESOURCE_VERSION) {
    return nullptr;
  }
  return directory;
}

// A resource type or name as the caller gives it: a number (MAKEINTRESOURCEA or "#123") or
// a name compared without case.
bool sameResource(LPCSTR wanted, WORD id, LPCSTR name) {
  if (IS_INTRESOURCE(wanted)) return !name && id == reinterpret_cast<ULONG_PTR>(wanted);
  if (wanted[0] == '#') return !name && id == std::strtoul(wanted + 1, nullptr, 10);
  return name && ::strcasecmp(name, wanted) == 0;
}

WORD primaryLanguage(WORD language) { return language & 0x3FF; }

const NT_RESOURCE_ENTRY* preferredLanguage(const NT_RESOURCE_ENTRY* candidates[], size_t count) {
  const LANGID user = nt::userDefaultLanguage();
  const auto languageRank = [user](WORD language) {
    if (language == 0) return 0;
    if (language == user) return 1;
    if (primaryLanguage(language) == primaryLanguage(user)) return 2;
    return 3;
  };
  const NT_RESOURCE_ENTRY* best = candidates[0];
  for (size_t i = 1; i < count; ++i) {
    if (languageRank(candidates[i]->language) < languageRank(best->language)) best = candidates[i];
  }
  return best;
}

const NT_RESOURCE_ENTRY* findEntry(HMODULE module, LPCSTR name, LPCSTR type) {
  const NT_RESOURCE_DIRECTORY* directory = resourceDirectory(module);
  if (!directory) return fail(ERROR_RESOURCE_DATA_NOT_FOUND, nullptr);
  bool typeFound = false;
  std::vector<const NT_RESOURCE_ENTRY*> matches;
  for (DWORD i = 0; i < directory->count; ++i) {
    const NT_RESOURCE_ENTRY& entry = directory->entries[i];
    if (!sameResource(type, entry.type, entry.typeName)) continue;
    typeFound = true;
    if (sameResource(name, entry.id, entry.name)) matches.push_back(&entry);
  }
  if (!typeFound) return fail(ERROR_RESOURCE_TYPE_NOT_FOUND, nullptr);
  if (matches.empty()) return fail(ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
  return preferredLanguage(matches.data(), matches.size());
}

// The UTF-16 text of a string table slot; empty when the block does not give it.
std::u16string stringFromBlock(const NT_RESOURCE_ENTRY& block, UINT index) {
  size_t offset = 0;
  for (UINT slot = 0; offset + sizeof(WORD) <= block.size; ++slot) {
    WORD length;
    std::memcpy(&length, block.data + offset, sizeof length);
    offset += sizeof length;
    const size_t bytes = size_t{length} * sizeof(char16_t);
    if (offset + bytes > block.size) return {};
    if (slot == index) {
      std::u16string text(length, u'\0');
      std::memcpy(text.data(), block.data + offset, bytes);
      return text;
    }
    offset += bytes;
  }
  return {};
}

std::string toAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  std::string converted(static_cast<size_t>(WideCharToMultiByte(
                            CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr)),
                        '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), length, converted.data(),
                      static_cast<int>(converted.size()), nullptr, nullptr);
  return converted;
}

// The longest prefix of at most limit bytes that does not cut a UTF-8 character.
size_t wholeCharacters(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return end;
}

}  // namespace

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  nt::PreserveErrno keepErrno;
  if (!name || !type) return fail(ERROR_INVALID_PARAMETER, HRSRC{nullptr});
  const NT_RESOURCE_ENTRY* entry = findEntry(module, name, type);
  return reinterpret_cast<HRSRC>(const_cast<NT_RESOURCE_ENTRY*>(entry));
}

HGLOBAL LoadResource(HMODULE /*module*/, HRSRC resource) {
  if (!resource) return fail(ERROR_INVALID_HANDLE, HGLOBAL{nullptr});
  const auto* entry = reinterpret_cast<const NT_RESOURCE_ENTRY*>(resource);
  return const_cast<BYTE*>(entry->data);
}

// The data of a loaded resource stays where the module holds it; locking only gives its
// address, as on Windows.
LPVOID LockResource(HGLOBAL resourceData) { return resourceData; }

DWORD SizeofResource(HMODULE /*module*/, HRSRC resource) {
  if (!resource) return fail(ERROR_INVALID_HANDLE, DWORD{0});
  return reinterpret_cast<const NT_RESOURCE_ENTRY*>(resource)->size;
}

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  nt::PreserveErrno keepErrno;
  if (!buffer || bufferMax <= 0) return fail(ERROR_INVALID_PARAMETER, 0);
  buffer[0] = '\0';
  const WORD block = static_cast<WORD>(id / kStringsPerBlock + 1);
  const NT_RESOURCE_ENTRY* entry = findEntry(instance, MAKEINTRESOURCEA(block), RT_STRING);
  if (!entry) return 0;
  const std::string text = toAnsi(stringFromBlock(*entry, id % kStringsPerBlock));
  if (text.empty()) return fail(ERROR_RESOURCE_NAME_NOT_FOUND, 0);
  // The ANSI code page is UTF-8: a text cut to fit keeps whole characters only.
  const size_t copied = wholeCharacters(text, static_cast<size_t>(bufferMax) - 1);
  std::memcpy(buffer, text.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
}
