#pragma once
// Umbrella header of this library: includes its whole public surface.

// Registry access.
#include "velmar/platform/WinRegistry.h"

// DLL modules and version information.
#include "velmar/platform/DllModule.h"
#include "velmar/platform/FileVersionInfo.h"

// OS actions and the machine's queries.
#include "velmar/platform/OSAction.h"
#include "velmar/platform/WinAction.h"
#include "velmar/platform/LastErrorText.h"
#include "velmar/platform/Privileges.h"
#include "velmar/platform/OSVersion.h"
#include "velmar/platform/OSContext.h"
#include "velmar/platform/ShellRun.h"
#include "velmar/platform/SystemQueries.h"
#include "velmar/platform/ComServer.h"
#include "velmar/platform/DisplayAcceleration.h"
#include "velmar/platform/EventLogSource.h"
#include "velmar/platform/PrinterDC.h"
