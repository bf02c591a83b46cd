#include "main/run.h"

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "common/version.h"
#include "console/error_text.h"
#include "console/output_stream.h"
#include "console/usage.h"
#include "main/arguments.h"
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

// A refused argument ends the run before the box and before anything is
// touched. The argument is shown as typed, cut short.
static DWORD refuseArgument()
{
    char shownValue[64];
    TextBuilder value;
    startText(&value, shownValue, sizeof shownValue);
    appendText(&value, refusedArgument());
    char text[MESSAGE_BUFFER];
    if (refusedArgumentKind() == refusedInexact)
        joinText(text, "\nThe argument \"", shownValue, "\" holds a character that cannot be read exactly.\n\n");
    else
        joinText(text, "\nThe number of days in \"", shownValue, "\" must be a whole number from 1 to 3650.\n\n");
    return failRun(text, ERROR_INVALID_PARAMETER);
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

static bool userConfirms()
{
    char message[MESSAGE_BUFFER];
    joinText(message, "Are you sure you want to clean up ", targetFolder, "?");
    return MessageBoxA(GetForegroundWindow(), message, DUSTREL_NAME, MB_YESNO | MB_ICONQUESTION) == IDYES;
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

DWORD runDustrel(int count, char** arguments, const unsigned char* inexact)
{
    ArgumentsOutcome outcome = readArguments(count, arguments, inexact);
    if (outcome == argumentsAskUsage) {
        printUsage(arguments[0]);
        return 1;
    }
    if (outcome == argumentsRefused)
        return refuseArgument();
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
    if (runOptions.confirm && !userConfirms())
        return CONFIRMATION_DECLINED;

    emitFolderLine("\nCleaning  ", targetFolder, "");
    DWORD result = sweepFolder(targetFolder, 0);
    reportResult(result);
    return result;
}
