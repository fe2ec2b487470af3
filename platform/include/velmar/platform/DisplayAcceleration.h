#pragma once
// Hardware acceleration of the display drivers, kept by Windows in the device
// keys that HKEY_LOCAL_MACHINE\Hardware\DEVICEMAP\VIDEO names. Here no display
// driver registers there, so both calls fail (ERROR_FILE_NOT_FOUND) unless
// something wrote that map into the registry store.
#include "velmar/foundation/String.h"
#include "velmar/win32/win32.h"

namespace nkPlatform
{

// The "Acceleration.Level" of the first display device that has installed
// drivers (0, full acceleration, when the value is absent); device (may be
// null) receives its "Device Description". False when there is no such device.
bool GetDisplayAcceleration(DWORD& level, nkMem::CStringT<wchar_t>* device = nullptr);
// Writes level to every display device that has installed drivers; level 0
// deletes the value. False when there is none or a write failed (last error).
bool SetDisplayAcceleration(DWORD level);

} // namespace nkPlatform
