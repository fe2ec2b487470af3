#pragma once
// Conversions between multi-byte code pages and wide text. Wide characters
// are wchar_t, whole code points here (32 bits), never UTF-16 halves.
//
// UTF-8, ASCII (20127), ISO-8859-1 (28591) and Windows-1252 are converted by
// hand; GBK (936), GB18030 (54936) and other numbered pages go through iconv
// with descriptors cached per thread. Bytes that do not decode become U+FFFD
// (or fail with MB_ERR_INVALID_CHARS); characters a page cannot represent
// become its default character '?' (or lpDefaultChar) and set the used-default
// flag. There is no best-fit mapping. CP_UTF8 named as such takes only the
// flags Windows allows it; CP_ACP that happens to be UTF-8 here accepts the
// flags and default-character arguments of code written for other pages.
//
// The ANSI code page is the locale's codeset (LC_ALL, LC_CTYPE, LANG, in that
// order), UTF-8 when the locale names no codeset or only ASCII; VELMAR_ACP=<n>
// overrides it with any valid page. It is fixed at the first use.

#include "velmar/win32/Types.h"

int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                               LPWSTR lpWideCharStr, int cchWideChar);
int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                               LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                               LPBOOL lpUsedDefaultChar);
UINT WINAPI GetACP();
// The OEM page is the ANSI page here: POSIX consoles use the locale's codeset.
UINT WINAPI GetOEMCP();
BOOL WINAPI IsValidCodePage(UINT CodePage);

namespace w32
{

// The code page of a locale codeset name ("UTF-8", "GBK", "ISO-8859-1"...), 0 if unknown.
UINT CodePageFromCodeset(const char* codeset);

// A code page for an encoding the C library's converter knows by `name`
// and that has no page number of its own (ARMSCII-8, VISCII, PT154...):
// numbers from kFirstNamedCodePage on, the same for the same name (case
// aside) for the life of the process; 0 when the converter does not know
// the name both ways.
inline constexpr UINT kFirstNamedCodePage = 0x10000;
UINT CodePageOfIconvName(const char* name);

// Determines the ANSI code page again from the environment (tests change it).
void ReloadAnsiCodePage();

} // namespace w32
