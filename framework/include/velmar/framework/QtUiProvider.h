#pragma once
// The user-interface provider the framework installs in the win32 layer:
// MessageBoxW and the common file dialogs shown as Qt dialogs. Tests install
// their own scripted provider instead.
#include "velmar/framework/AfxTypes.h"

class CQtUiProvider : public w32::IUiProvider
{
public:
    int ShowMessageBox(const w32::MessageBoxRequest& request) override;
    bool ShowFileDialog(const w32::FileDialogRequest& request,
                        w32::FileDialogAnswer& answer) override;
    // The file's property sheet (framework/FileProperties.h), modeless.
    bool ShowFileProperties(HWND owner, const std::wstring& path) override;

    // Installs the Qt provider when no provider is installed; TRUE if it did.
    static BOOL InstallIfNone();
    // Removes it again if it is still the installed one.
    static void Uninstall();
};
