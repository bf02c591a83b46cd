#include "main/arguments.h"

#include <string.h>

#include "common/ansi_text.h"
#include "common/run_records.h"

static bool folderTooLong;

// "/x" or "-x" followed by rest, ASCII letter case ignored; whole compares
// the argument to its end, otherwise only as far as rest goes.
static bool matchesOption(const char* argument, const char* rest, bool whole)
{
    if (argument[0] != '/' && argument[0] != '-')
        return false;
    return whole ? equalsNoCase(argument + 1, rest) : beginsWithNoCase(argument + 1, rest);
}

// The diagnostic switch is compared byte for byte, letter case included.
static bool isDiagnosticSwitch(const char* argument)
{
    return (argument[0] == '/' || argument[0] == '-') && strcmp(argument + 1, "DuskHawk") == 0;
}

static void readFolderValue(const char* value)
{
    folderTooLong = !copyWhole(targetFolder, PATH_BUFFER, value);
}

ArgumentsOutcome readArguments(int count, char** arguments)
{
    folderTooLong = false;
    for (int i = 1; i < count; ++i) {
        const char* argument = arguments[i];
        if (matchesOption(argument, "?", true))
            return argumentsAskUsage;
        if (matchesOption(argument, "y", true))
            runOptions.confirm = false;
        if (matchesOption(argument, "o", true))
            runOptions.oldOnly = true;
        if (matchesOption(argument, "a", true))
            runOptions.allFiles = true;
        if (matchesOption(argument, "p:", false))
            readFolderValue(argument + 3);
        if (matchesOption(argument, "q", true))
            runOptions.quiet = true;
        if (isDiagnosticSwitch(argument)) {
            runOptions.diagnostic = true;
            runOptions.applyChanges = false;
        }
    }
    return argumentsRead;
}

bool targetFolderTooLong()
{
    return folderTooLong;
}
