#include "sweep/same_day.h"

#include "common/ansi_text.h"
#include "console/output_stream.h"
#include "common/run_records.h"

enum { DATE_TEXT = 128 };

static const ULONGLONG DAY_IN_FILETIME_UNITS = 24ull * 60 * 60 * 10000000;

// A local calendar date as text, and as a number that orders like the date
// (20010704); the number is 0 for a stamp that gave no date.
struct LocalDate {
    char text[DATE_TEXT];
    unsigned number;
};

static void writeDate(const SYSTEMTIME* time, LocalDate* date)
{
    TextBuilder text;
    startText(&text, date->text, DATE_TEXT);
    appendDigits(&text, time->wYear, 1);
    appendText(&text, "/");
    appendDigits(&text, time->wMonth, 2);
    appendText(&text, "/");
    appendDigits(&text, time->wDay, 2);
    date->number = time->wYear * 10000u + time->wMonth * 100u + time->wDay;
}

// Writes the local date of a time stamp, or a text that no date equals.
// Returns 0 for a stamp that is no valid time at all (top bit set): doubt,
// which spares the entry. That is checked before the conversion, which
// would wrap such a stamp round to 1601 east of UTC. A valid stamp that the
// offset pushes out of range lies within hours of 1601 or 30828, so it is
// simply not recent: a zero stamp (a time the file system does not keep)
// must not spare every entry west of UTC.
static int writeLocalDate(FILETIME stamp, LocalDate* date)
{
    lstrcpyA(date->text, "----/--/--");
    date->number = 0;
    if (stamp.dwHighDateTime & 0x80000000u)
        return 0;
    FILETIME local;
    SYSTEMTIME fields;
    if (FileTimeToLocalFileTime(&stamp, &local) && FileTimeToSystemTime(&local, &fields))
        writeDate(&fields, date);
    return 1;
}

// The first day that is spared: today for /O, n - 1 days before today for
// /D:n. Counted on the calendar, so a change of daylight-saving time in
// between moves nothing.
static void writeOldestSparedDate(const SYSTEMTIME* today, LocalDate* date)
{
    unsigned days = runOptions.spareDays > 1 ? runOptions.spareDays : 1;
    SYSTEMTIME midnight = *today;
    midnight.wHour = midnight.wMinute = midnight.wSecond = midnight.wMilliseconds = 0;
    FILETIME counter;
    SystemTimeToFileTime(&midnight, &counter);
    ULONGLONG value = (ULONGLONG(counter.dwHighDateTime) << 32 | counter.dwLowDateTime) -
                      (days - 1) * DAY_IN_FILETIME_UNITS;
    counter.dwLowDateTime = DWORD(value);
    counter.dwHighDateTime = DWORD(value >> 32);
    SYSTEMTIME oldest;
    FileTimeToSystemTime(&counter, &oldest);
    writeDate(&oldest, date);
}

static void traceDates(const LocalDate* created, const LocalDate* modified, const LocalDate* accessed,
                       const LocalDate* today, const LocalDate* oldest)
{
    emit("\nCreated Date : ", 0);
    emit(created->text, 0);
    emit("\nModified Date: ", 0);
    emit(modified->text, 0);
    emit("\nAccessed Date: ", 0);
    emit(accessed->text, 0);
    emit("\nSystem Date  : ", 0);
    emit(today->text, 0);
    if (runOptions.spareDays == 0)
        return;
    emit("\nOldest Spared: ", 0);
    emit(oldest->text, 0);
}

static bool withinSparedDays(const LocalDate* date, const LocalDate* today, const LocalDate* oldest)
{
    return date->number >= oldest->number && date->number <= today->number;
}

int sparedByDate(FILETIME created, FILETIME modified, FILETIME accessed)
{
    LocalDate today = {};
    LocalDate oldest = {};
    LocalDate createdDate = {};
    LocalDate modifiedDate = {};
    LocalDate accessedDate = {};

    SYSTEMTIME now;
    GetLocalTime(&now);
    writeDate(&now, &today);
    writeOldestSparedDate(&now, &oldest);
    int allValid = writeLocalDate(created, &createdDate);
    allValid &= writeLocalDate(modified, &modifiedDate);
    allValid &= writeLocalDate(accessed, &accessedDate);

    if (runOptions.diagnostic)
        traceDates(&createdDate, &modifiedDate, &accessedDate, &today, &oldest);

    return !allValid ||
           withinSparedDays(&createdDate, &today, &oldest) ||
           withinSparedDays(&modifiedDate, &today, &oldest) ||
           withinSparedDays(&accessedDate, &today, &oldest);
}
