#include "main/arguments.h"

#include <string.h>

#include "common/ansi_text.h"
#include "common/exact_ansi.h"
#include "common/run_records.h"

enum {
    MOST_SPARED_DAYS = 3650,
    FOLDER_OPTION_LENGTH = 3,  // "/P:"
    LOG_OPTION_LENGTH = 5,     // "/LOG:"
};

// A "/P:" or "/LOG:" value as the command line holds it and as lines show it.
struct PathValue {
    const WCHAR* word;
    const char* shown;
};

static ArgumentsRefusal refusal;
static PathValue targetFolderValue;
static PathValue logFileValue;
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

// Only a value may hold characters without an exact ANSI spelling: the
// option words are ASCII, and such a character shows as "?", so a word
// shows as beginning with "/P:" or "/LOG:" only when it does.
static bool isPathOption(const char* argument)
{
    return matchesOption(argument, "p:", false) || matchesOption(argument, "log:", false);
}

static bool holdsControlCharacter(const WCHAR* word)
{
    for (; *word != L'\0'; ++word) {
        if (isControlCharacter(*word))
            return true;
    }
    return false;
}

// A value that holds something other than blanks: an empty one, from an
// unset variable, must not mean TEMP or anything else.
static bool holdsValue(const WCHAR* value)
{
    for (; *value != L'\0'; ++value) {
        if (*value != L' ' && *value != L'\t')
            return true;
    }
    return false;
}

// Anything that begins "/P" is meant as "/P:folder": a slip such as
// "/P D:\x" or "/P=D:\x" is refused, as ignoring it would clean TEMP.
static void readFolderOption(const char* argument, const WCHAR* word)
{
    if (matchesOption(argument, "p:", false) && holdsValue(word + FOLDER_OPTION_LENGTH))
        targetFolderValue = PathValue{word + FOLDER_OPTION_LENGTH, argument + FOLDER_OPTION_LENGTH};
    else
        refuse(argument, refusalFolderOption);
}

// Anything that begins "/LOG" is meant as "/LOG:file".
static void readLogOption(const char* argument, const WCHAR* word)
{
    if (matchesOption(argument, "log:", false) && holdsValue(word + LOG_OPTION_LENGTH)) {
        logFileValue = PathValue{word + LOG_OPTION_LENGTH, argument + LOG_OPTION_LENGTH};
    } else {
        logRefused = true;
        refuse(argument, refusalLogOption);
    }
}

static bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// "/D" not followed by a letter is meant as "/D:n": a slip such as "/D 7" or
// "/D7" is refused, as ignoring it would widen what the run deletes.
static bool isDayCountOption(const char* argument)
{
    return matchesOption(argument, "d", false) && !isAsciiLetter(argument[2]);
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

// Takes one option into runOptions; false when the argument is none.
static bool readOption(const char* argument, const WCHAR* word)
{
    if (matchesOption(argument, "y", true))
        runOptions.confirm = false;
    else if (matchesOption(argument, "o", true))
        runOptions.oldOnly = true;
    else if (isDayCountOption(argument))
        readDayCountOption(argument);
    else if (matchesOption(argument, "a", true))
        runOptions.allFiles = true;
    else if (matchesOption(argument, "p", false))
        readFolderOption(argument, word);
    else if (matchesOption(argument, "q", true))
        runOptions.quiet = true;
    else if (matchesOption(argument, "l", true))
        runOptions.listOnly = true;
    else if (matchesOption(argument, "log", false))
        readLogOption(argument, word);
    else if (isDiagnosticSwitch(argument))
        runOptions.diagnostic = true;
    else
        return false;
    return true;
}

// A word without a prefix that names a path ("C:\Temp", "D:", "..\tmp",
// "."): the user most likely meant the folder to clean.
static bool looksLikeFolder(const char* argument)
{
    if (argument[0] == '/' || argument[0] == '-' || argument[0] == '\0')
        return false;
    bool driveColon = isAsciiLetter(argument[0]) && argument[1] == ':';
    return driveColon || findLastChar(argument, '\\') != nullptr || findLastChar(argument, '/') != nullptr ||
           strcmp(argument, ".") == 0 || strcmp(argument, "..") == 0;
}

ArgumentsOutcome readArguments(int count, WCHAR* const* words, char* const* arguments, const unsigned char* inexact)
{
    refusal = ArgumentsRefusal{nullptr, refusalDayCount};
    targetFolderValue = PathValue{nullptr, nullptr};
    logFileValue = PathValue{nullptr, nullptr};
    logRefused = false;
    for (int i = 1; i < count; ++i) {
        const char* argument = arguments[i];
        // Its shown form may look like an option ("/?" from a control character): it is none.
        if (holdsControlCharacter(words[i]) || (inexact[i] && !isPathOption(argument))) {
            refuse(argument, refusalInexact);
            continue;
        }
        if (matchesOption(argument, "?", true))
            return argumentsAskUsage;
        // A mistyped option ignored would make a wider run than the one asked for.
        if (!readOption(argument, words[i]))
            refuse(argument, looksLikeFolder(argument) ? refusalBareFolder : refusalUnknown);
    }
    // The diagnostic switch makes a dry run; a list shows what a real run
    // would do, not the diagnostic trace.
    if (runOptions.diagnostic)
        runOptions.applyChanges = false;
    if (runOptions.listOnly) {
        runOptions.applyChanges = false;
        runOptions.diagnostic = false;
    }
    return refusal.argument != nullptr ? argumentsRefused : argumentsRead;
}

const ArgumentsRefusal* refusedArgument()
{
    return &refusal;
}

const WCHAR* targetFolderArgument()
{
    return targetFolderValue.word;
}

const WCHAR* logFileArgument()
{
    return logFileValue.word;
}

const char* shownTargetFolderArgument()
{
    return targetFolderValue.shown;
}

const char* shownLogFileArgument()
{
    return logFileValue.shown;
}

bool logOptionRefused()
{
    return logRefused;
}
