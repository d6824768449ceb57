// Win32 base services: last error, threads, files and directories, paths, the environment,
// string helpers, code-page conversion, modules, resources and locale.
//
// Where the host differs from Windows:
// - Paths take "\" and "/" alike; "X:" maps through the machine root's drive map; a path with
//   no drive is a host path. Look-ups fall back to a case-insensitive match, "name.exe" also
//   finds the host file "name", and "X.dll" also finds "libX.so" and "X.so".
// - The ANSI code page (CP_ACP) is UTF-8 (code page 65001), the host's own encoding of names.
// - The environment that SetEnvironmentVariableA changes is the one handed to child
//   processes and read by GetEnvironmentVariableA; the C runtime's getenv (crt.h) keeps
//   reading the environment the program received at start, as the system relies on.
#pragma once

#include "wintypes.h"

// ---- last error, threads, time ----
DWORD GetLastError();
void SetLastError(DWORD code);
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
void Sleep(DWORD milliseconds);
DWORD GetTickCount();

// ---- handles ----
BOOL CloseHandle(HANDLE handle);

// ---- files ----
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_WRITE_THROUGH 0x00000008u
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu

typedef struct _OVERLAPPED OVERLAPPED, *LPOVERLAPPED;  // never used: I/O is synchronous

typedef struct _WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped);
DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod);
BOOL FlushFileBuffers(HANDLE file);
BOOL DeleteFileA(LPCSTR fileName);
BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
// Replaces a file with another in one step, the replaced file keeping its permissions and
// owner (its security, as on Windows). No backup file is made here.
#define REPLACEFILE_WRITE_THROUGH 0x00000001u
#define REPLACEFILE_IGNORE_MERGE_ERRORS 0x00000002u
BOOL ReplaceFileA(LPCSTR replacedFileName, LPCSTR replacementFileName, LPCSTR backupFileName,
                  DWORD replaceFlags, LPVOID exclude, LPVOID reserved);
DWORD GetFileAttributesA(LPCSTR fileName);
BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes);
BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES securityAttributes);
BOOL RemoveDirectoryA(LPCSTR pathName);
DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR pathName);
DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);
HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findFileData);
BOOL FindNextFileA(HANDLE findFile, LPWIN32_FIND_DATAA findFileData);
BOOL FindClose(HANDLE findFile);

// ---- environment ----
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);

// ---- strings ----
int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrcmpiA(LPCSTR a, LPCSTR b);
int lstrlenA(LPCSTR s);
// Formats into a buffer the caller sizes to at least 1024 bytes; never writes more.
int wsprintfA(LPSTR buffer, LPCSTR format, ...) __attribute__((format(printf, 2, 3)));

// ---- code pages ----
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001
#define MB_ERR_INVALID_CHARS 0x00000008u
UINT GetACP();
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength,
                        LPWSTR wideChar, int wideCharLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideChar, int wideCharLength,
                        LPSTR multiByte, int multiByteLength, LPCSTR defaultChar,
                        LPBOOL usedDefaultChar);

// ---- modules and resources ----
// A module handle is the address of the module's image; NULL stands for the program. A
// library's file name is its host file in Windows form (for example C:\app\libsvcENU.so).
// Exports by ordinal are not found. See platform/resources.h for the resources' layout.
HMODULE LoadLibraryA(LPCSTR fileName);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
HMODULE GetModuleHandleA(LPCSTR moduleName);
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);

struct HRSRC__;
typedef HRSRC__* HRSRC;
typedef HANDLE HGLOBAL;
#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL resourceData);
DWORD SizeofResource(HMODULE module, HRSRC resource);

// ---- locale ----
#define LOCALE_SYSTEM_DEFAULT 0x0800u
#define LOCALE_USER_DEFAULT 0x0400u
#define LOCALE_SABBREVLANGNAME 0x00000003u
#define LOCALE_SENGLANGUAGE 0x00001001u
#define LOCALE_SISO639LANGNAME 0x00000059u
#define LOCALE_SISO3166CTRYNAME 0x0000005Au
int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int dataLength);
