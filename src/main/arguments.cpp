#include "main/arguments.h"

#include "common/ansi_text.h"
#include "common/run_records.h"

static bool folderTooLong;

static char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// "/x" or "-x" with the letters of rest, ASCII case ignored; whole
// compares the argument to its end, otherwise only the form's length.
static bool matchesOption(const char* argument, const char* rest, bool whole)
{
    if (argument[0] != '/' && argument[0] != '-')
        return false;
    const char* text = argument + 1;
    for (; *rest != '\0'; ++rest, ++text) {
        if (*text == '\0' || foldAscii(*text) != *rest)
            return false;
    }
    return !whole || *text == '\0';
}

// The diagnostic switch is compared byte for byte, letter case included.
static bool isDiagnosticSwitch(const char* argument)
{
    if (argument[0] != '/' && argument[0] != '-')
        return false;
    const char* text = argument + 1;
    const char* expected = "DuskHawk";
    for (; *expected != '\0'; ++expected, ++text) {
        if (*text != *expected)
            return false;
    }
    return *text == '\0';
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
