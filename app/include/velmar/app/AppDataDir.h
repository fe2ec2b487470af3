#pragma once
// Where the editor's read-only data lives (help pages, translations). An
// installed program finds it beside its own folder, in
// <exe dir>/../share/velmar/<subdir>. A program run from the build tree has
// none there and falls back to what the build stages in
// <build>/share/velmar/<subdir>, then to the source tree's docs/<subdir>.
#include "velmar/framework/AfxString.h"

// The first of those folders that exists, without a trailing separator; an
// empty string (last error ERROR_PATH_NOT_FOUND) when none does.
CString VelmarDataDir(LPCWSTR lpszSubdir);
