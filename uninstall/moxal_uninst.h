// The exports of moxal_uninst.dll, as the product's uninstaller binds them: by name, with
// GetProcAddress, cast to the function types below. Both take a window handle, an instance
// handle and a reserved value, which they ignore, and return 0 so that the uninstaller goes on.
#pragma once

#include "common/module_export.h"
#include "platform/win32.h"

// Stops and deletes the services MOXALAgent and MOXALServer when the product's registry key
// names an installation directory. Every failure only skips the work that depends on it.
NT_EXPORT LONG WINAPI UninstInitialize(HWND window, HINSTANCE instance, LONG reserved);
// Does nothing.
NT_EXPORT LONG WINAPI UninstUnInitialize(HWND window, HINSTANCE instance, LONG reserved);

using UninstFunction = decltype(&UninstInitialize);
