// The one header the system's code includes: the Win32 and C-runtime calls it is written
// against, implemented on POSIX by this layer (libntplatform).
#pragma once

#include "wintypes.h"
#include "winerror.h"
#include "winbase.h"
#include "winreg.h"
#include "resources.h"
#include "eventlog.h"
#include "process.h"
#include "winsvc.h"
#include "crt.h"
