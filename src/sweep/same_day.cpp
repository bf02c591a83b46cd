#include "sweep/same_day.h"

#include "common/ansi_text.h"
#include "console/output_stream.h"
#include "common/run_records.h"

enum { DATE_TEXT = 128 };

static void writeDate(const SYSTEMTIME* time, char* text)
{
    wsprintfA(text, "%u/%02u/%02u", time->wYear, time->wMonth, time->wDay);
}

// Writes the local date of a time stamp; returns 0, with a text that no
// date equals, when the time cannot be converted.
static int writeLocalDate(FILETIME stamp, char* text)
{
    FILETIME local;
    SYSTEMTIME fields;
    if (!FileTimeToLocalFileTime(&stamp, &local) || !FileTimeToSystemTime(&local, &fields)) {
        lstrcpyA(text, "----/--/--");
        return 0;
    }
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
    int allConverted = writeLocalDate(created, createdDate);
    allConverted &= writeLocalDate(modified, modifiedDate);
    allConverted &= writeLocalDate(accessed, accessedDate);

    if (runOptions.diagnostic)
        traceDates(createdDate, modifiedDate, accessedDate, today);

    return !allConverted ||
           equalsNoCase(createdDate, today) ||
           equalsNoCase(modifiedDate, today) ||
           equalsNoCase(accessedDate, today);
}
