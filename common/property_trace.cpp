// Forwards the property-set trace lines to the diagnostic log, unless switched off.
#include "property_trace.h"

#include <cstdarg>

#include "diag.h"

namespace {
bool tracing = true;
}

void setPropertyTracing(bool on) { tracing = on; }

void propertyTrace(const char* format, ...) {
  if (!tracing) return;
  va_list args;
  va_start(args, format);
  diagPrintV(format, args);
  va_end(args);
}
