#pragma once
// Where the editor's installed data lives: share/velmar beside the program's
// bin folder (<exe dir>/../share/velmar/...), with the build and source trees
// as fallbacks for a program run where it was built.
#include <string>
#include <vector>

// <exe dir>/../share/velmar/<sub>; "" when the program's own path is unknown.
std::wstring InstalledDataDirectory(const wchar_t* sub);

// The installed folder `sub`, then `fallback` (a folder of the build or the
// source tree; null for none).
std::vector<std::wstring> DataDirectories(const wchar_t* sub, const wchar_t* fallback);

// The folders searched for the interface's translations (.qm files): the
// installed one, then the build tree's.
std::vector<std::wstring> TranslationDirectories();
