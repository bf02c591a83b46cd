// touchedToday on time stamps placed around today's local midnight. The
// program also runs under zones far east and far west of UTC, where a date
// taken in UTC would be another day.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/run_records.h"
#include "sweep/same_day.h"

namespace {

const LONGLONG MINUTE = 600000000;

// Today's local midnight moved by minutes, as a UTC stamp.
FILETIME fromMidnight(LONGLONG minutes)
{
    SYSTEMTIME today;
    GetLocalTime(&today);
    today.wHour = today.wMinute = today.wSecond = today.wMilliseconds = 0;
    FILETIME local;
    FILETIME stamp;
    SystemTimeToFileTime(&today, &local);
    ULONGLONG value = ((ULONGLONG(local.dwHighDateTime) << 32) | local.dwLowDateTime) + minutes * MINUTE;
    local = FILETIME{DWORD(value), DWORD(value >> 32)};
    LocalFileTimeToFileTime(&local, &stamp);
    return stamp;
}

TEST(TouchedToday, ComparesLocalCalendarDates)
{
    resetRunRecords();
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wHour == 23 && now.wMinute >= 58)
        Sleep(180000);  // a case straddling midnight would compare two days
    const LONGLONG day = 24 * 60, yesterday = -1, longAgo = -400 * day, tomorrow = day;
    const FILETIME noTime = {~0u, ~0u};
    struct {
        FILETIME created, modified, accessed;
        int touched;
    } cases[] = {
        {fromMidnight(1), fromMidnight(longAgo), fromMidnight(longAgo), 1},
        {fromMidnight(longAgo), fromMidnight(day - 1), fromMidnight(longAgo), 1},
        {fromMidnight(longAgo), fromMidnight(longAgo), fromMidnight(12 * 60), 1},
        {fromMidnight(yesterday), fromMidnight(tomorrow), fromMidnight(-365 * day), 0},
        {noTime, fromMidnight(longAgo), fromMidnight(longAgo), 1},  // doubt spares
        {FILETIME{0, 0}, FILETIME{0, 0}, FILETIME{0, 0}, 0},        // no time kept is not today
    };
    for (const auto& c : cases)
        EXPECT_EQ(touchedToday(c.created, c.modified, c.accessed), c.touched) << &c - cases;
}

// A zone that Wine ignored would leave every case comparing UTC with UTC.
TEST(TouchedToday, RunsInTheZoneItWasGiven)
{
    const char* expected = std::getenv("DUSTREL_TEST_UTC_OFFSET_MINUTES");
    if (expected == nullptr)
        GTEST_SKIP() << "this run asks for no particular zone";
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    EXPECT_EQ(-zone.Bias, std::atol(expected));
}

} // namespace
