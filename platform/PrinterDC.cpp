#include "velmar/platform/PrinterDC.h"

namespace nkPlatform
{

// The win32 layer has no printers and no device contexts; say so rather than
// hand out a handle nobody could draw on.
PrinterDC CreatePrinterDC(const wchar_t* printerName)
{
    SetLastError(printerName ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
    return nullptr;
}

PrinterDC CreatePrinterDC(const char* printerName)
{
    SetLastError(printerName ? ERROR_NOT_SUPPORTED : ERROR_INVALID_PARAMETER);
    return nullptr;
}

} // namespace nkPlatform
