#pragma once
// IOSAction on the Win32 calls. Here message boxes go to the UI provider that
// the framework (or a test) installs, shell execution and Shutdown go through
// the win32 layer's launcher (xdg-open, loginctl, systemctl), and the time
// stamp is the monotonic clock in nanoseconds.
#include "velmar/platform/OSAction.h"

namespace nkPlatform
{

class COSVersion;

class CWinAction : public IOSAction
{
public:
    explicit CWinAction(COSVersion* version = nullptr) : version(version) {}

    std::uint64_t GetTimeStamp() override;
    // False when the shell could not start it (the last error says why).
    bool ShellOpen(const wchar_t* file, const wchar_t* params) override;
    bool ShellOpen(const char* file, const char* params) override;
    int ShowMessage(const wchar_t* caption, const wchar_t* text, int buttons, int icon) override;
    int ShowMessage(const char* caption, const char* text, int buttons, int icon) override;
    // Enables SeShutdownPrivilege, asks the system, disables it again. True
    // when the system took the request and the privilege was disabled again;
    // a refused request is never hidden by a successful disabling step.
    bool Shutdown(std::uint32_t flags) override;
    nkMem::CStringT<char>& GetLastErrorText(nkMem::CStringT<char>& out) override;
    nkMem::CStringT<wchar_t>& GetLastErrorText(nkMem::CStringT<wchar_t>& out) override;

    // The message-box style for ShowMessage's buttons and icon.
    static unsigned MessageStyle(int buttons, int icon);
    // ShowMessage's answer for a message-box result.
    static int MessageAnswer(int result);

    // The version record the privilege steps consult (may be null).
    COSVersion* version = nullptr;
};

} // namespace nkPlatform
