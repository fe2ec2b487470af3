#pragma once
// System message texts: FormatMessageA/W over the English texts Windows gives
// the codes this layer produces.

#include "velmar/win32/Types.h"

#include <cstdarg>

// FORMAT_MESSAGE_FROM_SYSTEM or FROM_STRING; ALLOCATE_BUFFER (lpBuffer is then
// the address of a pointer that receives a LocalAlloc block); IGNORE_INSERTS;
// ARGUMENT_ARRAY (Arguments is a DWORD_PTR array). Language 0, 0x400, 0x800 or
// English. Returns the characters stored without the terminator, 0 on failure
// (ERROR_MR_MID_NOT_FOUND for a code without a text).
DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                            LPSTR lpBuffer, DWORD nSize, va_list* Arguments);
DWORD WINAPI FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                            LPWSTR lpBuffer, DWORD nSize, va_list* Arguments);

namespace w32
{

// The system text of a code (ASCII, ending in CR LF), or null when it has none.
const char* SystemMessageText(DWORD code);

} // namespace w32
