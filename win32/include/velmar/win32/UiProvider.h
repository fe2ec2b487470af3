#pragma once
// The calls that must show user interface (message boxes, file dialogs) are
// answered by one provider: the framework installs one with real dialogs,
// tests install one with scripted answers. Without a provider a message box
// writes its caption and text to standard error and answers with its default
// button, and a file dialog is cancelled.

#include "velmar/win32/Types.h"

#include <string>
#include <utility>
#include <vector>

namespace w32
{

// A message box as the caller asked for it.
struct MessageBoxRequest
{
    HWND owner = nullptr;
    std::wstring caption; // "Error" when the caller gave none, as on Windows
    std::wstring text;
    UINT style = 0;      // the caller's MB_* bits, unchanged
    int buttons[3] = {}; // the IDs of the buttons left to right, 0 after the last
    int buttonCount = 0;
    int defaultButton = 0; // the ID of the default button
};

// A file dialog as the caller asked for it (OPENFILENAMEW, decoded).
struct FileDialogRequest
{
    bool save = false;
    HWND owner = nullptr;
    std::wstring title; // empty: the dialog's own
    std::vector<std::pair<std::wstring, std::wstring>>
        filters;           // (description, patterns ";"-separated)
    DWORD filterIndex = 0; // 1-based selected filter, 0 when the caller names none
    std::wstring initialDir;
    std::wstring fileName;   // initial content of the file name box
    std::wstring defaultExt; // without the dot; empty when none
    DWORD flags = 0;         // the caller's OFN_* bits
};

// What the user chose in a file dialog.
struct FileDialogAnswer
{
    std::wstring path;     // full path of the chosen file
    DWORD filterIndex = 0; // 1-based filter the user left selected, 0 to keep the request's
    bool readOnly = false; // the read-only box was checked
};

class IUiProvider
{
public:
    virtual ~IUiProvider() = default;
    // The ID of the button the user chose (IDOK...), 0 when the box could not be shown.
    virtual int ShowMessageBox(const MessageBoxRequest& request) = 0;
    // True with the answer filled when the user chose a file, false when cancelled.
    // The layer then appends the default extension and asks the overwrite and
    // must-exist questions itself, through ShowMessageBox; providers should not.
    virtual bool ShowFileDialog(const FileDialogRequest& request, FileDialogAnswer& answer) = 0;
    // Shows the property sheet of a file (ShellExecuteEx with the verb
    // "properties"); false when it cannot. Providers without one keep this.
    virtual bool ShowFileProperties(HWND owner, const std::wstring& path)
    {
        (void)owner;
        (void)path;
        return false;
    }
};

// Installs provider (null: none) for the whole process; returns the one it replaces.
IUiProvider* InstallUiProvider(IUiProvider* provider);
// Removes provider if it is the one installed; true when it was.
bool UninstallUiProvider(IUiProvider* provider);
// The provider installed now, or null.
IUiProvider* CurrentUiProvider();

// Installs a provider for the lifetime of a scope and puts back the previous one.
class ScopedUiProvider
{
public:
    explicit ScopedUiProvider(IUiProvider* provider) : previous_(InstallUiProvider(provider)) {}
    ~ScopedUiProvider() { InstallUiProvider(previous_); }
    ScopedUiProvider(const ScopedUiProvider&) = delete;
    ScopedUiProvider& operator=(const ScopedUiProvider&) = delete;

private:
    IUiProvider* previous_;
};

} // namespace w32
