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
#include "main/run_log.h"
#include "sweep/sweep.h"

enum { CONFIRMATION_DECLINED = ERROR_SIGNAL_REFUSED };

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

// A refused argument ends the run before the log, the box and anything
// else. The argument is shown as typed, cut short.
static DWORD refuseArgument()
{
    const ArgumentsRefusal* refusal = refusedArgument();
    char shownValue[64];
    TextBuilder value;
    startText(&value, shownValue, sizeof shownValue);
    appendText(&value, refusal->argument);
    char text[MESSAGE_BUFFER];
    if (refusal->kind == refusalInexact)
        joinText(text, "\nThe argument \"", shownValue, "\" holds a character that cannot be read exactly.\n\n");
    else if (refusal->kind == refusalDayCount)
        joinText(text, "\nThe number of days in \"", shownValue, "\" must be a whole number from 1 to 3650.\n\n");
    else if (refusal->kind == refusalFolderOption)
        joinText(text, "\nThe option \"", shownValue, "\" must be given as /P:folder.\n\n");
    else
        joinText(text, "\nThe option \"", shownValue, "\" must be given as /LOG:file.\n\n");
    return failRun(text, ERROR_INVALID_PARAMETER);
}

// The log is opened before anything is looked up or touched.
static DWORD openLogWhenAsked(const char* commandTail)
{
    const char* path = logFileArgument();
    if (path == nullptr)
        return 0;
    DWORD code = openRunLog(path, commandTail);
    if (code == 0)
        return 0;
    char text[MESSAGE_BUFFER];
    joinText(text, "\nFailed to open the log file \"", path, "\".\n\n");
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
    if (targetFolderTooLong())
        return failRun("\nThe folder path is too long.\n\n", ERROR_FILENAME_EXCED_RANGE);
    if (targetFolder[0] != '\0') {
        if (!normalizeFolder(targetFolder))
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
    if (runOptions.confirm && !runOptions.listOnly && !userConfirms())
        return CONFIRMATION_DECLINED;

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

DWORD runDustrel(int count, char** arguments, const unsigned char* inexact, const char* commandTail)
{
    ArgumentsOutcome outcome = readArguments(count, arguments, inexact);
    if (outcome == argumentsAskUsage) {
        printUsage(arguments[0]);
        return 1;
    }
    if (outcome == argumentsRefused)
        return refuseArgument();
    DWORD code = openLogWhenAsked(commandTail);
    if (code != 0)
        return code;
    bool summaryWritten = false;
    code = runWithLog(&summaryWritten);
    closeRunLog(code, summaryWritten);
    return code;
}
