#include "velmar/win32/Scheduling.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/Handles.h"
#include "velmar/win32/LastError.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <mutex>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace
{

const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

DWORD_PTR MaskFromSet(const cpu_set_t& set)
{
    DWORD_PTR mask = 0;
    for (int cpu = 0; cpu < 64 && cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &set))
            mask |= DWORD_PTR(1) << cpu;
    return mask;
}

cpu_set_t SetFromMask(DWORD_PTR mask)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    for (int cpu = 0; cpu < 64; ++cpu)
        if (mask & (DWORD_PTR(1) << cpu))
            CPU_SET(cpu, &set);
    return set;
}

DWORD_PTR SystemMask()
{
    const long n = ::sysconf(_SC_NPROCESSORS_CONF);
    if (n <= 0)
        return 1;
    return n >= 64 ? ~DWORD_PTR(0) : ((DWORD_PTR(1) << n) - 1);
}

int ClassNice(DWORD cls)
{
    switch (cls)
    {
    case IDLE_PRIORITY_CLASS:
        return 19;
    case BELOW_NORMAL_PRIORITY_CLASS:
        return 10;
    case ABOVE_NORMAL_PRIORITY_CLASS:
        return -5;
    case HIGH_PRIORITY_CLASS:
        return -10;
    case REALTIME_PRIORITY_CLASS:
        return -20;
    default:
        return 0;
    }
}

DWORD ClassFromNice(int nice)
{
    if (nice >= 15)
        return IDLE_PRIORITY_CLASS;
    if (nice >= 5)
        return BELOW_NORMAL_PRIORITY_CLASS;
    if (nice >= -2)
        return NORMAL_PRIORITY_CLASS;
    if (nice >= -7)
        return ABOVE_NORMAL_PRIORITY_CLASS;
    if (nice >= -15)
        return HIGH_PRIORITY_CLASS;
    return REALTIME_PRIORITY_CLASS;
}

int ThreadNice(DWORD cls, int level)
{
    if (level == THREAD_PRIORITY_IDLE)
        return 19;
    if (level == THREAD_PRIORITY_TIME_CRITICAL)
        return -20;
    const int nice = ClassNice(cls) - 2 * level;
    return nice < -20 ? -20 : nice > 19 ? 19 : nice;
}

// The process-wide settings that Linux does not keep.
struct ProcessState
{
    std::mutex mutex;
    DWORD_PTR mask = 0;
    DWORD cls = NORMAL_PRIORITY_CLASS;
    std::map<pid_t, int> levels; // thread id -> level other than normal
};

ProcessState& State()
{
    static ProcessState* state = []
    {
        ProcessState* s = new ProcessState;
        cpu_set_t set;
        s->mask = ::sched_getaffinity(::getpid(), sizeof set, &set) == 0
                      ? MaskFromSet(set) & SystemMask()
                      : SystemMask();
        errno = 0;
        const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
        s->cls = errno ? NORMAL_PRIORITY_CLASS : ClassFromNice(nice);
        return s;
    }();
    return *state;
}

// Taken at start-up, before any thread of the program could be pinned.
[[maybe_unused]] const bool g_stateAtStart = (State(), true);

std::vector<pid_t> Threads()
{
    std::vector<pid_t> tids;
    if (DIR* dir = ::opendir("/proc/self/task"))
    {
        while (dirent* e = ::readdir(dir))
        {
            const long tid = std::strtol(e->d_name, nullptr, 10);
            if (tid > 0)
                tids.push_back(static_cast<pid_t>(tid));
        }
        ::closedir(dir);
    }
    if (tids.empty())
        tids.push_back(::gettid());
    return tids;
}

bool IsProcess(HANDLE h)
{
    if (h == GetCurrentProcess())
        return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

bool IsThread(HANDLE h)
{
    if (h == kCurrentThread)
        return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

// Applies a class to every thread; on a refusal puts back what it changed.
bool ApplyClass(ProcessState& s, DWORD cls)
{
    std::vector<std::pair<pid_t, int>> done;
    std::map<pid_t, int> live;
    for (pid_t tid : Threads())
    {
        const auto it = s.levels.find(tid);
        const int level = it == s.levels.end() ? 0 : it->second;
        if (it != s.levels.end())
            live.insert(*it);
        errno = 0;
        const int old = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
        if (errno)
            continue; // the thread has ended meanwhile
        if (::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), ThreadNice(cls, level)) != 0)
        {
            if (errno == ESRCH)
                continue;
            const int err = errno;
            for (const auto& [t, nice] : done)
                ::setpriority(PRIO_PROCESS, static_cast<id_t>(t), nice);
            errno = err;
            return false;
        }
        done.emplace_back(tid, old);
    }
    s.levels.swap(live);
    return true;
}

} // namespace

HANDLE WINAPI GetCurrentThread()
{
    return kCurrentThread;
}

DWORD WINAPI GetCurrentThreadId()
{
    return static_cast<DWORD>(::gettid());
}

BOOL WINAPI GetProcessAffinityMask(HANDLE hProcess, PDWORD_PTR lpProcessAffinityMask,
                                   PDWORD_PTR lpSystemAffinityMask)
{
    if (!IsProcess(hProcess))
        return FALSE;
    if (!lpProcessAffinityMask || !lpSystemAffinityMask)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    ProcessState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    *lpProcessAffinityMask = s.mask;
    *lpSystemAffinityMask = SystemMask();
    return TRUE;
}

BOOL WINAPI SetProcessAffinityMask(HANDLE hProcess, DWORD_PTR mask)
{
    if (!IsProcess(hProcess))
        return FALSE;
    if (mask == 0 || (mask & ~SystemMask()))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ProcessState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    const cpu_set_t set = SetFromMask(mask);
    for (pid_t tid : Threads())
    {
        if (::sched_setaffinity(tid, sizeof set, &set) != 0 && errno != ESRCH)
        {
            w32::SetLastErrorFromErrno(errno);
            return FALSE;
        }
    }
    s.mask = mask;
    return TRUE;
}

DWORD_PTR WINAPI SetThreadAffinityMask(HANDLE hThread, DWORD_PTR mask)
{
    if (!IsThread(hThread))
        return 0;
    ProcessState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (mask == 0 || (mask & ~s.mask))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    cpu_set_t old;
    if (::sched_getaffinity(0, sizeof old, &old) != 0)
    {
        w32::SetLastErrorFromErrno(errno);
        return 0;
    }
    const cpu_set_t set = SetFromMask(mask);
    if (::sched_setaffinity(0, sizeof set, &set) != 0)
    {
        w32::SetLastErrorFromErrno(errno);
        return 0;
    }
    const DWORD_PTR previous = MaskFromSet(old);
    return previous ? previous : s.mask;
}

DWORD WINAPI GetPriorityClass(HANDLE hProcess)
{
    if (!IsProcess(hProcess))
        return 0;
    ProcessState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.cls;
}

BOOL WINAPI SetPriorityClass(HANDLE hProcess, DWORD dwPriorityClass)
{
    if (!IsProcess(hProcess))
        return FALSE;
    switch (dwPriorityClass)
    {
    case IDLE_PRIORITY_CLASS:
    case BELOW_NORMAL_PRIORITY_CLASS:
    case NORMAL_PRIORITY_CLASS:
    case ABOVE_NORMAL_PRIORITY_CLASS:
    case HIGH_PRIORITY_CLASS:
    case REALTIME_PRIORITY_CLASS:
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ProcessState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (ApplyClass(s, dwPriorityClass))
    {
        s.cls = dwPriorityClass;
        return TRUE;
    }
    const int err = errno;
    if (dwPriorityClass == REALTIME_PRIORITY_CLASS && ApplyClass(s, HIGH_PRIORITY_CLASS))
    {
        s.cls = HIGH_PRIORITY_CLASS;
        return TRUE;
    }
    w32::SetLastErrorFromErrno(err);
    return FALSE;
}

int WINAPI GetThreadPriority(HANDLE hThread)
{
    if (!IsThread(hThread))
        return THREAD_PRIORITY_ERROR_RETURN;
    ProcessState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    const auto it = s.levels.find(::gettid());
    return it == s.levels.end() ? THREAD_PRIORITY_NORMAL : it->second;
}

BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority)
{
    if (!IsThread(hThread))
        return FALSE;
    switch (nPriority)
    {
    case THREAD_PRIORITY_IDLE:
    case THREAD_PRIORITY_LOWEST:
    case THREAD_PRIORITY_BELOW_NORMAL:
    case THREAD_PRIORITY_NORMAL:
    case THREAD_PRIORITY_ABOVE_NORMAL:
    case THREAD_PRIORITY_HIGHEST:
    case THREAD_PRIORITY_TIME_CRITICAL:
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ProcessState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), ThreadNice(s.cls, nPriority)) !=
        0)
    {
        w32::SetLastErrorFromErrno(errno);
        return FALSE;
    }
    if (nPriority == THREAD_PRIORITY_NORMAL)
        s.levels.erase(::gettid());
    else
        s.levels[::gettid()] = nPriority;
    return TRUE;
}
