#include "main/run.h"

#include "common/ansi_text.h"
#include "common/exact_ansi.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "console/error_text.h"
#include "console/output_stream.h"
#include "console/summary_line.h"
#include "console/usage.h"
#include "main/arguments.h"
#include "main/confirmation_box.h"
#include "main/file_redirection.h"
#include "main/run_log.h"
#include "sweep/sweep.h"
#include "sweep/trusted_way.h"

enum {
    CONFIRMATION_DECLINED = ERROR_SIGNAL_REFUSED,
    LOG_FAILED = ERROR_OPEN_FAILED,  // the log could not be opened or written: its own code for scripts
};

static WCHAR environmentValue[LONGEST_PATH + 2];

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

// A system text without the line end it comes with.
static void writeCauseText(DWORD code, char* text)
{
    systemErrorText(code, text);
    unsigned length = textLength(text);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r'))
        text[--length] = '\0';
}

// Every failure to open the log ends the run with its own code, before
// anything is looked up or touched; the line says why.
static DWORD failLog(DWORD code)
{
    char cause[MESSAGE_BUFFER];
    writeCauseText(code, cause);
    const char* refusal = logFailureCause();
    emit("\nFailed to open the log file \"", 0);
    emit(shownLogFileArgument(), 0);
    emit("\": ", 0);
    emit(refusal != nullptr ? refusal : cause, 0);
    return failRun("\n\n", LOG_FAILED);
}

// The log is opened before anything is looked up or touched.
static DWORD openLogWhenAsked(const char* commandTail)
{
    if (logFileArgument() == nullptr)
        return 0;
    DWORD code = openRunLog(logFileArgument(), commandTail);
    return code == 0 ? 0 : failLog(code);
}

// A run that ends at a write to its log that failed says so; the log may
// hold only part of its record.
static DWORD closeLog(DWORD code, bool summaryWritten)
{
    DWORD failure = closeRunLog(code, summaryWritten);
    if (failure == 0)
        return code;
    char cause[MESSAGE_BUFFER];
    writeCauseText(failure, cause);
    emit("\nFailed to write the log file \"", 0);
    emit(shownLogFileArgument(), 0);
    emit("\": ", 0);
    emit(cause, 0);
    return failRun("\n\n", LOG_FAILED);
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

// The first of TMP and TEMP that is set and not empty names the folder. It
// must be absolute: the platform would read a relative one against the
// current folder, and with neither set it falls back to the profile or the
// Windows folder, which no run may clean by default.
static bool temporaryFolderNamed()
{
    const WCHAR* const variables[] = {L"TMP", L"TEMP"};
    for (const WCHAR* variable : variables) {
        // A variable holds 32,767 units at most; Wine misreads a larger size.
        DWORD units = GetEnvironmentVariableW(variable, environmentValue, LONGEST_PATH);
        if (units == 0 || units >= LONGEST_PATH)
            continue;
        const WCHAR* value = environmentValue;
        bool drive = value[0] != L'\0' && value[1] == L':' && (value[2] == L'\\' || value[2] == L'/');
        bool share = (value[0] == L'\\' || value[0] == L'/') && (value[1] == L'\\' || value[1] == L'/');
        return drive || share;
    }
    return false;
}

static DWORD findTemporaryFolder()
{
    if (!temporaryFolderNamed())
        return ERROR_ENVVAR_NOT_FOUND;
    DWORD units = GetTempPathW(MAX_PATH + 1, runTarget.path);
    if (units == 0)
        return GetLastError();
    return units > MAX_PATH + 1 ? ERROR_FILENAME_EXCED_RANGE : 0;
}

static DWORD chooseTargetFolder()
{
    if (targetFolderArgument() != nullptr) {
        lstrcpynW(runTarget.path, targetFolderArgument(), LONGEST_PATH + 1);
    } else {
        DWORD code = findTemporaryFolder();
        if (code != 0)
            return failRun("\nFailed to retrieve the path of the TEMP folder.\n\n", code);
    }
    unsigned units = normalizeWideFolder(runTarget.path);
    if (units == 0)
        return failRun("\nThe folder path is too long.\n\n", ERROR_FILENAME_EXCED_RANGE);
    readExactly(runTarget.path, units, runTarget.shown, sizeof runTarget.shown, nullptr);
    return 0;
}

// The folder is held for listing, and for putting its access date back
// where the account may.
static DWORD openTargetFolder(HANDLE* folder)
{
    const DWORD listing = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    DWORD code = openFolderWay(runTarget.path, listing | FILE_WRITE_ATTRIBUTES, folder);
    if (code != ERROR_ACCESS_DENIED)
        return code;
    releaseWay();
    return openFolderWay(runTarget.path, listing, folder);
}

// A link on the way to the folder that others may have made ends the run
// before anything is asked or touched.
static DWORD refuseLink()
{
    emit("\nThe link \"", 0);
    emit(shownUntrustedLink(), 0);
    return failRun("\" is not followed: other accounts can change the folder that holds it.\n\n", LINK_NOT_FOLLOWED);
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
    HANDLE folder = INVALID_HANDLE_VALUE;
    stopFileRedirection();
    DWORD openCode = openTargetFolder(&folder);
    restoreFileRedirection();
    if (openCode == LINK_NOT_FOLLOWED) {
        releaseWay();
        return refuseLink();
    }
    if (runOptions.confirm && !runOptions.listOnly) {
        Confirmation answer = askConfirmation();
        // A run nobody can confirm says why it did nothing; a No needs no word.
        if (answer == confirmationUnseen)
            emit("\nNobody can answer the confirmation box here, so nothing was cleaned: /Y runs without it.\n", 0);
        if (answer != confirmationGiven) {
            if (openCode == 0)
                CloseHandle(folder);
            releaseWay();
            return CONFIRMATION_DECLINED;
        }
    }

    emit("\nCleaning  ", 0);
    emit(runTarget.shown, 0);
    stopFileRedirection();
    DWORD result = sweepFolder(folder, openCode, runTarget.shown);
    restoreFileRedirection();
    releaseWay();
    reportResult(result);
    if (runOptions.listOnly) {
        char summary[MESSAGE_BUFFER];
        writeSummaryLine(summary);
        emit(summary, 0);
        *summaryWritten = true;
    }
    return result;
}

// A run refused for an argument is recorded in a log named soundly.
static DWORD refuseWithRecord(const char* commandTail)
{
    bool logged = logFileArgument() != nullptr && !logOptionRefused();
    if (logged)
        logged = openRunLog(logFileArgument(), commandTail) == 0;
    DWORD code = refuseArgument();
    return logged ? closeLog(code, false) : code;
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
        return refuseWithRecord(commandTail);
    DWORD code = openLogWhenAsked(commandTail);
    if (code != 0)
        return code;
    bool summaryWritten = false;
    code = runWithLog(&summaryWritten);
    return closeLog(code, summaryWritten);
}
