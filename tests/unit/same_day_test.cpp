// sparedByDate on time stamps placed around local midnights: today's for /O,
// n - 1 days back for /D:n. The program also runs under zones far east and
// far west of UTC, where a date taken in UTC would be another day.
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/run_records.h"
#include "sweep/same_day.h"

namespace {

// Today's local midnight moved by minutes, as a UTC stamp.
FILETIME fromMidnight(LONGLONG minutes)
{
    SYSTEMTIME today;
    GetLocalTime(&today);
    today.wHour = today.wMinute = today.wSecond = today.wMilliseconds = 0;
    FILETIME local, stamp;
    SystemTimeToFileTime(&today, &local);
    ULONGLONG value = ((ULONGLONG(local.dwHighDateTime) << 32) | local.dwLowDateTime) + minutes * 600000000;
    local = FILETIME{DWORD(value), DWORD(value >> 32)};
    LocalFileTimeToFileTime(&local, &stamp);
    return stamp;
}

TEST(SparedByDate, ComparesLocalCalendarDates)
{
    // A zone that Wine ignored would leave every case comparing UTC with UTC.
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    const char* expected = std::getenv("DUSTREL_TEST_UTC_OFFSET_MINUTES");
    ASSERT_EQ(-zone.Bias, expected ? std::atol(expected) : -zone.Bias);
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wHour == 23 && now.wMinute >= 58)
        Sleep(180000);  // a case straddling midnight would compare two days
    const LONGLONG day = 24 * 60;
    const FILETIME noTime = {~0u, ~0u}, none = {0, 0}, old = fromMidnight(-400 * day);
    struct {
        unsigned spareDays;  // 0: /O alone
        FILETIME created, modified, accessed;
        int spared;
    } cases[] = {
        {0, fromMidnight(0), old, old, 1},
        {0, old, fromMidnight(day - 1), old, 1},
        {0, old, old, fromMidnight(12 * 60), 1},
        {0, fromMidnight(-1), fromMidnight(day), fromMidnight(-365 * day), 0},
        {0, noTime, old, old, 1},  // doubt spares
        {0, none, none, none, 0},  // no time kept is not recent
        {1, old, fromMidnight(-1), fromMidnight(day), 0},
        {7, old, fromMidnight(-6 * day), old, 1},
        {7, fromMidnight(-6 * day - 1), old, fromMidnight(day), 0},
        {3650, none, none, fromMidnight(-3649 * day), 1},  // leap days on the way back
        {3650, fromMidnight(-3649 * day - 1), none, none, 0},
    };
    for (const auto& c : cases) {
        resetRunRecords();
        runOptions.spareDays = c.spareDays;
        EXPECT_EQ(sparedByDate(c.created, c.modified, c.accessed), c.spared) << &c - cases;
    }
}

} // namespace
