#include "common/run_records.h"

static const RunOptions START_OPTIONS = {true, false, 0, false, false, false, true, false};

RunOptions runOptions = START_OPTIONS;
SystemFolders systemFolders;
TargetFolder runTarget;
RunLog runLog;
RunTotals runTotals;

void countFailure(DWORD code)
{
    ++runTotals.failed;
    DWORD* codes = runTotals.failureCodes;
    unsigned count = runTotals.failureCodeCount;
    unsigned at = 0;
    while (at < count && codes[at] < code)
        ++at;
    if ((at < count && codes[at] == code) || at == MOST_FAILURE_CODES)
        return;
    if (count == MOST_FAILURE_CODES)
        --count;  // the highest code gives way to a lower one
    for (unsigned i = count; i > at; --i)
        codes[i] = codes[i - 1];
    codes[at] = code;
    runTotals.failureCodeCount = count + 1;
}

void resetRunRecords()
{
    runOptions = START_OPTIONS;
    systemFolders = SystemFolders{};
    runTarget.path[0] = L'\0';
    runTarget.shown[0] = '\0';
    runLog = RunLog{};
    runTotals = RunTotals{};
}
