// ntscm, the service control manager of one machine root, as a program: it serves the
// manager's socket until SIGTERM (see docs/ARCHITECTURE.md for what it keeps and where).
#pragma once

namespace nt::scm {

// Runs the manager of the machine root named by NT_ROOT in the calling process; returns the
// program's exit status.
int runManager();

}  // namespace nt::scm
