// The registry's store in the machine root: the file registry.reg, all hives in REGEDIT4
// text (see docs/ARCHITECTURE.md, "Registry store").
//
// Readers see the store as last written: the file is only ever replaced whole (written to a
// temporary file beside it, then renamed over it), so a read needs no lock. A change takes
// the exclusive lock on registry.lock, reads the current file, applies itself and renames
// the new text over the old, so that changes of concurrent processes never undo each other.
// A store that does not parse is never written over: every call fails with
// ERROR_REGISTRY_CORRUPT, and the file and line are reported once on stderr.
//
// These functions return Win32 codes and never set the thread's last error.
#pragma once

#include <functional>
#include <memory>

#include "registry_tree.h"

namespace nt::registry {

// The whole registry as it was at one moment; shared, never changed.
using Snapshot = std::shared_ptr<const Key>;

// The current registry: ERROR_SUCCESS, ERROR_REGISTRY_CORRUPT, or the host failure's code.
DWORD readRegistry(Snapshot& snapshot);

// Edits the top of a copy of the current registry. Returns ERROR_SUCCESS to keep the edit,
// and sets changed when there is something to write.
using RegistryChange = std::function<DWORD(Key& top, bool& changed)>;

// Applies the change under the store's lock and writes the result atomically. Returns the
// change's own failure, or the host failure's code (the old store then stays whole).
DWORD updateRegistry(const RegistryChange& change);

}  // namespace nt::registry
