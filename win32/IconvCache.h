#pragma once
// iconv descriptors for the code pages converted by the C library, opened once
// per thread and page (a descriptor carries state and is not thread-safe).

#include "velmar/win32/Types.h"

#include <iconv.h>

namespace w32
{

// The iconv name of a code page that has no converter of our own, or null.
const char* IconvNameOfCodePage(UINT codePage);

// A reset descriptor converting the page to (toWide) or from UTF-32 in the
// machine's byte order; (iconv_t)-1 when the C library lacks the page.
iconv_t CachedIconv(UINT codePage, bool toWide);

} // namespace w32
