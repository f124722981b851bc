#include "kxrandom.h"
#include "kxtime.h"

#include "fakeclock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

std::string Text(const KXTIME& time)
{
    KXSTRING out;
    time.ToString(out);
    return out.GetText();
}

// A time at the start of the given month: day, hours, minutes and seconds 0.
KXTIME MonthOf(std::uint32_t year, std::uint32_t month)
{
    KXTIME time;
    time.SetYear(year);
    time.SetMonth(month);
    return time;
}

KXTIME At(std::uint32_t year, std::uint32_t month, std::uint32_t day, std::uint32_t hours,
          std::uint32_t minutes, std::uint32_t seconds)
{
    KXTIME time = MonthOf(year, month);
    time.SetDay(day);
    time.SetHours(hours);
    time.SetMinutes(minutes);
    time.SetSeconds(seconds);
    return time;
}

using TimeClockTest = FakeClockTest;

} // namespace

TEST(TimeObject, StartsClearedWithItsClassName)
{
    KXTIME time;
    EXPECT_STREQ(time.GetName(), "KXTIME");
    EXPECT_EQ(Text(time), "00/00/0000 00:00:00");
    // The object's own text is the root's, with this class's name.
    EXPECT_NE(time.ToString().Find("(KXTIME)", 0), -1);
}

TEST(TimeObject, CopyAndClear)
{
    KXTIME original = At(2026, 2, 3, 9, 5, 7);
    const KXTIME copy(original);
    EXPECT_STREQ(copy.GetName(), "KXTIME");
    EXPECT_EQ(Text(copy), "03/02/2026 09:05:07");

    original.Clear();
    EXPECT_EQ(Text(original), "00/00/0000 00:00:00");
    EXPECT_EQ(Text(copy), "03/02/2026 09:05:07");
}

TEST(TimeText, WritesPaddedFieldsAndWideNumbersWhole)
{
    EXPECT_EQ(Text(At(2026, 2, 3, 9, 5, 7)), "03/02/2026 09:05:07");
    EXPECT_EQ(Text(At(12345, 12, 31, 23, 59, 59)), "31/12/12345 23:59:59");
    EXPECT_EQ(Text(At(7, 1, 1, 0, 0, 0)), "01/01/0007 00:00:00");

    // The text replaces whatever out held.
    KXSTRING out("left over from before");
    At(2026, 2, 3, 9, 5, 7).ToString(out);
    EXPECT_STREQ(out.GetText(), "03/02/2026 09:05:07");
}

TEST(TimeCarries, SettersCarryIntoLargerFields)
{
    // Each case starts at a month of a year (0 of 0: a cleared time), then sets one
    // field, or none.
    using SETTER = void (KXTIME::*)(std::uint32_t);
    struct CASE {
        const char* what;
        std::uint32_t year, month;
        SETTER set;
        std::uint32_t value;
        const char* expected;
    };
    const CASE cases[] = {
        {"3725 seconds on a cleared time", 0, 0, &KXTIME::SetSeconds, 3725, "00/00/0000 01:02:05"},
        {"hours carry into day 0", 0, 0, &KXTIME::SetHours, 49, "02/00/0000 01:00:00"},
        {"day 32 of January 2026", 2026, 1, &KXTIME::SetDay, 32, "01/02/2026 00:00:00"},
        {"day 60 of January 2024, a leap year", 2024, 1, &KXTIME::SetDay, 60,
         "29/02/2024 00:00:00"},
        {"day 60 of January 2023", 2023, 1, &KXTIME::SetDay, 60, "01/03/2023 00:00:00"},
        {"day 366 of January 2024 stays in the year", 2024, 1, &KXTIME::SetDay, 366,
         "31/12/2024 00:00:00"},
        {"day 32 of December 2023 starts the next year", 2023, 12, &KXTIME::SetDay, 32,
         "01/01/2024 00:00:00"},
        {"month 0 counts 31 days", 0, 0, &KXTIME::SetDay, 40, "09/01/0000 00:00:00"},
        {"day 0 stays 0", 2026, 3, &KXTIME::SetDay, 0, "00/03/2026 00:00:00"},
        {"month 13 of 2026", 2026, 13, nullptr, 0, "00/01/2027 00:00:00"},
        {"month 24 of 2026", 2026, 24, nullptr, 0, "00/12/2027 00:00:00"},
        {"month 25 of 2026", 2026, 25, nullptr, 0, "00/01/2028 00:00:00"},
        {"month 0 stays 0", 2026, 0, nullptr, 0, "00/00/2026 00:00:00"},
    };
    for (const CASE& c : cases) {
        KXTIME time = MonthOf(c.year, c.month);
        if (c.set != nullptr)
            (time.*c.set)(c.value);
        EXPECT_EQ(Text(time), c.expected) << c.what;
    }
}

TEST(TimeCarries, LeapYears)
{
    struct CASE {
        std::uint32_t year;
        bool leap;
    };
    const CASE cases[] = {
        {2000, true},  {2024, true},  {2400, true},  {0, true},
        {1900, false}, {2023, false}, {2100, false}, {1, false},
    };
    for (const CASE& c : cases)
        EXPECT_EQ(MonthOf(c.year, 1).IsLeapYear(), c.leap) << c.year;
}

TEST(TimeCarries, AddCarriesDaysThroughThisTimesMonths)
{
    struct CASE {
        KXTIME base;
        KXTIME other;
        const char* expected;
    };
    const CASE cases[] = {
        // The smaller fields carry a day first; the 36 days then run through January
        // 2025 before a month is added.
        {At(2025, 1, 20, 10, 30, 40), At(1, 1, 15, 14, 29, 20), "05/03/2026 01:00:00"},
        // Months carry into the year before the year is added.
        {At(2025, 6, 15, 0, 0, 0), At(0, 7, 0, 0, 0, 0), "15/01/2026 00:00:00"},
        {At(2025, 6, 15, 8, 9, 10), KXTIME(), "15/06/2025 08:09:10"},
    };
    for (const CASE& c : cases) {
        KXTIME sum(c.base);
        sum.Add(c.other);
        EXPECT_EQ(Text(sum), c.expected) << Text(c.base) << " + " << Text(c.other);
    }
}

TEST_F(TimeClockTest, NowFollowsTheClockPast2038)
{
    struct CASE {
        std::int64_t now;
        const char* expected;
    };
    const CASE cases[] = {
        {0, "01/01/1970 00:00:00"},
        {86400, "02/01/1970 00:00:00"},
        {951782400, "29/02/2000 00:00:00"},
        {951782400 + 86400, "01/03/2000 00:00:00"},
        {1770109507, "03/02/2026 09:05:07"},
        {2147483647, "19/01/2038 03:14:07"},
        {2147483648LL + 86400, "20/01/2038 03:14:08"},
        {4294967295LL, "07/02/2106 06:28:15"},
        {4294967296LL, "07/02/2106 06:28:16"},
        {5000000000LL, "11/06/2128 08:53:20"},
        {253402300800LL, "01/01/10000 00:00:00"},
        // A clock before 1970 cannot be counted forward from 1970.
        {-1, "01/01/1970 00:00:00"},
    };
    for (const CASE& c : cases) {
        SetNow(c.now);
        KXTIME time = At(1999, 5, 6, 7, 8, 9);
        time.SetNow();
        EXPECT_EQ(Text(time), c.expected) << "clock " << c.now;
    }
}

TEST_F(TimeClockTest, NowMatchesCarryingTheWholeCountThroughTheSeconds)
{
    // Below 2^32 seconds the whole count fits the seconds setter: the clock's date
    // must be exactly what its carries give.
    const std::int64_t limit = 4294967296LL;
    for (std::int64_t now = 0; now < limit; now += 1000003) {
        for (std::int64_t t : {now, limit - 1 - now}) {
            KXTIME carried = MonthOf(1970, 1);
            carried.SetDay(1);
            carried.SetSeconds(static_cast<std::uint32_t>(t));

            SetNow(t);
            KXTIME time;
            time.SetNow();
            ASSERT_EQ(Text(time), Text(carried)) << "clock " << t;
        }
    }
}
