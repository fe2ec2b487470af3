#pragma once
// Environment variables set or cleared for the life of the object.

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace testsupport
{

class EnvGuard
{
public:
    EnvGuard() = default;
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;
    ~EnvGuard()
    {
        for (const auto& [name, old] : saved_)
            Put(name, old ? old->c_str() : nullptr);
    }
    void set(const std::string& name, const std::string& value)
    {
        remember(name);
        Put(name, value.c_str());
    }
    void unset(const std::string& name)
    {
        remember(name);
        Put(name, nullptr);
    }

private:
    static void Put(const std::string& name, const char* value)
    {
#ifdef _WIN32
        // The C runtime's copy is what getenv reads; an empty value removes it.
        _putenv_s(name.c_str(), value ? value : "");
#else
        if (value)
            ::setenv(name.c_str(), value, 1);
        else
            ::unsetenv(name.c_str());
#endif
    }
    void remember(const std::string& name)
    {
        if (saved_.count(name))
            return;
        const char* v = std::getenv(name.c_str());
        saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

} // namespace testsupport
