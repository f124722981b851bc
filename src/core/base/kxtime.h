// KXTIME, the library's calendar date and time of day.
#pragma once

#include "kxobject.h"
#include "kxstring.h"

#include <cstdint>

// Six counters from seconds to years. A setter given a value beyond its field's range
// carries the excess into the next larger field, so that a count of seconds set on
// 1 January 1970 becomes that date and time. No time zone is kept: the clock gives UTC.
// A day or month of 0 stays 0; a new or cleared time holds 0 everywhere.
class KXTIME : public KXOBJECT {
public:
    KXTIME();
    KXTIME(const KXTIME& other);
    KXTIME& operator=(const KXTIME& other) = default;
    ~KXTIME() = default;

    void Clear();

    void SetSeconds(std::uint32_t s);
    void SetMinutes(std::uint32_t m);
    void SetHours(std::uint32_t h);
    // Runs through the successive months' lengths, leap Februaries included.
    void SetDay(std::uint32_t d);
    void SetMonth(std::uint32_t m);
    void SetYear(std::uint32_t y);

    // Gregorian: divisible by 400, or by 4 and not by 100.
    bool IsLeapYear() const;

    // The clock's current time (ClockSeconds), in UTC.
    void SetNow();

    // Adds other field by field, from the seconds up, each with its carries: the days
    // run through this time's months before other's months and years are added.
    void Add(const KXTIME& other);

    // Replaces out with "DD/MM/YYYY HH:MM:SS"; wider numbers are written whole.
    void ToString(KXSTRING& out) const;
    // The object's own text stays available beside the calendar text.
    using KXOBJECT::ToString;

private:
    // February follows the stored year; month 0 and months above 12 count 31.
    std::uint32_t MonthLength() const;

    std::uint32_t seconds = 0;
    std::uint32_t minutes = 0;
    std::uint32_t hours = 0;
    std::uint32_t day = 0;
    std::uint32_t month = 0;
    std::uint32_t year = 0;
};
