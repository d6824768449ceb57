// Trace lines of the property-set code. The supervisor writes them to its diagnostic log; the
// setup library writes none, and switches them off for its own copy of this code.
#pragma once

// A trace line (diagPrint) unless property tracing is off in this module.
void propertyTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Turns the property-set trace lines of this module on (the default) or off.
void setPropertyTracing(bool on);
