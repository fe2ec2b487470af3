#include "velmar/platform/nkPlatform.h"

#include "PlatformTestSupport.h"

#ifndef _WIN32
#include <elf.h>
#endif

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

using nkPlatform::CDllModule;
using nkPlatform::CFileVersionInfo;
using testsupport::TestModulePath;

namespace
{

// Whether the test module is loaded in the process at all.
bool TestModuleLoaded()
{
    return GetModuleHandleA(TestModulePath().c_str()) != nullptr;
}

std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}

#ifndef _WIN32

// A minimal 64-bit ELF file whose only content is a version section.
void WriteElfWithSection(const std::string& path, const std::vector<unsigned char>& payload)
{
    const char names[] = "\0.shstrtab\0.win32.version\0";
    Elf64_Ehdr eh{};
    std::memcpy(eh.e_ident, ELFMAG, SELFMAG);
    eh.e_ident[EI_CLASS] = ELFCLASS64;
    eh.e_ident[EI_DATA] = ELFDATA2LSB;
    eh.e_ident[EI_VERSION] = EV_CURRENT;
    eh.e_type = ET_DYN;
    eh.e_version = EV_CURRENT;
    eh.e_ehsize = sizeof eh;
    eh.e_shentsize = sizeof(Elf64_Shdr);
    eh.e_shnum = 3;
    eh.e_shstrndx = 1;
    const std::uint64_t namesAt = sizeof eh;
    const std::uint64_t payloadAt = namesAt + sizeof names;
    eh.e_shoff = payloadAt + payload.size();
    Elf64_Shdr sh[3]{};
    sh[1].sh_name = 1;
    sh[1].sh_type = SHT_STRTAB;
    sh[1].sh_offset = namesAt;
    sh[1].sh_size = sizeof names;
    sh[2].sh_name = 11;
    sh[2].sh_type = SHT_PROGBITS;
    sh[2].sh_offset = payloadAt;
    sh[2].sh_size = payload.size();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&eh), sizeof eh);
    out.write(names, sizeof names);
    out.write(reinterpret_cast<const char*>(payload.data()),
              static_cast<std::streamsize>(payload.size()));
    out.write(reinterpret_cast<const char*>(sh), sizeof sh);
}

// A version resource with its "VarFileInfo" block (the translation table) cut off.
std::vector<unsigned char> ResourceWithoutTranslation()
{
    w32::VersionResource r;
    r.language = 0;
    r.codePage = 0;
    r.fileVersion[0] = 3;
    r.fileOS = VOS_NT_WINDOWS32;
    r.strings = {{L"FileVersion", L"3.0.0.0"}, {L"CompanyName", L"Nowhere Ltd."}};
    std::vector<unsigned char> bytes = w32::BuildVersionResource(r);
    const char16_t key[] = u"VarFileInfo";
    for (size_t at = 0; at + sizeof key <= bytes.size(); at += 2)
    {
        if (std::memcmp(bytes.data() + at, key, sizeof key) == 0)
        {
            bytes.resize(at - 6); // the block's three header words
            bytes[0] = static_cast<unsigned char>(bytes.size() & 0xff);
            bytes[1] = static_cast<unsigned char>(bytes.size() >> 8);
            return bytes;
        }
    }
    return {};
}
#endif

} // namespace

TEST(DllModule, CopiesShareTheLibraryUntilTheLastGoes)
{
    const std::string module = TestModulePath();
    ASSERT_FALSE(TestModuleLoaded());
    {
        CDllModule first;
        EXPECT_FALSE(first.IsLoaded());
        EXPECT_EQ(nullptr, first.GetProc("platform_test_answer"));
        ASSERT_TRUE(first.Load(module.c_str()));
        EXPECT_TRUE(TestModuleLoaded());
        EXPECT_EQ(Wide(module), std::wstring(first.GetPath()));

        auto answer = reinterpret_cast<int (*)()>(
            reinterpret_cast<void (*)()>(first.GetProc("platform_test_answer")));
        ASSERT_NE(nullptr, answer);
        EXPECT_EQ(42, answer());
        EXPECT_EQ(nullptr, first.GetProc(nullptr));
        EXPECT_EQ(nullptr, first.GetProc("no_such_function"));

        {
            CDllModule second(first);
            CDllModule third;
            third = second;
            EXPECT_TRUE(first.IsShared());
            EXPECT_EQ(3u, first.GetRefCount());
            EXPECT_EQ(first.module, third.module);
            third = third; // itself: nothing changes
            EXPECT_EQ(3u, first.GetRefCount());
        }
        // Two copies gone, the library stays for the first.
        EXPECT_TRUE(TestModuleLoaded());
        EXPECT_FALSE(first.IsShared());
        EXPECT_EQ(42, answer());

        // Unloading a shared copy leaves the library to the others, and the
        // copy does not count against them afterwards.
        CDllModule fourth(first);
        fourth.Unload();
        EXPECT_FALSE(fourth.IsLoaded());
        EXPECT_EQ(1u, first.GetRefCount());
        EXPECT_TRUE(TestModuleLoaded());
    }
    EXPECT_FALSE(TestModuleLoaded());

    // Loading into an object that shares its library keeps the other holder's.
    {
        CDllModule a;
        ASSERT_TRUE(a.Load(module.c_str()));
        CDllModule b(a);
        EXPECT_FALSE(b.Load("libvelmar-no-such-library"));
        EXPECT_FALSE(b.IsLoaded());
        EXPECT_EQ(std::wstring(), std::wstring(b.GetPath()));
        EXPECT_TRUE(TestModuleLoaded());
        EXPECT_NE(nullptr, a.GetProc("platform_test_answer"));
    }
    EXPECT_FALSE(TestModuleLoaded());

    EXPECT_TRUE(CDllModule::CanLoad(module.c_str()));
    EXPECT_TRUE(CDllModule::CanLoad(Wide(module).c_str()));
    EXPECT_FALSE(TestModuleLoaded());
    EXPECT_FALSE(CDllModule::CanLoad(L"libvelmar-no-such-library"));
    EXPECT_FALSE(CDllModule::CanLoad(static_cast<const char*>(nullptr)));
}

TEST(DllModule, WindowsOnlyQueriesAnswerNo)
{
    CDllModule kernel;
#ifdef _WIN32
    // The system's own libraries are there; a 64-bit program is no WOW64
    // process, and the theme answer is uxtheme's own.
    ASSERT_TRUE(kernel.Load("kernel32"));
    EXPECT_NE(nullptr, kernel.GetProc("IsWow64Process"));
    EXPECT_FALSE(nkPlatform::IsWow64());
    CDllModule uxtheme;
    ASSERT_TRUE(uxtheme.Load("uxtheme"));
    auto isThemeActive = reinterpret_cast<BOOL(WINAPI*)()>(
        reinterpret_cast<void (*)()>(uxtheme.GetProc("IsThemeActive")));
    ASSERT_NE(nullptr, isThemeActive);
    EXPECT_EQ(isThemeActive() != FALSE, nkPlatform::IsVisualThemeActive());
#else
    EXPECT_FALSE(kernel.Load("kernel32"));
    EXPECT_EQ(nullptr, kernel.GetProc("IsWow64Process"));
    EXPECT_FALSE(nkPlatform::IsWow64());
    EXPECT_FALSE(nkPlatform::IsVisualThemeActive());
#endif
}

using VersionFilesTest = testsupport::PlatformTest;

TEST_F(VersionFilesTest, ReadsOurOwnResources)
{
    const std::string path = TestModulePath();
    CDllModule module;
    ASSERT_TRUE(module.Load(path.c_str()));
    nkMem::CStringT<char> version;
    module.GetFileVersion(version);
    nkMem::CStringT<wchar_t> wideVersion;
    module.GetFileVersion(wideVersion);
    EXPECT_FALSE(version.IsEmpty());
    EXPECT_EQ(std::wstring(version.GetString(), version.GetString() + version.GetLength()),
              std::wstring(wideVersion.GetString()));

    CFileVersionInfo info(path.c_str());
    ASSERT_TRUE(info.IsLoaded());
    EXPECT_EQ(0x0409, info.language);
    EXPECT_EQ(1200, info.codePage);
    ASSERT_NE(nullptr, info.fixed);
    EXPECT_EQ(VS_FFI_SIGNATURE, info.fixed->dwSignature);
    EXPECT_EQ(VFT_DLL, info.fixed->dwFileType);
#ifdef _WIN32
    EXPECT_EQ(static_cast<DWORD>(VOS_NT_WINDOWS32), info.fixed->dwFileOS);
    EXPECT_EQ(1u, info.isWindowsFile);
#else
    EXPECT_EQ(0u, info.isWindowsFile); // our files name no Windows target here
#endif
    EXPECT_EQ(static_cast<DWORD>(VS_FFI_FILEFLAGSMASK), info.fixed->dwFileFlagsMask);
    EXPECT_EQ(0u, info.fixed->dwFileFlags);
    ASSERT_NE(nullptr, info.description);
    EXPECT_STREQ("Velmar platform test module", info.description);
    EXPECT_STREQ("Brandvik Corp.", info.company);
    EXPECT_STREQ("Velmar", info.product);
    EXPECT_STREQ(version.GetString(), info.GetString("FileVersion"));
    EXPECT_STREQ(L"Velmar", info.GetString(L"ProductName"));
    EXPECT_EQ(nullptr, info.GetString("PrivateBuild"));
    EXPECT_EQ(nullptr, info.GetString(static_cast<const char*>(nullptr)));
    for (const char* name : CFileVersionInfo::kStringNames)
        EXPECT_NE(nullptr, info.GetString(name)) << name;

#ifdef VELMAR_EDITOR_PATH
    CFileVersionInfo editor(L"" VELMAR_EDITOR_PATH);
    ASSERT_TRUE(editor.IsLoaded());
    EXPECT_STREQ("Velmar XML editor", editor.description);
    EXPECT_STREQ("Velmar", editor.product);
    EXPECT_STREQ("velmar", editor.GetString("InternalName"));
    EXPECT_EQ(VFT_APP, editor.fixed->dwFileType);
#endif

    const std::string fileName = path.substr(path.find_last_of("\\/") + 1);
    EXPECT_EQ(fileName, info.GetString("OriginalFilename"));

    // The test program has its own, as a program.
    CFileVersionInfo self;
    wchar_t selfPath[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameW(nullptr, selfPath, MAX_PATH));
    ASSERT_TRUE(self.Load(selfPath));
    EXPECT_EQ(VFT_APP, self.fixed->dwFileType);
    EXPECT_STREQ("Velmar platform library tests", self.description);

    // A second load into the same object forgets the first resource: a real
    // program without a version resource natively, a plain file on Windows.
#ifdef _WIN32
    const std::string noResource = Path("plain.dll");
    std::ofstream(noResource) << "MZ";
#else
    const std::string noResource = "/bin/sh";
#endif
    EXPECT_FALSE(info.Load(noResource.c_str()));
    EXPECT_EQ(nullptr, info.GetString("FileVersion"));
    // That, files without a resource, or none at all, leave everything zero.
    std::ofstream(Path("plain.txt")) << "text";
    for (const std::string& name : {Path("plain.txt"), Path("missing.so"), std::string()})
    {
        CFileVersionInfo none(name.c_str());
        for (const CFileVersionInfo* v : {&info, &none})
        {
            EXPECT_FALSE(v->IsLoaded()) << name;
            EXPECT_EQ(0u, v->dataSize);
            EXPECT_EQ(nullptr, v->fixed);
            EXPECT_EQ(nullptr, v->description);
            EXPECT_EQ(nullptr, v->company);
            EXPECT_EQ(0, v->language);
        }
    }
}

TEST_F(VersionFilesTest, WithoutTranslationTheSubBlockIsAllZeros)
{
#ifdef _WIN32
    const std::string file = testsupport::BesideTestProgram(PLATFORM_UNTRANSLATED_MODULE_NAME);
#else
    // Natively the resource goes by hand into the ELF section our layer reads.
    const std::vector<unsigned char> resource = ResourceWithoutTranslation();
    ASSERT_FALSE(resource.empty());
    const std::string file = Path("old.so");
    WriteElfWithSection(file, resource);
#endif

    CFileVersionInfo info(file.c_str());
    ASSERT_TRUE(info.IsLoaded());
    EXPECT_EQ(0, info.language);
    EXPECT_EQ(0, info.codePage);
    // The strings sit in table "00000000", which the reader then asks for.
    EXPECT_STREQ("Nowhere Ltd.", info.company);
    EXPECT_STREQ("3.0.0.0", info.GetString("FileVersion"));
    EXPECT_EQ(nullptr, info.description);
    ASSERT_NE(nullptr, info.fixed);
    EXPECT_EQ(0x00030000u, info.fixed->dwFileVersionMS);
    EXPECT_EQ(1u, info.isWindowsFile); // VOS_NT_WINDOWS32, the usual combined value
}
