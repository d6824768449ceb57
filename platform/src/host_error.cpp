// errno to Win32 error code mapping and the thread's last-error value.
#include "host_error.h"

#include <cerrno>

#include "../winerror.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return lastError; }
void SetLastError(DWORD code) { lastError = code; }

namespace nt {

DWORD win32ErrorFromErrno(int err) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case ESRCH:
    case ECHILD: return ERROR_INVALID_HANDLE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case E2BIG: return ERROR_BAD_ENVIRONMENT;
    case EIO: return ERROR_GEN_FAILURE;
    default: return ERROR_GEN_FAILURE;
  }
}

DWORD setLastErrorFromErrno() {
  const DWORD code = win32ErrorFromErrno(errno);
  SetLastError(code);
  return code;
}

}  // namespace nt
