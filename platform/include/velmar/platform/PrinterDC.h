#pragma once
// A device context for a named printer. Here there is no printer device
// context: the call fails with ERROR_NOT_SUPPORTED and returns null.
#include "velmar/win32/win32.h"

namespace nkPlatform
{

// A printer's device context handle (HDC on Windows).
typedef void* PrinterDC;

// Opens the printer, reads its driver, device and port names and creates a
// device context from them; null when it cannot (last error set).
PrinterDC CreatePrinterDC(const wchar_t* printerName);
PrinterDC CreatePrinterDC(const char* printerName);

} // namespace nkPlatform
