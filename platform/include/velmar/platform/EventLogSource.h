#pragma once
// Registration of an event source of the Application event log, below
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\EventLog\Application.
// Here there is no event log: that key exists only when something created it
// in the registry store, and without it registration fails with
// ERROR_FILE_NOT_FOUND rather than inventing a log.
#include "velmar/win32/win32.h"

namespace nkPlatform
{

// Creates or opens the source's key, sets "EventMessageFile" (messageFile)
// and "TypesSupported" (types); with addToSources also appends the source to
// the log's "Sources" list when it is not there. False on any failure (last error).
bool RegisterEventLogSource(const wchar_t* source, const wchar_t* messageFile, DWORD types,
                            bool addToSources);

} // namespace nkPlatform
