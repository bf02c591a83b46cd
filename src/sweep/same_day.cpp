#include "sweep/same_day.h"

#include "common/ansi_text.h"
#include "console/output_stream.h"
#include "common/run_records.h"

enum { DATE_TEXT = 128 };

static void writeDate(const SYSTEMTIME* time, char* text)
{
    wsprintfA(text, "%u/%02u/%02u", time->wYear, time->wMonth, time->wDay);
}

// Writes the local date of a time stamp, or a text that no date equals.
// Returns 0 for a stamp that is no valid time at all (top bit set): doubt,
// which spares the entry. That is checked before the conversion, which
// would wrap such a stamp round to 1601 east of UTC. A valid stamp that the
// offset pushes out of range lies within hours of 1601 or 30828, so it is
// simply not today: a zero stamp (a time the file system does not keep)
// must not spare every entry west of UTC.
static int writeLocalDate(FILETIME stamp, char* text)
{
    lstrcpyA(text, "----/--/--");
    if (stamp.dwHighDateTime & 0x80000000u)
        return 0;
    FILETIME local;
    SYSTEMTIME fields;
    if (FileTimeToLocalFileTime(&stamp, &local) && FileTimeToSystemTime(&local, &fields))
        writeDate(&fields, text);
    return 1;
}

static void traceDates(const char* created, const char* modified, const char* accessed, const char* today)
{
    emit("\nCreated Date : ", 0);
    emit(created, 0);
    emit("\nModified Date: ", 0);
    emit(modified, 0);
    emit("\nAccessed Date: ", 0);
    emit(accessed, 0);
    emit("\nSystem Date  : ", 0);
    emit(today, 0);
}

int touchedToday(FILETIME created, FILETIME modified, FILETIME accessed)
{
    char today[DATE_TEXT] = {};
    char createdDate[DATE_TEXT] = {};
    char modifiedDate[DATE_TEXT] = {};
    char accessedDate[DATE_TEXT] = {};

    SYSTEMTIME now;
    GetLocalTime(&now);
    writeDate(&now, today);
    int allValid = writeLocalDate(created, createdDate);
    allValid &= writeLocalDate(modified, modifiedDate);
    allValid &= writeLocalDate(accessed, accessedDate);

    if (runOptions.diagnostic)
        traceDates(createdDate, modifiedDate, accessedDate, today);

    return !allValid ||
           equalsNoCase(createdDate, today) ||
           equalsNoCase(modifiedDate, today) ||
           equalsNoCase(accessedDate, today);
}
