#pragma once
// Where the editor's read-only data lives (help pages, translations). An
// installed program finds it beside its own folder, in
// <exe dir>/../share/velmar/<subdir>. A program run from the build tree has
// none there and falls back to what the build stages in
// <build>/share/velmar/<subdir>, then to the source tree's docs/<subdir>.
#include "velmar/framework/AfxString.h"

#include <string>
#include <vector>

// Those folders for `lpszSubdir`, in that order, whether they exist or not
// (the installed one is missing when the program's own path is unknown).
std::vector<std::wstring> VelmarDataDirs(LPCWSTR lpszSubdir);

// The first of those folders that exists, without a trailing separator; an
// empty string (last error ERROR_PATH_NOT_FOUND) when none does.
CString VelmarDataDir(LPCWSTR lpszSubdir);
