#include "velmar/io/DateTime.h"

namespace Orvex
{

const CCalendarRules& CCalendarRules::Gregorian()
{
    static const CCalendarRules rules{12, 24, 60, 60, 1000};
    return rules;
}

uint32_t CCalendarRules::DaysInMonth(uint32_t month, uint32_t year) const
{
    static const uint8_t days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 31;
    if (month == 2 && (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)))
        return 29;
    return days[month - 1];
}

void CDateTime::Reset()
{
    m_year = m_month = m_day = m_hour = m_minute = m_second = m_millisecond = 0;
}

void CDateTime::SetMonth(uint32_t month)
{
    const uint32_t top = m_rules->monthsPerYear;
    m_month = month < 1 ? 1 : month > top ? top : month;
}

void CDateTime::SetDay(uint32_t day)
{
    const uint32_t top = m_rules->DaysInMonth(m_month, m_year);
    m_day = day < 1 ? 1 : day > top ? top : day;
}

bool CDateTime::FromFileTime(const FILETIME& utc)
{
    Reset();
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st))
        return false;
    SetYear(st.wYear);
    SetMonth(st.wMonth);
    SetDay(st.wDay);
    SetHour(st.wHour);
    SetMinute(st.wMinute);
    SetSecond(st.wSecond);
    SetMillisecond(st.wMilliseconds);
    return true;
}

bool CDateTime::ToFileTime(FILETIME* utc) const
{
    if (utc == nullptr || m_year > 30827)
        return false;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(m_year);
    st.wMonth = static_cast<WORD>(m_month);
    st.wDay = static_cast<WORD>(m_day);
    st.wHour = static_cast<WORD>(m_hour);
    st.wMinute = static_cast<WORD>(m_minute);
    st.wSecond = static_cast<WORD>(m_second);
    st.wMilliseconds = static_cast<WORD>(m_millisecond);
    FILETIME local;
    return SystemTimeToFileTime(&st, &local) && LocalFileTimeToFileTime(&local, utc);
}

} // namespace Orvex
