#pragma once
// The Windows VS_VERSIONINFO resource: its structures, a builder that lays one
// out exactly as the resource compiler does (UTF-16LE keys and strings, every
// block aligned to 4 bytes), and the ELF section that carries it in our own
// programs and shared objects.

#include "velmar/win32/Types.h"

#include <string>
#include <utility>
#include <vector>

#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VS_FFI_FILEFLAGSMASK 0x0000003Fu

#define VS_FF_DEBUG 0x00000001u
#define VS_FF_PRERELEASE 0x00000002u
#define VS_FF_PATCHED 0x00000004u
#define VS_FF_PRIVATEBUILD 0x00000008u
#define VS_FF_INFOINFERRED 0x00000010u
#define VS_FF_SPECIALBUILD 0x00000020u

#define VOS_UNKNOWN 0x00000000u
#define VOS_DOS 0x00010000u
#define VOS_NT 0x00040000u
#define VOS__WINDOWS16 0x00000001u
#define VOS__WINDOWS32 0x00000004u
#define VOS_NT_WINDOWS32 0x00040004u

#define VFT_UNKNOWN 0x00000000u
#define VFT_APP 0x00000001u
#define VFT_DLL 0x00000002u
#define VFT_STATIC_LIB 0x00000007u

typedef struct tagVS_FIXEDFILEINFO
{
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
} VS_FIXEDFILEINFO;

namespace w32
{

// Name of the ELF section that holds a file's VS_VERSIONINFO bytes.
inline constexpr const char* kVersionSectionName = ".win32.version";

struct VersionResource
{
    WORD fileVersion[4] = {0, 0, 0, 0};
    WORD productVersion[4] = {0, 0, 0, 0};
    DWORD fileFlags = 0;
    DWORD fileOS = VOS_UNKNOWN;
    DWORD fileType = VFT_APP;
    WORD language = 0x0409; // US English
    WORD codePage = 1200;   // Unicode
    // "CompanyName", "FileDescription", "FileVersion"... in the order written.
    std::vector<std::pair<std::wstring, std::wstring>> strings;
};

// The resource bytes; empty when it would not fit the 16-bit block lengths.
std::vector<unsigned char> BuildVersionResource(const VersionResource& resource);

// "1.2.3.4" (missing parts 0) into four words; false for anything else.
bool ParseVersionNumber(const std::string& text, WORD out[4]);

} // namespace w32
