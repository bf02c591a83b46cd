// touchedToday on time stamps built around the local calendar day. The same
// program also runs under time zones far east and far west of UTC, where a
// date taken in UTC falls on another day near local midnight.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/run_records.h"
#include "console/output_stream.h"
#include "sweep/same_day.h"

namespace {

const ULONGLONG MINUTE = 60ULL * 10000000ULL;
const ULONGLONG DAY = 24 * 60 * MINUTE;

ULONGLONG valueOf(FILETIME time)
{
    return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME stampOf(ULONGLONG value)
{
    return FILETIME{DWORD(value), DWORD(value >> 32)};
}

// A date test straddling midnight would compare with two different days.
void waitPastMidnight()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wHour == 23 && now.wMinute >= 58)
        Sleep(((59 - now.wMinute) * 60 + (60 - now.wSecond)) * 1000 + 2000);
}

// The UTC stamp of a local calendar time, shifted by the offset in force
// now, as the stamps themselves are read.
FILETIME stampAtLocal(SYSTEMTIME local, LONGLONG shift = 0)
{
    FILETIME localStamp;
    FILETIME stamp;
    EXPECT_TRUE(SystemTimeToFileTime(&local, &localStamp));
    localStamp = stampOf(valueOf(localStamp) + shift);
    EXPECT_TRUE(LocalFileTimeToFileTime(&localStamp, &stamp));
    return stamp;
}

// Today's local midnight moved by whole days and minutes.
FILETIME stampFromMidnight(int days, int minutes)
{
    SYSTEMTIME today;
    GetLocalTime(&today);
    today.wHour = today.wMinute = today.wSecond = today.wMilliseconds = 0;
    return stampAtLocal(today, days * LONGLONG(DAY) + minutes * LONGLONG(MINUTE));
}

// Today's date at noon, up to a year and a month earlier (day 28 where the
// day is missing from that month).
FILETIME sameDayEarlier(int years, int months)
{
    SYSTEMTIME day;
    GetLocalTime(&day);
    int year = day.wYear - years;
    int month = day.wMonth - months;
    if (month < 1) {
        month += 12;
        --year;
    }
    day.wYear = WORD(year);
    day.wMonth = WORD(month);
    day.wHour = 12;
    day.wMinute = day.wSecond = day.wMilliseconds = 0;
    FILETIME probe;
    if (!SystemTimeToFileTime(&day, &probe))
        day.wDay = 28;
    return stampAtLocal(day);
}

enum Moment {
    NOW,
    TODAY_0001,
    TODAY_2359,
    YESTERDAY_2359,
    TOMORROW_0000,
    LAST_YEAR_SAME_DAY,
    LAST_MONTH_SAME_DAY,
    LONG_AGO,
    ZERO,              // a time the file system does not keep
    LAST_VALID_TIME,   // 30828: pushed out of range east of UTC
    NO_TIME,           // top bit set: no valid time at all
};

FILETIME stampAt(Moment moment)
{
    switch (moment) {
    case NOW: {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        return now;
    }
    case TODAY_0001: return stampFromMidnight(0, 1);
    case TODAY_2359: return stampFromMidnight(0, 24 * 60 - 1);
    case YESTERDAY_2359: return stampFromMidnight(0, -1);
    case TOMORROW_0000: return stampFromMidnight(1, 0);
    case LAST_YEAR_SAME_DAY: return sameDayEarlier(1, 0);
    case LAST_MONTH_SAME_DAY: return sameDayEarlier(0, 1);
    case LONG_AGO: return stampFromMidnight(-2000, 12 * 60);
    case ZERO: return stampOf(0);
    case LAST_VALID_TIME: return stampOf(0x7FFFFFFFFFFFFFFFULL);
    case NO_TIME: return stampOf(~0ULL);
    }
    return stampOf(0);
}

struct TouchCase {
    const char* what;
    Moment created, modified, accessed;
    int touched;
};

void PrintTo(const TouchCase& c, std::ostream* out)
{
    *out << c.what;
}

class TouchedTodayTest : public testing::TestWithParam<TouchCase> {
protected:
    void SetUp() override
    {
        resetRunRecords();
        waitPastMidnight();
    }
};

TEST_P(TouchedTodayTest, ComparesLocalCalendarDates)
{
    const TouchCase& c = GetParam();
    EXPECT_EQ(touchedToday(stampAt(c.created), stampAt(c.modified), stampAt(c.accessed)), c.touched) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Stamps, TouchedTodayTest, testing::Values(
    TouchCase{"created today", NOW, LONG_AGO, LONG_AGO, 1},
    TouchCase{"modified today", LONG_AGO, NOW, LONG_AGO, 1},
    TouchCase{"accessed today", LONG_AGO, LONG_AGO, NOW, 1},
    TouchCase{"all on other days", LAST_YEAR_SAME_DAY, LAST_MONTH_SAME_DAY, YESTERDAY_2359, 0},
    TouchCase{"tomorrow", TOMORROW_0000, TOMORROW_0000, TOMORROW_0000, 0},
    TouchCase{"yesterday 23:59", YESTERDAY_2359, YESTERDAY_2359, YESTERDAY_2359, 0},
    TouchCase{"today 00:01", TODAY_0001, TODAY_0001, TODAY_0001, 1},
    TouchCase{"today 23:59", LONG_AGO, TODAY_2359, LONG_AGO, 1},
    TouchCase{"no valid time spares", NO_TIME, LONG_AGO, LONG_AGO, 1},
    TouchCase{"zero times", ZERO, ZERO, ZERO, 0},
    TouchCase{"the last valid time", LAST_VALID_TIME, LAST_VALID_TIME, LAST_VALID_TIME, 0}));

// The console output stream into a pipe, to read the date trace.
class DateTraceTest : public testing::Test {
protected:
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;

    void SetUp() override
    {
        resetRunRecords();
        waitPastMidnight();
        ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16));
        openConsoleStream(writeEnd);
    }
    void TearDown() override
    {
        CloseHandle(writeEnd);
        CloseHandle(readEnd);
    }
    std::string written()
    {
        closeConsoleStream();
        std::string bytes;
        DWORD available = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char block[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd, block, sizeof block, &got, nullptr))
                break;
            bytes.append(block, got);
        }
        return bytes;
    }
};

std::string todayText()
{
    SYSTEMTIME today;
    GetLocalTime(&today);
    char text[32];
    std::snprintf(text, sizeof text, "%u/%02u/%02u", today.wYear, today.wMonth, today.wDay);
    return text;
}

FILETIME noonOn(WORD year, WORD month, WORD day)
{
    return stampAtLocal(SYSTEMTIME{year, month, 0, day, 12, 0, 0, 0});
}

TEST_F(DateTraceTest, WritesTheFourDatesInOrderWithLeadingZeros)
{
    runOptions.diagnostic = true;
    EXPECT_EQ(touchedToday(noonOn(2019, 3, 4), noonOn(2020, 11, 9), noonOn(2021, 1, 30)), 0);
    EXPECT_EQ(written(), "\r\nCreated Date : 2019/03/04\r\nModified Date: 2020/11/09\r\nAccessed Date: 2021/01/30"
                         "\r\nSystem Date  : " + todayText());
}

TEST_F(DateTraceTest, NoValidTimeShowsNoDate)
{
    runOptions.diagnostic = true;
    EXPECT_EQ(touchedToday(stampOf(~0ULL), noonOn(2020, 11, 9), noonOn(2021, 1, 30)), 1);
    std::string trace = written();
    EXPECT_EQ(trace.rfind("\r\nCreated Date : ----/--/--\r\n", 0), 0u) << trace;
}

TEST_F(DateTraceTest, QuietSilencesIt)
{
    runOptions.diagnostic = true;
    runOptions.quiet = true;
    touchedToday(noonOn(2019, 3, 4), noonOn(2020, 11, 9), noonOn(2021, 1, 30));
    EXPECT_EQ(written(), "");
}

// The runs under other zones name the offset they expect; a zone Wine
// ignored would leave every case above comparing UTC dates with each other.
TEST(LocalZone, IsTheOneTheRunAskedFor)
{
    const char* expected = std::getenv("DUSTREL_TEST_UTC_OFFSET_MINUTES");
    if (expected == nullptr)
        GTEST_SKIP() << "this run asks for no particular time zone";
    long offset = std::strtol(expected, nullptr, 10);
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    EXPECT_EQ(-zone.Bias, offset) << "TZ=" << (std::getenv("TZ") ? std::getenv("TZ") : "(unset)");

    SYSTEMTIME utc;
    SYSTEMTIME local;
    GetSystemTime(&utc);
    GetLocalTime(&local);
    FILETIME utcStamp;
    FILETIME localStamp;
    SystemTimeToFileTime(&utc, &utcStamp);
    SystemTimeToFileTime(&local, &localStamp);
    LONGLONG difference = LONGLONG(valueOf(localStamp) - valueOf(utcStamp));
    EXPECT_NEAR(double(difference) / double(MINUTE), double(offset), 1.0);
}

} // namespace
