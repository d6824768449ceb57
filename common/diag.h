// The diagnostic log: trace lines (only with a diagnostic level), error lines (always) and
// error events in the application event log. Lines go to one diagnostic file, or to standard
// output when there is none; the file is opened and closed for every line, so that other
// processes may read or remove it while the program runs.
#pragma once

#include <cstdarg>

#include "platform/win32.h"

// Sets the file (none or empty: standard output) and the level (0: no trace lines). The file
// is created here even with level 0; when it cannot be, lines go to standard output.
void diagOpen(const char* path, int level);
// A trace line: the calling thread's id as "%X: ", then the caller's text (which carries its
// own line end). Nothing with level 0.
void diagPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));
void diagPrintV(const char* format, va_list args);
// An error line: the caller's text, ": " and the text of errno when errno is not 0, and one
// line end. Written whatever the level.
void diagError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// diagError, then the end of the program with exit status 1.
[[noreturn]] void diagFatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Forgets the file; the program is about to end.
void diagClose();

// One event in the local machine's application event log: the first insertion string is
// "<source> error: <last error in hex>", the second the text.
void reportEvent(const char* text, const char* source, WORD type);
