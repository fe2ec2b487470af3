#pragma once
// Umbrella header of this library: includes its whole public surface.
// A Windows build takes the system's own declarations; elsewhere this layer
// answers the same calls on POSIX.

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <io.h>
#include <sys/stat.h>
// A user-interface call we never make; as a macro it would rename the class
// record accessor of the same name in some translation units and not others.
#undef GetClassInfo
#else
#include "win32/Types.h"
#include "win32/ErrorCodes.h"
#include "win32/LastError.h"
#include "win32/Memory.h"
#include "win32/Messages.h"
#include "win32/CodePages.h"
#include "win32/Handles.h"
#include "win32/Files.h"
#include "win32/FileReplace.h"
#include "win32/FileTimes.h"
#include "win32/FileAttributes.h"
#include "win32/CrtFiles.h"
#include "win32/Time.h"
#include "win32/UiProvider.h"
#include "win32/MessageBox.h"
#include "win32/CommonDialogs.h"
#include "win32/Launcher.h"
#include "win32/DesktopApps.h"
#include "win32/WideText.h"
#include "win32/Modules.h"
#include "win32/VersionResource.h"
#include "win32/VersionInfo.h"
#include "win32/ElfSection.h"
#include "win32/Registry.h"
#include "win32/OsVersion.h"
#include "win32/Scheduling.h"
#include "win32/Security.h"
#include "win32/Shutdown.h"
#include "win32/FileMapping.h"
#include "win32/Overlapped.h"
#include "win32/Com.h"
#include "win32/OleAuto.h"
#include "win32/WebBrowser.h"
#include "win32/Shell.h"
#include "win32/CommonControls.h"
#endif
