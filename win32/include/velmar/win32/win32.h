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
#include "velmar/win32/Types.h"
#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "velmar/win32/Memory.h"
#include "velmar/win32/VirtualMemory.h"
#include "velmar/win32/Messages.h"
#include "velmar/win32/CodePages.h"
#include "velmar/win32/Handles.h"
#include "velmar/win32/Files.h"
#include "velmar/win32/FileReplace.h"
#include "velmar/win32/FileTimes.h"
#include "velmar/win32/FileAttributes.h"
#include "velmar/win32/FileInformation.h"
#include "velmar/win32/CrtFiles.h"
#include "velmar/win32/Time.h"
#include "velmar/win32/UiProvider.h"
#include "velmar/win32/MessageBox.h"
#include "velmar/win32/CommonDialogs.h"
#include "velmar/win32/Launcher.h"
#include "velmar/win32/DesktopApps.h"
#include "velmar/win32/WideText.h"
#include "velmar/win32/Modules.h"
#include "velmar/win32/VersionResource.h"
#include "velmar/win32/VersionInfo.h"
#include "velmar/win32/ElfSection.h"
#include "velmar/win32/Registry.h"
#include "velmar/win32/OsVersion.h"
#include "velmar/win32/Scheduling.h"
#include "velmar/win32/Security.h"
#include "velmar/win32/Shutdown.h"
#include "velmar/win32/FileMapping.h"
#include "velmar/win32/Overlapped.h"
#include "velmar/win32/Com.h"
#include "velmar/win32/OleAuto.h"
#include "velmar/win32/WebBrowser.h"
#include "velmar/win32/Shell.h"
#include "velmar/win32/CommonControls.h"
#endif
