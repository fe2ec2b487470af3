#pragma once
// Umbrella header of this library: includes its whole public surface.

// Registry access.
#include "platform/WinRegistry.h"

// DLL modules and version information.
#include "platform/DllModule.h"
#include "platform/FileVersionInfo.h"

// OS actions and the machine's queries.
#include "platform/OSAction.h"
#include "platform/WinAction.h"
#include "platform/LastErrorText.h"
#include "platform/Privileges.h"
#include "platform/OSVersion.h"
#include "platform/OSContext.h"
#include "platform/ShellRun.h"
#include "platform/SystemQueries.h"
#include "platform/ComServer.h"
#include "platform/DisplayAcceleration.h"
#include "platform/EventLogSource.h"
#include "platform/PrinterDC.h"
