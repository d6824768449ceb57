// Replacing a file's whole contents so that a failure part-way leaves the old file whole.
#pragma once

#include <string_view>

#include "platform/win32.h"

// Writes the text to a temporary file beside the file, flushes it, and moves it over the file
// in one step (MoveFileExA with MOVEFILE_REPLACE_EXISTING); creates the file when it does not
// exist. Returns ERROR_SUCCESS, or the Win32 code of the step that failed, in which case the
// file is as it was and the temporary file is gone. A read-only file is refused with
// ERROR_ACCESS_DENIED, as Windows refuses to replace it.
DWORD replaceFile(const char* path, std::string_view text);
