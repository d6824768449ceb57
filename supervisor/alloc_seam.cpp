// The allocation-failure seam (see alloc_seam.h).
#include "alloc_seam.h"

namespace {
int remaining[static_cast<int>(AllocSite::Count)] = {};
}

bool allocationAllowed(AllocSite site) {
  int& left = remaining[static_cast<int>(site)];
  if (left == 0) return true;
  return --left != 0;
}

void failAllocation(AllocSite site, int nth) { remaining[static_cast<int>(site)] = nth; }
