#include "common/run_records.h"

RunOptions runOptions = {true, false, 0, false, false, false, true};
SystemFolders systemFolders;
char targetFolder[PATH_BUFFER];

void resetRunRecords()
{
    runOptions = RunOptions{true, false, 0, false, false, false, true};
    systemFolders = SystemFolders{};
    targetFolder[0] = '\0';
}
