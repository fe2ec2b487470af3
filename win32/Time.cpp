#include "velmar/win32/Time.h"

#include "velmar/win32/ErrorCodes.h"
#include "velmar/win32/LastError.h"
#include "SysCalls.h"

#include <cerrno>
#include <cstdint>

namespace w32
{

ULONGLONG FileTimeToU64(const FILETIME& ft)
{
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME FileTimeFromU64(ULONGLONG value)
{
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

FILETIME FileTimeFromTimespec(const struct timespec& ts)
{
    const long long value =
        static_cast<long long>(ts.tv_sec) * 10000000LL + ts.tv_nsec / 100 + kUnixEpochInFileTime;
    return FileTimeFromU64(value < 0 ? 0 : static_cast<ULONGLONG>(value));
}

struct timespec TimespecFromFileTime(const FILETIME& ft)
{
    const long long since = static_cast<long long>(FileTimeToU64(ft)) - kUnixEpochInFileTime;
    long long sec = since / 10000000LL;
    long long rest = since % 10000000LL;
    if (rest < 0)
    {
        rest += 10000000LL;
        --sec;
    }
    struct timespec ts
    {
    };
    ts.tv_sec = static_cast<time_t>(sec);
    ts.tv_nsec = static_cast<long>(rest * 100);
    return ts;
}

} // namespace w32

namespace
{

constexpr ULONGLONG kMaxFileTime = 0x7FFFFFFFFFFFFFFFULL;
constexpr long long kTicksPerSecond = 10000000LL;
constexpr long long kTicksPerDay = 86400LL * kTicksPerSecond;

// Days from 1601-01-01 to the given civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days1970 = era * 146097 + static_cast<long long>(doe) - 719468;
    return days1970 + 134774; // 1601-01-01 is 134774 days before 1970-01-01
}

void CivilFromDays(long long days1601, long long& y, unsigned& m, unsigned& d)
{
    const long long z = days1601 - 134774 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
}

bool IsLeap(unsigned y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned DaysInMonth(unsigned y, unsigned m)
{
    static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Offset from UTC, in seconds, of local time at a UTC instant.
bool OffsetAtUtc(long long unixSeconds, long& offset)
{
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm local;
    if (!localtime_r(&t, &local))
        return false;
    offset = local.tm_gmtoff;
    return true;
}

// Offset from UTC of a local wall-clock time; an hour skipped or repeated by a
// clock change takes the offset mktime settles on.
bool OffsetAtLocal(long long localSeconds, long& offset)
{
    const time_t asUtc = static_cast<time_t>(localSeconds);
    struct tm fields;
    if (!gmtime_r(&asUtc, &fields))
        return false;
    fields.tm_isdst = -1;
    errno = 0;
    const time_t t = mktime(&fields);
    if (t == static_cast<time_t>(-1) && errno)
        return false;
    offset = fields.tm_gmtoff;
    return true;
}

long long FloorDiv(long long a, long long b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

BOOL ShiftFileTime(const FILETIME* in, LPFILETIME out, bool toLocal)
{
    if (!in || !out)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ULONGLONG value = w32::FileTimeToU64(*in);
    if (value > kMaxFileTime)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const long long seconds =
        FloorDiv(static_cast<long long>(value) - w32::kUnixEpochInFileTime, kTicksPerSecond);
    long offset = 0;
    if (!(toLocal ? OffsetAtUtc(seconds, offset) : OffsetAtLocal(seconds, offset)))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const long long shifted =
        static_cast<long long>(value) + (toLocal ? 1 : -1) * offset * kTicksPerSecond;
    if (shifted < 0 || static_cast<ULONGLONG>(shifted) > kMaxFileTime)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *out = w32::FileTimeFromU64(static_cast<ULONGLONG>(shifted));
    return TRUE;
}

struct timespec Monotonic()
{
    struct timespec ts
    {
    };
    w32::sys::clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts;
}

} // namespace

BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime)
{
    return ShiftFileTime(lpFileTime, lpLocalFileTime, true);
}

BOOL WINAPI LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime)
{
    return ShiftFileTime(lpLocalFileTime, lpFileTime, false);
}

BOOL WINAPI FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime)
{
    if (!lpFileTime || !lpSystemTime)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ULONGLONG value = w32::FileTimeToU64(*lpFileTime);
    if (value > kMaxFileTime)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const long long days = static_cast<long long>(value / kTicksPerDay);
    const long long rest = static_cast<long long>(value % kTicksPerDay);
    long long y;
    unsigned m, d;
    CivilFromDays(days, y, m, d);
    lpSystemTime->wYear = static_cast<WORD>(y);
    lpSystemTime->wMonth = static_cast<WORD>(m);
    lpSystemTime->wDay = static_cast<WORD>(d);
    lpSystemTime->wDayOfWeek = static_cast<WORD>((days + 1) % 7); // 1601-01-01 was a Monday
    lpSystemTime->wHour = static_cast<WORD>(rest / (3600 * kTicksPerSecond));
    lpSystemTime->wMinute = static_cast<WORD>(rest / (60 * kTicksPerSecond) % 60);
    lpSystemTime->wSecond = static_cast<WORD>(rest / kTicksPerSecond % 60);
    lpSystemTime->wMilliseconds = static_cast<WORD>(rest / 10000 % 1000);
    return TRUE;
}

BOOL WINAPI SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime)
{
    if (!lpSystemTime || !lpFileTime)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& st = *lpSystemTime;
    if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
        st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 ||
        st.wSecond > 59 || st.wMilliseconds > 999)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const long long days = DaysFromCivil(st.wYear, st.wMonth, st.wDay);
    const long long value = days * kTicksPerDay +
                            ((st.wHour * 60LL + st.wMinute) * 60 + st.wSecond) * kTicksPerSecond +
                            st.wMilliseconds * 10000LL;
    *lpFileTime = w32::FileTimeFromU64(static_cast<ULONGLONG>(value));
    return TRUE;
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime)
{
    struct timespec ts
    {
    };
    w32::sys::clock_gettime(CLOCK_REALTIME, &ts);
    *lpSystemTimeAsFileTime = w32::FileTimeFromTimespec(ts);
}

void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime)
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    FileTimeToSystemTime(&ft, lpSystemTime);
}

void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    FILETIME ft, local;
    GetSystemTimeAsFileTime(&ft);
    if (!FileTimeToLocalFileTime(&ft, &local))
        local = ft;
    FileTimeToSystemTime(&local, lpSystemTime);
}

ULONGLONG WINAPI GetTickCount64()
{
    const struct timespec ts = Monotonic();
    return static_cast<ULONGLONG>(ts.tv_sec) * 1000ULL +
           static_cast<ULONGLONG>(ts.tv_nsec) / 1000000ULL;
}

DWORD WINAPI GetTickCount()
{
    return static_cast<DWORD>(GetTickCount64());
}

DWORD WINAPI timeGetTime()
{
    return static_cast<DWORD>(GetTickCount64());
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount)
{
    if (!lpPerformanceCount)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const struct timespec ts = Monotonic();
    lpPerformanceCount->QuadPart = static_cast<LONGLONG>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency)
{
    if (!lpFrequency)
    {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    lpFrequency->QuadPart = 1000000000LL;
    return TRUE;
}

void WINAPI Sleep(DWORD dwMilliseconds)
{
    if (dwMilliseconds == INFINITE)
    {
        for (;;)
        {
            struct timespec day
            {
                86400, 0
            };
            w32::sys::nanosleep(&day, nullptr);
        }
    }
    struct timespec left
    {
        static_cast<time_t>(dwMilliseconds / 1000),
            static_cast<long>(dwMilliseconds % 1000) * 1000000L
    };
    while (w32::sys::nanosleep(&left, &left) != 0 && errno == EINTR)
    {
    }
}
