#pragma once
// A scratch folder per test, and a registry of the test's own: natively the
// registry store, HOME and the XDG folders point into the folder; on Windows
// the predefined root keys are redirected to keys below one scratch key under
// HKEY_CURRENT_USER\Software, which the test deletes when it ends. Either way
// every test starts from an empty registry and touches nothing of the user's.

#include "velmar/win32/win32.h"
#include "support/EnvGuard.h"
#include "support/TempDir.h"
#include "support/TestProgramPath.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace testsupport
{

// The full path of the test library.
inline std::string TestModulePath()
{
#ifdef _WIN32
    return BesideTestProgram(PLATFORM_TEST_MODULE_NAME);
#else
    return PLATFORM_TEST_MODULE;
#endif
}

class PlatformTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(dir_.empty()) << "no scratch folder";
#ifdef _WIN32
        ASSERT_TRUE(RedirectRegistry());
#else
        for (const auto& [name, value] : {std::pair{"VELMAR_REGISTRY", "/registry.db"},
                                          {"HOME", "/home"},
                                          {"XDG_DATA_HOME", "/data"},
                                          {"XDG_CONFIG_HOME", "/config"},
                                          {"XDG_CACHE_HOME", "/cache"},
                                          {"XDG_RUNTIME_DIR", "/runtime"}})
            env_.set(name, dir_ + value);
        env_.set("VELMAR_ACP", "65001");
#endif
    }
#ifdef _WIN32
    void TearDown() override
    {
        for (size_t i = 0; i < redirected_; ++i)
            RegOverridePredefKey(kRoots[i], nullptr);
        if (!scratchKey_.empty())
        {
            EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, scratchKey_.c_str()));
        }
    }
#endif

    std::string Path(const std::string& name) const
    {
        return scratch_.file(name);
    }

    TempDir scratch_;
    const std::string dir_ = scratch_.path();
    EnvGuard env_;

private:
#ifdef _WIN32
    // RegOverridePredefKey is made for this: the process sees the redirected
    // key wherever it names the root, in our code and in the test alike.
    static inline const HKEY kRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT,
                                         HKEY_USERS};

    bool RedirectRegistry()
    {
        scratchKey_ = L"Software\\Velmar platform tests " + std::to_wstring(GetCurrentProcessId());
        RegDeleteTreeW(HKEY_CURRENT_USER, scratchKey_.c_str()); // a crashed run's leftovers
        HKEY scratch = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, scratchKey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &scratch, nullptr) != ERROR_SUCCESS)
            return false;
        bool ok = true;
        for (const HKEY root : kRoots)
        {
            HKEY own = nullptr;
            const std::wstring name = std::to_wstring(reinterpret_cast<ULONG_PTR>(root) & 0xFF);
            ok = ok &&
                 RegCreateKeyExW(scratch, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                 &own, nullptr) == ERROR_SUCCESS &&
                 RegOverridePredefKey(root, own) == ERROR_SUCCESS;
            if (own)
                RegCloseKey(own);
            redirected_ += ok ? 1 : 0;
        }
        RegCloseKey(scratch);
        return ok;
    }

    std::wstring scratchKey_;
    size_t redirected_ = 0;
#endif
};

} // namespace testsupport
