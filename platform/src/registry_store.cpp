// The registry store file: cached reads and locked, atomic writes (see registry_store.h).
#include "registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <mutex>

#include "../winerror.h"
#include "host_calls.h"
#include "host_error.h"
#include "machine_root.h"
#include "registry_parser.h"
#include "registry_writer.h"
#include "unique_fd.h"

namespace nt::registry {
namespace {

constexpr const char* kStoreName = "registry.reg";
constexpr const char* kLockName = "registry.lock";
constexpr const char* kTempName = "registry.reg.new";

// What tells one version of the store file from the next. The store is replaced by rename,
// never rewritten in place, and the cache keeps the file it read open so that its inode
// cannot be reused meanwhile: the inode alone tells versions apart. Size and modification
// time catch a file edited in place by hand.
struct FileVersion {
  std::string path;  // NT_ROOT may name another machine root from one call to the next
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  bool operator==(const FileVersion& other) const {
    return path == other.path && exists == other.exists && device == other.device &&
           inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
  }
};

FileVersion versionOf(const std::string& path, const struct stat& st) {
  return FileVersion{path, true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
}

// The last version read or written by this process, shared by its threads.
struct Cache {
  std::mutex lock;
  bool valid = false;
  FileVersion version;
  UniqueFd held;  // the cached version's file, kept open (see FileVersion)
  Snapshot snapshot;
  DWORD failure = ERROR_SUCCESS;  // ERROR_REGISTRY_CORRUPT for a store that does not parse
};

Cache& cache() {
  static auto* theCache = new Cache();  // never destroyed: calls may come during exit
  return *theCache;
}

DWORD remember(Cache& cache, FileVersion version, UniqueFd held, Snapshot snapshot,
               DWORD failure, Snapshot& result) {
  cache.valid = true;
  cache.version = std::move(version);
  cache.held = std::move(held);
  cache.snapshot = std::move(snapshot);
  cache.failure = failure;
  result = cache.snapshot;
  return failure;
}

bool readAll(int fd, std::string& text) {
  char buffer[65536];
  while (true) {
    const ssize_t n = host::read(fd, buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) return true;
    text.append(buffer, static_cast<size_t>(n));
  }
}

void reportCorruptStore(const std::string& path, const RegFileError& error) {
  const std::string where = describeRegFileError(path, error);
  std::fprintf(stderr, "ntplatform: registry store %s\n", where.c_str());
}

DWORD loadStore(Cache& cache, const std::string& path, Snapshot& result) {
  UniqueFd fd(host::open(path.c_str(), O_RDONLY));
  if (!fd.valid() && errno == ENOENT) {
    return remember(cache, FileVersion{path}, UniqueFd(), std::make_shared<Key>(emptyRegistry()),
                    ERROR_SUCCESS, result);
  }
  std::string text;
  struct stat st;
  if (!fd.valid() || !readAll(fd.get(), text) || ::fstat(fd.get(), &st) != 0) {
    return win32ErrorFromErrno(errno);
  }
  std::vector<RegFileEntry> entries;
  RegFileError error;
  if (!parseRegFile(text, entries, error)) {
    reportCorruptStore(path, error);
    return remember(cache, versionOf(path, st), std::move(fd), nullptr, ERROR_REGISTRY_CORRUPT,
                    result);
  }
  auto top = std::make_shared<Key>(emptyRegistry());
  applyRegFile(entries, *top);
  return remember(cache, versionOf(path, st), std::move(fd), std::move(top), ERROR_SUCCESS,
                  result);
}

// The current version, from the cache when the file has not changed. Called with the cache
// locked.
DWORD currentRegistry(Cache& cache, Snapshot& result) {
  const std::string path = machineRootPath(kStoreName);
  FileVersion now{path};
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) now = versionOf(path, st);
  else if (errno != ENOENT) return win32ErrorFromErrno(errno);
  if (cache.valid && cache.version == now) {
    result = cache.snapshot;
    return cache.failure;
  }
  return loadStore(cache, path, result);
}

DWORD lockStore(UniqueFd& lock) {
  lock.reset(host::open(machineRootPath(kLockName).c_str(), O_RDWR | O_CREAT, 0666));
  if (!lock.valid()) return win32ErrorFromErrno(errno);
  if (host::retryOnEintr([&] { return ::flock(lock.get(), LOCK_EX); }) != 0) {
    return win32ErrorFromErrno(errno);
  }
  return ERROR_SUCCESS;
}

// Writes the registry to a temporary file and renames it over the store. On failure the
// temporary file goes and the store stays as it was.
DWORD writeStore(Cache& cache, Snapshot registry) {
  const std::string path = machineRootPath(kStoreName);
  const std::string temp = machineRootPath(kTempName);
  const std::string text = formatRegistry(*registry);
  UniqueFd fd(host::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666));
  if (!fd.valid()) return win32ErrorFromErrno(errno);
  if (host::writeAll(fd.get(), text.data(), text.size()) < 0 || host::fsync(fd.get()) != 0 ||
      host::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return win32ErrorFromErrno(err);
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) {
    cache.valid = false;  // written; the next read loads it anew
    return ERROR_SUCCESS;
  }
  Snapshot unused;
  return remember(cache, versionOf(path, st), std::move(fd), std::move(registry), ERROR_SUCCESS,
                  unused);
}

}  // namespace

DWORD readRegistry(Snapshot& snapshot) {
  Cache& theCache = cache();
  std::lock_guard<std::mutex> guard(theCache.lock);
  return currentRegistry(theCache, snapshot);
}

DWORD updateRegistry(const RegistryChange& change) {
  Cache& theCache = cache();
  std::lock_guard<std::mutex> guard(theCache.lock);
  UniqueFd lock;
  if (const DWORD code = lockStore(lock)) return code;
  Snapshot current;
  if (const DWORD code = currentRegistry(theCache, current)) return code;
  auto edited = std::make_shared<Key>(*current);
  bool changed = false;
  const DWORD code = change(*edited, changed);
  if (code != ERROR_SUCCESS || !changed) return code;
  return writeStore(theCache, std::move(edited));
}

}  // namespace nt::registry
