#pragma once
// Times and timers. FILETIME counts 100 ns from 1601-01-01 UTC. Local time is
// the process's time zone (TZ) with the offset in force at the instant being
// converted, so that a summer date stays right in winter.

#include "velmar/win32/Types.h"

#include <ctime>

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime);
BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime);
BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);
// Fails with ERROR_INVALID_PARAMETER on a field out of range (wDayOfWeek is ignored).
BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime);
void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);

// Milliseconds of a monotonic clock, wrapping at 2^32 (about 49.7 days).
DWORD WINAPI timeGetTime();
DWORD WINAPI GetTickCount();
ULONGLONG WINAPI GetTickCount64();
// Nanoseconds of the monotonic clock; the frequency is 1e9.
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);
void WINAPI Sleep(DWORD dwMilliseconds);

namespace w32
{

// 100 ns units between 1601-01-01 and 1970-01-01.
constexpr long long kUnixEpochInFileTime = 116444736000000000LL;

ULONGLONG FileTimeToU64(const FILETIME& ft);
FILETIME FileTimeFromU64(ULONGLONG value);
FILETIME FileTimeFromTimespec(const struct timespec& ts);
struct timespec TimespecFromFileTime(const FILETIME& ft);

} // namespace w32
