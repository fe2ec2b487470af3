#pragma once
// Processor affinity and scheduling priority, mapped to the Linux scheduler.
//
// Linux keeps affinity and nice values per thread, Windows keeps a process
// mask and class beside the thread settings. This layer keeps the process's
// mask and class itself (taken from the main thread at start-up) and applies
// them to every thread when they change, so that pinning one thread does not
// shrink the mask the process reports.
//
// Priority classes are nice values: idle 19, below normal 10, normal 0, above
// normal -5, high -10, real-time -20. A thread's level moves its nice value
// by two steps per level from its class (lowest +4 ... highest -4); idle and
// time-critical are the extremes 19 and -20, as they are fixed on Windows.
// Raising a priority needs CAP_SYS_NICE: without it the change fails with
// ERROR_ACCESS_DENIED, except that real-time falls back to high when that is
// allowed, as Windows does for a caller without the privilege. Only the pseudo
// handles of the current process and thread are accepted.

#include "velmar/win32/Types.h"

#define IDLE_PRIORITY_CLASS 0x00000040u
#define BELOW_NORMAL_PRIORITY_CLASS 0x00004000u
#define NORMAL_PRIORITY_CLASS 0x00000020u
#define ABOVE_NORMAL_PRIORITY_CLASS 0x00008000u
#define HIGH_PRIORITY_CLASS 0x00000080u
#define REALTIME_PRIORITY_CLASS 0x00000100u

#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7fffffff

typedef DWORD_PTR* PDWORD_PTR;

// The pseudo-handle (HANDLE)-2 of the calling thread.
HANDLE WINAPI GetCurrentThread();
DWORD WINAPI GetCurrentThreadId();

// Masks cover the first 64 processors.
BOOL WINAPI GetProcessAffinityMask(HANDLE hProcess, PDWORD_PTR lpProcessAffinityMask,
                                   PDWORD_PTR lpSystemAffinityMask);
BOOL WINAPI SetProcessAffinityMask(HANDLE hProcess, DWORD_PTR dwProcessAffinityMask);
// The thread's previous mask, or 0 (last error set); the mask must lie within
// the process's mask (ERROR_INVALID_PARAMETER otherwise).
DWORD_PTR WINAPI SetThreadAffinityMask(HANDLE hThread, DWORD_PTR dwThreadAffinityMask);

DWORD WINAPI GetPriorityClass(HANDLE hProcess);
BOOL WINAPI SetPriorityClass(HANDLE hProcess, DWORD dwPriorityClass);
int WINAPI GetThreadPriority(HANDLE hThread);
BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority);
