#pragma once

#include <windows.h>

// 1 when any of the three times falls on today's calendar date in local
// time; today is read afresh on every call. A stamp that is no valid time
// at all counts as today, so doubt spares the entry; a zero stamp (a time
// the file system does not keep) never does. With the diagnostic switch it
// writes the four dates (silenced by /Q).
int touchedToday(FILETIME created, FILETIME modified, FILETIME accessed);
