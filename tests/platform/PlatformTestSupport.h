#pragma once
// A scratch folder per test with the registry store, HOME and the XDG folders
// pointed into it, so that no test touches the user's own.

#include "win32/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/velmar-platform-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern.data()));
        dir_ = pattern;
        Set("VELMAR_REGISTRY", dir_ + "/registry.db");
        Set("HOME", dir_ + "/home");
        Set("XDG_DATA_HOME", dir_ + "/data");
        Set("XDG_CONFIG_HOME", dir_ + "/config");
        Set("XDG_CACHE_HOME", dir_ + "/cache");
        Set("XDG_RUNTIME_DIR", dir_ + "/runtime");
        Set("VELMAR_ACP", "65001");
    }
    void TearDown() override
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second.first)
                setenv(it->first.c_str(), it->second.second.c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;

private:
    void Set(const std::string& name, const std::string& value)
    {
        const char* old = std::getenv(name.c_str());
        saved_.push_back({name, {old != nullptr, old ? old : ""}});
        setenv(name.c_str(), value.c_str(), 1);
    }
    std::vector<std::pair<std::string, std::pair<bool, std::string>>> saved_;
};
