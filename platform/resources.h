// The resource directory a module exports: the layout of the data that the ntrc tool
// compiles from a resource script, and that FindResourceA, LoadStringA and the dialog
// functions read through the module handle.
//
// A module with resources defines one object named ntResourceDirectory, with C linkage
// and default visibility, of type NT_RESOURCE_DIRECTORY. Its entries each hold one resource:
// one type, one id (or name) and one language, with its bytes laid out as Windows lays out
// that type of resource, so that callers of LoadResource read what they read on Windows:
//
// - RT_STRING: string table block n holds the strings with ids (n-1)*16 to (n-1)*16+15; for
//   each, a WORD count of UTF-16 code units and then those units, without a NUL. An id the
//   script does not give has a count of 0.
// - RT_DIALOG: a DLGTEMPLATE (from DIALOG) or DLGTEMPLATEEX (from DIALOGEX) followed by its
//   item templates, each item aligned on 4 bytes, texts in UTF-16.
//
// Every entry's bytes start on a 4-byte boundary. Entries of a type, id and language are
// unique. A program (not only a library) that carries resources must export the symbol:
// nt_add_resources links it with --export-dynamic-symbol=ntResourceDirectory.
#pragma once

#include "wintypes.h"

#define NT_RESOURCE_DIRECTORY_SYMBOL "ntResourceDirectory"
#define NT_RESOURCE_MAGIC 0x5352544Eu  // "NTRS" in the bytes of a little-endian DWORD
#define NT_RESOURCE_VERSION 1u

typedef struct NT_RESOURCE_ENTRY {
  WORD type;         // RT_* number; 0 when typeName names the type
  WORD id;           // numeric id; 0 when name names the resource
  WORD language;     // LANGID of the LANGUAGE statement; 0 (neutral) when none applies
  WORD reserved;     // 0
  LPCSTR typeName;   // the name of a type given by name, in upper case, or null
  LPCSTR name;       // the name of a resource given by name, in upper case, or null
  DWORD size;        // the number of bytes at data
  const BYTE* data;  // aligned on 4 bytes
} NT_RESOURCE_ENTRY;

typedef struct NT_RESOURCE_DIRECTORY {
  DWORD magic;    // NT_RESOURCE_MAGIC
  DWORD version;  // NT_RESOURCE_VERSION
  DWORD count;    // number of entries
  const NT_RESOURCE_ENTRY* entries;
} NT_RESOURCE_DIRECTORY;
