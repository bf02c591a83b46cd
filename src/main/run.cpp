#include "main/run.h"

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "console/error_text.h"
#include "console/output_stream.h"
#include "console/summary_line.h"
#include "console/usage.h"
#include "main/arguments.h"
#include "main/confirmation_box.h"
#include "main/exact_arguments.h"
#include "main/run_log.h"
#include "sweep/sweep.h"

enum {
    CONFIRMATION_DECLINED = ERROR_SIGNAL_REFUSED,
    ANSI_VALUE_BYTES = 2 * 32768 + 2,  // a command line's units, each double-byte at most
};

// The /P: and /LOG: values in the ANSI code page, as the folder and the log
// are opened.
static char targetFolderPath[ANSI_VALUE_BYTES];
static char logFilePath[ANSI_VALUE_BYTES];

// Three texts one after the other in a message line.
static void joinText(char* message, const char* first, const char* middle, const char* last)
{
    TextBuilder line;
    startText(&line, message, MESSAGE_BUFFER);
    appendText(&line, first);
    appendText(&line, middle);
    appendText(&line, last);
}

// Writes a start-up failure: its text and the system's text for code.
static DWORD failRun(const char* text, DWORD code)
{
    char errorText[MESSAGE_BUFFER];
    systemErrorText(code, errorText);
    char message[MESSAGE_BUFFER];
    joinText(message, text, errorText, "");
    emit(message, 0);
    return code;
}

// The outcome of a folder query that returned length: its error code; 206
// when the path would not fit, in normal form too; 0 when folder holds it.
static DWORD takeQueriedFolder(UINT length, char* folder)
{
    if (length == 0)
        return GetLastError();
    if (length >= PATH_BUFFER || !normalizeFolder(folder))
        return ERROR_FILENAME_EXCED_RANGE;
    return 0;
}

// The argument as typed, cut short, into a line.
static void showArgument(char* shown, unsigned size, const char* argument)
{
    TextBuilder value;
    startText(&value, shown, size);
    appendText(&value, argument);
}

// A refused argument ends the run before the log, the box and anything
// else.
static DWORD refuseArgument()
{
    const ArgumentsRefusal* refusal = refusedArgument();
    char shown[64];
    showArgument(shown, sizeof shown, refusal->argument);
    char text[MESSAGE_BUFFER];
    if (refusal->kind == refusalInexact)
        joinText(text, "\nThe argument \"", shown, "\" holds a character that cannot be read exactly.\n\n");
    else if (refusal->kind == refusalDayCount)
        joinText(text, "\nThe number of days in \"", shown, "\" must be a whole number from 1 to 3650.\n\n");
    else if (refusal->kind == refusalFolderOption)
        joinText(text, "\nThe option \"", shown, "\" must be given as /P:folder.\n\n");
    else if (refusal->kind == refusalLogOption)
        joinText(text, "\nThe option \"", shown, "\" must be given as /LOG:file.\n\n");
    else if (refusal->kind == refusalBareFolder)
        joinText(text, "\nThe argument \"", shown,
                 "\" is not an option of this program: a folder to clean must be given as /P:folder.\n\n");
    else
        joinText(text, "\nThe argument \"", shown, "\" is not an option of this program.\n\n");
    return failRun(text, ERROR_INVALID_PARAMETER);
}

// The folder and the log are opened by their ANSI paths: a value without an
// exact spelling there ends the run before anything, as it always did.
static DWORD readValueInAnsi(const WCHAR* value, const char* shownValue, const char* what, char* path)
{
    if (value == nullptr || readExactText(value, path, ANSI_VALUE_BYTES))
        return 0;
    char shown[64];
    showArgument(shown, sizeof shown, shownValue);
    char text[MESSAGE_BUFFER];
    joinText(text, what, shown, "\" holds a character that cannot be read exactly.\n\n");
    return failRun(text, ERROR_INVALID_PARAMETER);
}

static DWORD readPathsInAnsi()
{
    DWORD code = readValueInAnsi(targetFolderArgument(), shownTargetFolderArgument(), "\nThe folder \"",
                                 targetFolderPath);
    if (code != 0)
        return code;
    return readValueInAnsi(logFileArgument(), shownLogFileArgument(), "\nThe log file \"", logFilePath);
}

// The log is opened before anything is looked up or touched.
static DWORD openLogWhenAsked(const char* commandTail)
{
    if (logFileArgument() == nullptr)
        return 0;
    DWORD code = openRunLog(logFilePath, commandTail);
    if (code == 0)
        return 0;
    char text[MESSAGE_BUFFER];
    joinText(text, "\nFailed to open the log file \"", shownLogFileArgument(), "\".\n\n");
    return failRun(text, code);
}

static DWORD findSystemFolders()
{
    DWORD code = takeQueriedFolder(GetWindowsDirectoryA(systemFolders.windowsFolder, PATH_BUFFER),
                                   systemFolders.windowsFolder);
    if (code != 0)
        return failRun("\nFailed to retrieve the path of the Windows folder.\n\n", code);
    code = takeQueriedFolder(GetSystemDirectoryA(systemFolders.systemFolder, PATH_BUFFER),
                             systemFolders.systemFolder);
    if (code != 0)
        return failRun("\nFailed to retrieve the path of the Windows System folder.\n\n", code);
    return 0;
}

static void emitFolderLine(const char* label, const char* folder, const char* end)
{
    char message[MESSAGE_BUFFER];
    joinText(message, label, folder, end);
    emit(message, 0);
}

static DWORD chooseTargetFolder()
{
    // Trailing backslashes count as one: a folder counts by its normal form.
    if (targetFolderArgument() != nullptr) {
        if (!copyFolderInNormalForm(targetFolder, targetFolderPath))
            return failRun("\nThe folder path is too long.\n\n", ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    DWORD code = takeQueriedFolder(GetTempPathA(PATH_BUFFER, targetFolder), targetFolder);
    if (code != 0)
        return failRun("\nFailed to retrieve the path of the TEMP folder.\n\n", code);
    return 0;
}

static void reportResult(DWORD result)
{
    char message[MESSAGE_BUFFER];
    TextBuilder line;
    if (runOptions.diagnostic) {
        emit("\n", 0);
        startText(&line, message, sizeof message);
        appendText(&line, "\nProcess is exiting with return code ");
        appendNumber(&line, result);
        appendText(&line, ".");
        emit(message, 0);
    }
    char errorText[MESSAGE_BUFFER];
    systemErrorText(result, errorText);
    emit("\n", 0);
    startText(&line, message, sizeof message);
    appendText(&line, "\n");
    appendText(&line, errorText);
    emit(message, 0);
    emit("\n", 0);
}

// The run once the log is open: returns the exit code, and whether the
// summary line was written (a list writes it after the report).
static DWORD runWithLog(bool* summaryWritten)
{
    DWORD code = findSystemFolders();
    if (code != 0)
        return code;
    if (runOptions.diagnostic) {
        emitFolderLine("\n WINDIR: [", systemFolders.windowsFolder, "]");
        emitFolderLine("\n SYSDIR: [", systemFolders.systemFolder, "]\n");
    }
    code = chooseTargetFolder();
    if (code != 0)
        return code;
    if (runOptions.confirm && !runOptions.listOnly) {
        Confirmation answer = askConfirmation();
        // A run nobody can confirm says why it did nothing; a No needs no word.
        if (answer == confirmationUnseen)
            emit("\nNobody can answer the confirmation box here, so nothing was cleaned: /Y runs without it.\n", 0);
        if (answer != confirmationGiven)
            return CONFIRMATION_DECLINED;
    }

    emitFolderLine("\nCleaning  ", targetFolder, "");
    DWORD result = sweepFolder(targetFolder, 0);
    reportResult(result);
    if (runOptions.listOnly) {
        char summary[MESSAGE_BUFFER];
        writeSummaryLine(summary);
        emit(summary, 0);
        *summaryWritten = true;
    }
    return result;
}

DWORD runDustrel(int count, WCHAR* const* words, char* const* arguments, const unsigned char* inexact,
                 const char* commandTail)
{
    ArgumentsOutcome outcome = readArguments(count, words, arguments, inexact);
    if (outcome == argumentsAskUsage) {
        printUsage(arguments[0]);
        return 1;
    }
    if (outcome == argumentsRefused)
        return refuseArgument();
    DWORD code = readPathsInAnsi();
    if (code != 0)
        return code;
    code = openLogWhenAsked(commandTail);
    if (code != 0)
        return code;
    bool summaryWritten = false;
    code = runWithLog(&summaryWritten);
    closeRunLog(code, summaryWritten);
    return code;
}
