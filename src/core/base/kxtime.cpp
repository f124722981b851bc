#include "kxtime.h"

#include "kxclock.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int64_t secondsPerDay = 86400;

// Appends value with at least minDigits digits.
void AppendNumber(KXSTRING& out, std::uint32_t value, int minDigits)
{
    KXSTRING number;
    number.FromInt(static_cast<int>(value), minDigits);
    out += number;
}

} // namespace

KXTIME::KXTIME() : KXOBJECT("KXTIME") {}

// Written out so that the copy carries its own class name, whatever the source's.
KXTIME::KXTIME(const KXTIME& other)
    : KXOBJECT("KXTIME"), seconds(other.seconds), minutes(other.minutes), hours(other.hours),
      day(other.day), month(other.month), year(other.year)
{}

void KXTIME::Clear()
{
    seconds = 0;
    minutes = 0;
    hours = 0;
    day = 0;
    month = 0;
    year = 0;
}

void KXTIME::SetSeconds(std::uint32_t s)
{
    seconds = s;
    if (s >= 60) {
        SetMinutes(minutes + s / 60);
        seconds = s % 60;
    }
}

void KXTIME::SetMinutes(std::uint32_t m)
{
    minutes = m;
    if (m >= 60) {
        SetHours(hours + m / 60);
        minutes = m % 60;
    }
}

void KXTIME::SetHours(std::uint32_t h)
{
    hours = h;
    if (h >= 24) {
        SetDay(day + h / 24);
        hours = h % 24;
    }
}

void KXTIME::SetDay(std::uint32_t d)
{
    // A loop, not a recursion: a count of days since 1970 carries through hundreds of
    // months.
    day = d;
    while (day > MonthLength()) {
        const std::uint32_t length = MonthLength();
        SetMonth(month + 1);
        day -= length;
    }
}

void KXTIME::SetMonth(std::uint32_t m)
{
    month = m;
    if (m > 12) {
        year += (m - 1) / 12;
        month = (m - 1) % 12 + 1;
    }
}

void KXTIME::SetYear(std::uint32_t y)
{
    year = y;
}

bool KXTIME::IsLeapYear() const
{
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

std::uint32_t KXTIME::MonthLength() const
{
    switch (month) {
    case 2:
        return IsLeapYear() ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return 31;
    }
}

void KXTIME::SetNow()
{
    seconds = 0;
    minutes = 0;
    hours = 0;
    SetYear(1970);
    SetMonth(1);
    SetDay(1);

    // The clock is split into whole days and the seconds within the day, so that no
    // count has to fit in 32 bits: setting the seconds of the day and then the days
    // gives the same date as carrying the whole count through the seconds. A clock
    // before 1970 cannot be counted forward from 1970 and gives 1 January 1970; one so
    // far ahead that the days overflow stops at the largest count.
    const std::int64_t now = std::max<std::int64_t>(ClockSeconds(), 0);
    const std::int64_t maxDays = std::numeric_limits<std::uint32_t>::max() - day;
    const std::int64_t days = std::min(now / secondsPerDay, maxDays);
    SetSeconds(static_cast<std::uint32_t>(now % secondsPerDay));
    SetDay(day + static_cast<std::uint32_t>(days));
}

void KXTIME::Add(const KXTIME& other)
{
    SetSeconds(seconds + other.seconds);
    SetMinutes(minutes + other.minutes);
    SetHours(hours + other.hours);
    SetDay(day + other.day);
    SetMonth(month + other.month);
    SetYear(year + other.year);
}

void KXTIME::ToString(KXSTRING& out) const
{
    out = "";
    AppendNumber(out, day, 2);
    out += '/';
    AppendNumber(out, month, 2);
    out += '/';
    AppendNumber(out, year, 4);
    out += ' ';
    AppendNumber(out, hours, 2);
    out += ':';
    AppendNumber(out, minutes, 2);
    out += ':';
    AppendNumber(out, seconds, 2);
}
