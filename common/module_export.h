// The mark of a function that a library exports for callers that bind it by name with
// GetProcAddress: C linkage, so the name is the plain one, and default visibility, so it stays
// visible in a library built with hidden visibility.
#pragma once

#define NT_EXPORT extern "C" __attribute__((visibility("default")))
