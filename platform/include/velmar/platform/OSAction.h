#pragma once
// The most common calls the libraries make to the system outside file I/O.
#include "velmar/foundation/String.h"

#include <cstdint>

namespace nkPlatform
{

// Button sets of ShowMessage.
enum : int
{
    kButtonsOk = 0,
    kButtonsOkCancel = 2,
    kButtonsRetryCancel = 3,
    kButtonsYesNo = 4,
    kButtonsYesNoCancel = 5,
};

// Icons of ShowMessage.
enum : int
{
    kIconNone = 0,
    kIconInformation = 1,
    kIconError = 3,
    kIconQuestion = 4,
};

// Answers of ShowMessage.
enum : int
{
    kAnswerNone = 0,
    kAnswerOk = 1,
    kAnswerYes = 2,
    kAnswerNo = 3,
    kAnswerCancel = 4,
    kAnswerRetry = 5,
};

// Flags of Shutdown.
enum : std::uint32_t
{
    kShutdownLogOff = 0,
    kShutdownPowerOff = 1,
    kShutdownReboot = 2,
    kShutdownForce = 4,
};

class IOSAction
{
public:
    virtual ~IOSAction() = default;

    // The high-resolution performance counter, 0 when it cannot be read.
    virtual std::uint64_t GetTimeStamp() = 0;
    // Opens file (a program, document or address) with params through the shell.
    virtual bool ShellOpen(const wchar_t* file, const wchar_t* params) = 0;
    virtual bool ShellOpen(const char* file, const char* params) = 0;
    // A message box without owner; buttons, icon and the answer are the
    // constants above (kAnswerNone when it could not be shown).
    virtual int ShowMessage(const wchar_t* caption, const wchar_t* text, int buttons, int icon) = 0;
    virtual int ShowMessage(const char* caption, const char* text, int buttons, int icon) = 0;
    // Logs off, shuts down or reboots (kShutdown... flags).
    virtual bool Shutdown(std::uint32_t flags) = 0;
    // The system's text of the calling thread's last error (empty when it has none).
    virtual nkMem::CStringT<char>& GetLastErrorText(nkMem::CStringT<char>& out) = 0;
    virtual nkMem::CStringT<wchar_t>& GetLastErrorText(nkMem::CStringT<wchar_t>& out) = 0;
};

} // namespace nkPlatform
