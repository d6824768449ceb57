// File handles: CreateFileA, ReadFile, WriteFile, GetFileSize, SetFilePointer,
// FlushFileBuffers. Sharing modes have no host counterpart and are accepted as given.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "../winbase.h"
#include "../winerror.h"
#include "file_object.h"
#include "host_calls.h"
#include "host_error.h"
#include "paths.h"

namespace {

using nt::fail;

int accessFlags(DWORD desiredAccess) {
  const bool read = desiredAccess & (GENERIC_READ | GENERIC_ALL);
  const bool write = desiredAccess & (GENERIC_WRITE | GENERIC_ALL);
  if (read && write) return O_RDWR;
  return write ? O_WRONLY : O_RDONLY;
}

bool dispositionFlags(DWORD disposition, int& flags) {
  switch (disposition) {
    case CREATE_NEW: flags = O_CREAT | O_EXCL; return true;
    case CREATE_ALWAYS: flags = O_CREAT | O_TRUNC; return true;
    case OPEN_EXISTING: flags = 0; return true;
    case OPEN_ALWAYS: flags = O_CREAT; return true;
    case TRUNCATE_EXISTING: flags = O_TRUNC; return true;
    default: return false;
  }
}

std::shared_ptr<nt::FileObject> fileFor(HANDLE handle) {
  auto file = nt::lookupHandleAs<nt::FileObject>(handle);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

}  // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD /*shareMode*/,
                   LPSECURITY_ATTRIBUTES /*securityAttributes*/, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE /*templateFile*/) {
  nt::PreserveErrno keepErrno;
  int disposition = 0;
  if (!dispositionFlags(creationDisposition, disposition)) {
    return fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  }
  const bool mayCreate = disposition & O_CREAT;
  nt::HostPath path;
  if (!nt::hostPathFor(fileName, mayCreate ? nt::PathUse::Create : nt::PathUse::Existing, path)) {
    return INVALID_HANDLE_VALUE;
  }

  struct stat st;
  const bool existed = ::stat(path.path.c_str(), &st) == 0;
  if (existed && S_ISDIR(st.st_mode)) {
    if (!(flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS)) {
      return fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    }
    disposition = O_DIRECTORY;
    desiredAccess = GENERIC_READ;
  }
  if (existed && creationDisposition == CREATE_NEW) {
    return fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
  }
  const mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  nt::UniqueFd fd(nt::host::open(path.path.c_str(), accessFlags(desiredAccess) | disposition, mode));
  if (!fd.valid()) {
    if (errno == EEXIST) return fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
    nt::setLastErrorForPath(path);
    return INVALID_HANDLE_VALUE;
  }
  // CREATE_ALWAYS and OPEN_ALWAYS tell the caller whether the file was already there.
  if (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS) {
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  }
  return nt::insertHandle(std::make_shared<nt::FileObject>(std::move(fd)));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPOVERLAPPED /*overlapped*/) {
  nt::PreserveErrno keepErrno;
  if (bytesRead) *bytesRead = 0;
  auto object = fileFor(file);
  if (!object) return FALSE;
  if (!buffer && bytesToRead) return fail(ERROR_INVALID_PARAMETER, FALSE);
  DWORD done = 0;
  while (done < bytesToRead) {
    const ssize_t n = nt::host::read(object->fd(), static_cast<char*>(buffer) + done,
                                     bytesToRead - done);
    if (n < 0) {
      nt::setLastErrorFromErrno();
      if (bytesRead) *bytesRead = done;
      return FALSE;
    }
    if (n == 0) break;  // end of file: a short read is success
    done += static_cast<DWORD>(n);
  }
  if (bytesRead) *bytesRead = done;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED /*overlapped*/) {
  nt::PreserveErrno keepErrno;
  if (bytesWritten) *bytesWritten = 0;
  auto object = fileFor(file);
  if (!object) return FALSE;
  if (!buffer && bytesToWrite) return fail(ERROR_INVALID_PARAMETER, FALSE);
  if (nt::host::writeAll(object->fd(), buffer, bytesToWrite) < 0) {
    nt::setLastErrorFromErrno();
    return FALSE;
  }
  if (bytesWritten) *bytesWritten = bytesToWrite;
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD fileSizeHigh) {
  nt::PreserveErrno keepErrno;
  auto object = fileFor(file);
  if (!object) return INVALID_FILE_SIZE;
  struct stat st;
  if (::fstat(object->fd(), &st) != 0) {
    nt::setLastErrorFromErrno();
    return INVALID_FILE_SIZE;
  }
  const auto size = static_cast<uint64_t>(st.st_size);
  if (fileSizeHigh) *fileSizeHigh = static_cast<DWORD>(size >> 32);
  // A size whose low part reads 0xFFFFFFFF is told from a failure by the last error.
  if (static_cast<DWORD>(size) == INVALID_FILE_SIZE) SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
  nt::PreserveErrno keepErrno;
  auto object = fileFor(file);
  if (!object) return INVALID_SET_FILE_POINTER;
  int whence = SEEK_SET;
  if (moveMethod == FILE_CURRENT) whence = SEEK_CUR;
  else if (moveMethod == FILE_END) whence = SEEK_END;
  else if (moveMethod != FILE_BEGIN) return fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  int64_t offset = distance;
  if (distanceHigh) {
    offset = (static_cast<int64_t>(*distanceHigh) << 32) | static_cast<uint32_t>(distance);
  }
  const off_t position = ::lseek(object->fd(), offset, whence);
  if (position < 0) {
    return fail(errno == EINVAL ? static_cast<DWORD>(ERROR_NEGATIVE_SEEK) : nt::win32ErrorFromErrno(errno),
                INVALID_SET_FILE_POINTER);
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
  return static_cast<DWORD>(position);
}

BOOL FlushFileBuffers(HANDLE file) {
  nt::PreserveErrno keepErrno;
  auto object = fileFor(file);
  if (!object) return FALSE;
  if (nt::host::fsync(object->fd()) != 0) {
    nt::setLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}
