#include "main/arguments.h"

#include <string.h>

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"

enum { MOST_SPARED_DAYS = 3650 };

static bool folderTooLong;
static ArgumentsRefusal refusal;
static const char* logFile;
static bool logRefused;

// The first refusal on the command line is the one named.
static void refuse(const char* argument, RefusalKind kind)
{
    if (refusal.argument == nullptr)
        refusal = ArgumentsRefusal{argument, kind};
}

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

// Trailing backslashes count as one: a value counts by its normal form.
static void readFolderValue(const char* value)
{
    folderTooLong = !copyFolderInNormalForm(targetFolder, value);
    if (folderTooLong)
        targetFolder[0] = '\0';
}

// A value that holds something other than blanks: an empty one, from an
// unset variable, must not mean TEMP or anything else.
static bool holdsValue(const char* value)
{
    for (; *value != '\0'; ++value) {
        if (*value != ' ' && *value != '\t')
            return true;
    }
    return false;
}

// Anything that begins "/P" is meant as "/P:folder": a slip such as
// "/P D:\x" or "/P=D:\x" is refused, as ignoring it would clean TEMP.
static void readFolderOption(const char* argument)
{
    if (matchesOption(argument, "p:", false) && holdsValue(argument + 3))
        readFolderValue(argument + 3);
    else
        refuse(argument, refusalFolderOption);
}

// Anything that begins "/LOG" is meant as "/LOG:file".
static void readLogOption(const char* argument)
{
    if (matchesOption(argument, "log:", false) && holdsValue(argument + 5))
        logFile = argument + 5;
    else {
        logRefused = true;
        refuse(argument, refusalLogOption);
    }
}

// "/D" not followed by a letter is meant as "/D:n": a slip such as "/D 7" or
// "/D7" is refused, as ignoring it would widen what the run deletes.
static bool isDayCountOption(const char* argument)
{
    char next = argument[2];
    bool letter = (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z');
    return matchesOption(argument, "d", false) && !letter;
}

// The n of "/D:n": decimal digits alone, from 1 to MOST_SPARED_DAYS; 0 for
// anything else.
static unsigned readDayCount(const char* argument)
{
    const char* digit = argument + 3;
    if (argument[2] != ':' || *digit == '\0')
        return 0;
    unsigned days = 0;
    for (; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9')
            return 0;
        days = days * 10 + unsigned(*digit - '0');
        if (days > MOST_SPARED_DAYS)
            return 0;
    }
    return days;
}

// The longest period given holds; one bad value refuses the whole run.
static void readDayCountOption(const char* argument)
{
    unsigned days = readDayCount(argument);
    if (days == 0) {
        refuse(argument, refusalDayCount);
        return;
    }
    runOptions.oldOnly = true;
    if (days > runOptions.spareDays)
        runOptions.spareDays = days;
}

ArgumentsOutcome readArguments(int count, char** arguments, const unsigned char* inexact)
{
    folderTooLong = false;
    refusal = ArgumentsRefusal{nullptr, refusalDayCount};
    logFile = nullptr;
    logRefused = false;
    for (int i = 1; i < count; ++i) {
        const char* argument = arguments[i];
        // Its shown form may look like an option ("/?" from a control character): it is none.
        if (inexact != nullptr && inexact[i]) {
            refuse(argument, refusalInexact);
            continue;
        }
        if (matchesOption(argument, "?", true))
            return argumentsAskUsage;
        if (matchesOption(argument, "y", true))
            runOptions.confirm = false;
        if (matchesOption(argument, "o", true))
            runOptions.oldOnly = true;
        if (isDayCountOption(argument))
            readDayCountOption(argument);
        if (matchesOption(argument, "a", true))
            runOptions.allFiles = true;
        if (matchesOption(argument, "p", false))
            readFolderOption(argument);
        if (matchesOption(argument, "q", true))
            runOptions.quiet = true;
        if (matchesOption(argument, "l", true))
            runOptions.listOnly = true;
        if (matchesOption(argument, "log", false))
            readLogOption(argument);
        if (isDiagnosticSwitch(argument)) {
            runOptions.diagnostic = true;
            runOptions.applyChanges = false;
        }
    }
    // A list shows what a real run would do, not the diagnostic trace.
    if (runOptions.listOnly) {
        runOptions.applyChanges = false;
        runOptions.diagnostic = false;
    }
    return refusal.argument != nullptr ? argumentsRefused : argumentsRead;
}

bool targetFolderTooLong()
{
    return folderTooLong;
}

const ArgumentsRefusal* refusedArgument()
{
    return &refusal;
}

const char* logFileArgument()
{
    return logFile;
}

bool logOptionRefused()
{
    return logRefused;
}
