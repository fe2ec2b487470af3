#pragma once
// The editor's help: HTML pages installed beside the program (share/velmar/help
// of its prefix) or, in a build tree, the source tree's docs/help, shown in
// the desktop's web browser.
#include <string>
#include <vector>

class CWnd;

// The folders searched for the pages, in order (VelmarDataDirs): the
// installed one, the build tree's, then the source tree's docs/help.
std::vector<std::wstring> HelpDirectories();

// The first of `dirs` that holds index.html, or "" when none does.
std::wstring FindHelpDirectory(const std::vector<std::wstring>& dirs);

// Shows the help's index in the web browser. When no pages are found, or no
// browser can be started, a message owned by pOwner says where the pages are
// (or should be). Whether the browser was asked to show them.
bool ShowHelpIndex(CWnd* pOwner);
