#pragma once

#include <windows.h>

// 1 when any of the three times falls on one of the spared local calendar
// days: today alone for /O, the last n days, today included, for /D:n. Today
// is read afresh on every call; a date after today is never spared. A stamp
// that is no valid time at all spares the entry, so doubt spares it; a zero
// stamp (a time the file system does not keep) never does. With the
// diagnostic switch it writes the dates it compares (silenced by /Q), and
// under /D the oldest spared date as well.
int sparedByDate(FILETIME created, FILETIME modified, FILETIME accessed);
