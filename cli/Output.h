#pragma once
// What the tool prints: results to standard output, one-line errors to
// standard error, and the texts of system errors.

#include "velmar/win32/win32.h"

#include <cstddef>
#include <string>

namespace vxml
{

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // a document did not load, a locator found nothing
inline constexpr int kExitError = 2;  // bad arguments, a file that cannot be read or written

// Writes to standard output; false once anything could not be written.
bool PrintOut(const std::string& text);
bool PrintOut(const char* bytes, size_t n);
// Flushes standard output; false when some output was lost.
bool FinishOut();
// "velmar-xml: <message>" and a line end on standard error; returns `status`.
int ReportError(const std::string& message, int status = kExitError);
// The system's text for a Win32 error code, without its line end.
std::string SystemText(DWORD code);

} // namespace vxml
