#pragma once
// Where the running test program lies, and the files the build puts beside it:
// helper programs and libraries are found there, because on Windows the
// build's own paths are host paths the system under test need not understand.

#include "velmar/win32/win32.h"

#include <string>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace testsupport
{

inline std::string SelfPath()
{
#ifdef _WIN32
    char buf[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
#else
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
#endif
}

inline std::string BesideTestProgram(const std::string& name)
{
    const std::string self = SelfPath();
    const std::string::size_type slash = self.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) + name;
}

} // namespace testsupport
