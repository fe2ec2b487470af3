#pragma once
// The version resource of a file and its usual string entries. Here our own
// programs and shared objects carry the resource in an ELF section; other
// files have none and leave every field zero.
#include "velmar/foundation/AutoPtr.h"
#include "velmar/win32/win32.h"

#include <cstdint>

namespace nkPlatform
{

class CFileVersionInfo
{
public:
    // The string entries the reader knows, in table order.
    static constexpr const char* kStringNames[] = {
        "FileVersion",    "FileDescription",  "CompanyName", "InternalName",
        "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"};
    static constexpr const wchar_t* kStringNamesW[] = {
        L"FileVersion",    L"FileDescription",  L"CompanyName", L"InternalName",
        L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"};

    CFileVersionInfo() = default;
    // Loads the file's resource unless name is null or empty.
    explicit CFileVersionInfo(const char* name);
    explicit CFileVersionInfo(const wchar_t* name);
    CFileVersionInfo(const CFileVersionInfo&) = delete;
    CFileVersionInfo& operator=(const CFileVersionInfo&) = delete;
    virtual ~CFileVersionInfo() = default;

    // Reads the file's whole resource and parses it; false (all fields zero)
    // when the file has none or cannot be read.
    bool Load(const char* name);
    bool Load(const wchar_t* name);
    // Takes the translation, the fixed information and the three common strings
    // from the loaded resource.
    void Parse();
    // A string entry of the first translation ("\StringFileInfo\<lang><cp>\key";
    // 0000 0000 without a translation table), or null when absent. The pointer
    // lives as long as the loaded resource.
    const char* GetString(const char* key) const;
    const wchar_t* GetString(const wchar_t* key) const;

    bool IsLoaded() const { return dataSize != 0; }

    // 1 when the fixed information's target system is 16-bit or 32-bit
    // Windows or NT, alone or combined (VOS_NT_WINDOWS32), else 0.
    std::uint32_t isWindowsFile = 0;
    // The first entry of the translation table, 0 when there is none.
    std::uint16_t codePage = 0;
    std::uint16_t language = 0;
    // The whole resource as the system hands it out.
    nkMem::CAutoPtr<unsigned char, nkMem::DefAllocArray<unsigned char>,
                    nkMem::DefFreeArray<unsigned char>>
        data;
    std::uint32_t dataSize = 0;
    // Points into data; null when absent.
    const VS_FIXEDFILEINFO* fixed = nullptr;
    const char* description = nullptr;
    const char* company = nullptr;
    const char* product = nullptr;

private:
    void Reset();
    bool Fill(DWORD size, bool (*read)(const void* name, DWORD size, void* block),
              const void* name);
};

} // namespace nkPlatform
