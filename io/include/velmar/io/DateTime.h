#pragma once
// The calendar record of file times, in local time, with the rules that bound
// its fields.

#include "velmar/win32/win32.h"

#include <cstdint>

namespace Orvex
{

// Limits of the date-time fields: Gregorian months and days, a 24-hour day.
struct CCalendarRules
{
    uint32_t monthsPerYear;
    uint32_t hoursPerDay;
    uint32_t minutesPerHour;
    uint32_t secondsPerMinute;
    uint32_t millisecondsPerSecond;

    // Days of `month` (1-based) in `year`; 31 for a month outside the year.
    uint32_t DaysInMonth(uint32_t month, uint32_t year) const;

    static const CCalendarRules& Gregorian();
};

class CDateTime
{
public:
    explicit CDateTime(const CCalendarRules& rules = CCalendarRules::Gregorian()) : m_rules(&rules)
    {
    }

    // All seven fields to 0.
    void Reset();

    void SetYear(uint32_t year) { m_year = year; }
    // Clamped into 1 to the number of months.
    void SetMonth(uint32_t month);
    // Clamped into 1 to the days of the month and year already set.
    void SetDay(uint32_t day);
    // Stored modulo the rules' limits.
    void SetHour(uint32_t hour) { m_hour = hour % m_rules->hoursPerDay; }
    void SetMinute(uint32_t minute) { m_minute = minute % m_rules->minutesPerHour; }
    void SetSecond(uint32_t second) { m_second = second % m_rules->secondsPerMinute; }
    void SetMillisecond(uint32_t ms) { m_millisecond = ms % m_rules->millisecondsPerSecond; }

    uint32_t GetYear() const { return m_year; }
    uint32_t GetMonth() const { return m_month; }
    uint32_t GetDay() const { return m_day; }
    uint32_t GetHour() const { return m_hour; }
    uint32_t GetMinute() const { return m_minute; }
    uint32_t GetSecond() const { return m_second; }
    uint32_t GetMillisecond() const { return m_millisecond; }
    const CCalendarRules& GetRules() const { return *m_rules; }

    // From a file time in UTC, shown in local time; false (fields reset) when
    // the time cannot be converted.
    bool FromFileTime(const FILETIME& utc);
    // To a file time in UTC; false when the fields do not name a valid instant.
    bool ToFileTime(FILETIME* utc) const;

private:
    const CCalendarRules* m_rules;
    uint32_t m_year = 0;
    uint32_t m_month = 0;
    uint32_t m_day = 0;
    uint32_t m_hour = 0;
    uint32_t m_minute = 0;
    uint32_t m_second = 0;
    uint32_t m_millisecond = 0;
};

} // namespace Orvex
