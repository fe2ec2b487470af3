#pragma once
// Writing a document without ever destroying the file it replaces.
#include "velmar/xml/nkDS.h"
#include "velmar/win32/win32.h"

// Writes `file` to a new temporary file in the folder of `path` and, once
// every byte was accepted and flushed, puts it in place of `path` (keeping
// the replaced file's permissions and attributes). On any failure the
// temporary file is removed and `path` is left as it was; FALSE.
BOOL SaveXmlFileSafely(nkDS::CXmlFileW& file, LPCWSTR path);
