// Win32 processes and waits: CreateProcessA, GetExitCodeProcess, TerminateProcess,
// WaitForSingleObject, WaitForMultipleObjects.
//
// Where the host differs from Windows:
// - The child's argument vector is its command line split by the Microsoft C runtime's rules
//   (blanks separate, double quotes group, backslashes before a quote escape it), done on
//   the parent's side before the host program starts.
// - CREATE_NEW_CONSOLE gives the child its own session, CREATE_NEW_PROCESS_GROUP its own
//   process group; a new console has no window here, so its standard handles are /dev/null,
//   as are absent standard handles under STARTF_USESTDHANDLES.
// - A child ended by a host signal reports 128 + the signal number as its exit code, except
//   after TerminateProcess, which reports the code it was given.
#pragma once

#include "wintypes.h"

#define STILL_ACTIVE 259u
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED_0 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define MAXIMUM_WAIT_OBJECTS 64

#define DEBUG_PROCESS 0x00000001u
#define CREATE_SUSPENDED 0x00000004u
#define DETACHED_PROCESS 0x00000008u
#define CREATE_NEW_CONSOLE 0x00000010u
#define NORMAL_PRIORITY_CLASS 0x00000020u
#define IDLE_PRIORITY_CLASS 0x00000040u
#define HIGH_PRIORITY_CLASS 0x00000080u
#define CREATE_NEW_PROCESS_GROUP 0x00000200u
#define CREATE_DEFAULT_ERROR_MODE 0x04000000u
#define CREATE_NO_WINDOW 0x08000000u

#define STARTF_USESHOWWINDOW 0x00000001u
#define STARTF_USESTDHANDLES 0x00000100u

typedef struct _STARTUPINFOA {
  DWORD cb;  // 68 on the 32-bit platform the system was written for; not checked here
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

// Without an application name the program is the command line's first word, searched in the
// program's directory, the current directory, then the PATH of the Win32 environment, with
// ".exe" added when it has no extension. Without an environment block the child receives
// the Win32 environment (see SetEnvironmentVariableA).
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
BOOL TerminateProcess(HANDLE process, UINT exitCode);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// Waits for processes (and threads of processes). Fails with WAIT_FAILED and
// ERROR_INVALID_PARAMETER for a count of 0 or above MAXIMUM_WAIT_OBJECTS.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                             DWORD milliseconds);
DWORD GetProcessId(HANDLE process);
