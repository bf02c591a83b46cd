#pragma once

#include <windows.h>

// 1 when any of the three times falls on today's calendar date in local
// time; today is read afresh on every call. A time that cannot be turned
// into a date counts as today, so doubt always spares the entry. With the
// diagnostic switch it writes the four dates (silenced by /Q).
int touchedToday(FILETIME created, FILETIME modified, FILETIME accessed);
