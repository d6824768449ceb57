// Allocation failures of the environment code, reported as events: real ones (std::bad_alloc)
// are caught where they happen, and tests fail one on purpose through this seam.
#pragma once

enum class AllocSite { FindFileInPath, Copy, PathSeparator, JavaProgram, Count };

// False when the allocation at the site is to fail now (a test armed it).
bool allocationAllowed(AllocSite site);

// Fails the nth allocation at the site from now on (1 = the next). Test use only.
void failAllocation(AllocSite site, int nth);
