#pragma once
// The desktop's choices of programs, found the way freedesktop.org launchers
// find them: mimeapps.list defaults, desktop entries and their Exec lines,
// $VISUAL for the text editor and $BROWSER for the web browser.

#include <string>
#include <vector>

namespace w32
{

// The executable a bare name or a path names ("" when none): a name with a
// slash is taken as a path, a bare name is searched in PATH.
std::string FindProgram(const std::string& name);

// The desktop entry file ("" when none) that the user's or the system's
// mimeapps.list names as the default for a MIME type, the first one that exists.
std::string DefaultDesktopEntry(const std::string& mimeType);

// The command line of a desktop entry's Exec key with its field codes filled
// from argument (%f %F %u %U; appended when the line has none). False when the
// entry has no usable Exec line.
bool DesktopEntryCommand(const std::string& entryPath, const std::string& argument,
                         std::vector<std::string>& argv);

// The desktop's plain-text editor on a file: $VISUAL, else the text/plain
// default, else the first known graphical editor on the PATH. False when none.
bool TextEditorCommand(const std::string& file, std::vector<std::string>& argv);

// The desktop's web browser on an address: $BROWSER (a colon-separated list,
// "%s" standing for the address), else the x-scheme-handler/http default, else
// the first known browser on the PATH, else xdg-open.
bool BrowserCommand(const std::string& url, std::vector<std::string>& argv);

// The command that opens a document or address with the desktop's default application.
std::vector<std::string> OpenDocumentCommand(const std::string& target);

// A file URL for a path: absolute (from the current folder), percent-encoded.
std::string FileUrl(const std::string& path);

// Whether text starts with a URL scheme ("http:", "file:", "mailto:"...).
bool HasUrlScheme(const std::string& text);

} // namespace w32
