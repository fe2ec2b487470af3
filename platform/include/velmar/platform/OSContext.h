#pragma once
// The object that bundles the OS services: the version record, the actions and
// the system's names. Here the short name is the running system's ("Linux"
// on Linux, "Windows" on Windows) and the full name keeps the Windows form
// with that name: "Linux 6.8 Build0012" (" NT" or " 9x" after the name only
// on Windows, where the family is a real distinction).
#include "velmar/platform/OSVersion.h"
#include "velmar/platform/WinAction.h"

namespace nkPlatform
{

class COSContext
{
public:
    // Queries the version and builds the names.
    COSContext();
    COSContext(const COSContext&) = delete;
    COSContext& operator=(const COSContext&) = delete;

    // The system's name alone.
    const wchar_t* GetShortName() const { return shortName; }
    // The name with version and build.
    const wchar_t* GetFullName() const { return fullName; }

    // Builds shortName and fullName from a version record.
    static void MakeNames(const COSVersion& v, wchar_t* shortName, std::size_t shortSize,
                          wchar_t* fullName, std::size_t fullSize);

    COSVersion* version;
    CWinAction* action;
    wchar_t shortName[128];
    wchar_t fullName[256];

private:
    COSVersion m_version;
    CWinAction m_action;
};

} // namespace nkPlatform
