#include "main/run_log.h"

#include "common/ansi_text.h"
#include "common/run_records.h"
#include "common/version.h"
#include "console/output_stream.h"
#include "console/summary_line.h"
#include "main/file_redirection.h"
#include "main/library_call.h"
#include "sweep/folder_trust.h"
#include "sweep/open_in_folder.h"
#include "sweep/trusted_way.h"

enum { ACCOUNT_NAME = 256 };

typedef BOOL(WINAPI* OpenProcessTokenCall)(HANDLE, DWORD, HANDLE*);
typedef BOOL(WINAPI* GetTokenInformationCall)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
typedef BOOL(WINAPI* LookupAccountSidCall)(const char*, PSID, char*, DWORD*, char*, DWORD*, SID_NAME_USE*);

static HANDLE logFile = INVALID_HANDLE_VALUE;
static char failureCause[SHOWN_PATH_BUFFER + MESSAGE_BUFFER];

// "DOMAIN\name" of the account the process runs as, from its token, so
// that SYSTEM shows as NT AUTHORITY\SYSTEM. advapi32.dll is loaded only for
// a run that writes a log.
static void appendAccount(TextBuilder* line)
{
    char domain[ACCOUNT_NAME] = "?";
    char name[ACCOUNT_NAME] = "?";
    HMODULE advapi = LoadLibraryA("advapi32.dll");
    OpenProcessTokenCall openToken = findCall<OpenProcessTokenCall>(advapi, "OpenProcessToken");
    GetTokenInformationCall getInformation = findCall<GetTokenInformationCall>(advapi, "GetTokenInformation");
    LookupAccountSidCall lookUp = findCall<LookupAccountSidCall>(advapi, "LookupAccountSidA");
    HANDLE token = nullptr;
    if (openToken != nullptr && getInformation != nullptr && lookUp != nullptr &&
        openToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        union {
            TOKEN_USER user;
            unsigned char bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
        } owner;
        DWORD needed = 0;
        DWORD nameSize = ACCOUNT_NAME;
        DWORD domainSize = ACCOUNT_NAME;
        SID_NAME_USE use;
        if (!getInformation(token, TokenUser, &owner, sizeof owner, &needed) ||
            !lookUp(nullptr, owner.user.User.Sid, name, &nameSize, domain, &domainSize, &use)) {
            lstrcpyA(domain, "?");
            lstrcpyA(name, "?");
        }
        CloseHandle(token);
    }
    if (advapi != nullptr)
        FreeLibrary(advapi);
    appendText(line, domain);
    appendText(line, "\\");
    appendText(line, name);
}

// "2026-12-07 16:05:03", local time.
static void appendLocalTime(TextBuilder* line)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    const WORD fields[] = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    const char* const separators[] = {"-", "-", " ", ":", ":", ""};
    for (unsigned i = 0; i < 6; ++i) {
        appendDigits(line, fields[i], 2);
        appendText(line, separators[i]);
    }
}

static HANDLE createInFolder(HANDLE folder, const WCHAR* name, unsigned units, ULONG disposition, DWORD* code)
{
    // Reading the log lets the run lock a byte of it to take its turn.
    NamedOpen open = {folder, FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, disposition,
                      FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, true};
    return openByName(&open, name, units, code);
}

// Opens the log by its name in the folder that holds it, or makes it there.
// A link at its name is never followed: where the platform would follow it
// to make a file, making the log fails instead (the name is taken, yet
// nothing opens under it).
static HANDLE openOrMake(HANDLE folder, const WCHAR* name, unsigned units, bool* made, DWORD* code)
{
    *made = false;
    HANDLE file = createInFolder(folder, name, units, FILE_OPEN, code);
    if (file != INVALID_HANDLE_VALUE || *code != ERROR_FILE_NOT_FOUND)
        return file;
    file = createInFolder(folder, name, units, FILE_CREATE, code);
    *made = file != INVALID_HANDLE_VALUE;
    if (file != INVALID_HANDLE_VALUE || (*code != ERROR_ALREADY_EXISTS && *code != ERROR_FILE_EXISTS))
        return file;
    file = createInFolder(folder, name, units, FILE_OPEN, code);  // another run made it meanwhile
    if (file == INVALID_HANDLE_VALUE && *code == ERROR_FILE_NOT_FOUND)
        *code = LINK_NOT_FOLLOWED;  // a link that leads nowhere
    return file;
}

// Why an opened file cannot be the log: nullptr when it can.
static const char* unfitLog(HANDLE file, const WCHAR* name, unsigned units, bool made)
{
    if (reachesAnotherPath(file, name, units))
        return "it is a link.";
    if (GetFileType(file) != FILE_TYPE_DISK)
        return "it is no file on a disk.";
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) || standard.Directory)
        return "it is no file on a disk.";
    // Another name would let the record be read, or run, as another file.
    if (standard.NumberOfLinks != 1)
        return "it has another name.";
    if (!made && !ownedByRunningAccount(file))
        return "it belongs to another account.";
    return nullptr;
}

// Names the link on the way that was not followed.
static void writeLinkCause()
{
    TextBuilder text;
    startText(&text, failureCause, sizeof failureCause);
    appendText(&text, "other accounts can change the folder that holds the link \"");
    appendText(&text, shownUntrustedLink());
    appendText(&text, "\" on its way.");
}

// Marks the log in runLog for the sweep to leave alone; its identity is
// asked of the file itself.
static DWORD markRunLog()
{
    BY_HANDLE_FILE_INFORMATION found;
    if (!GetFileInformationByHandle(logFile, &found))
        return GetLastError();
    runLog.open = true;
    runLog.volume = found.dwVolumeSerialNumber;
    runLog.fileId = ULONGLONG(found.nFileIndexHigh) << 32 | found.nFileIndexLow;
    return 0;
}

static DWORD openLogFile(const WCHAR* path)
{
    HANDLE folder = INVALID_HANDLE_VALUE;
    const WCHAR* name = nullptr;
    unsigned units = 0;
    bool made = false;
    HANDLE file = INVALID_HANDLE_VALUE;
    const char* unfit = nullptr;
    DWORD code = openParentWay(path, &folder, &name, &units);
    if (code == LINK_NOT_FOLLOWED)
        writeLinkCause();
    else if (code == 0)
        file = openOrMake(folder, name, units, &made, &code);
    if (file != INVALID_HANDLE_VALUE)
        unfit = unfitLog(file, name, units, made);
    else if (code == LINK_NOT_FOLLOWED && folder != INVALID_HANDLE_VALUE)
        unfit = "it is a link.";  // at its name, leading nowhere
    releaseWay();
    if (unfit != nullptr) {
        lstrcpyA(failureCause, unfit);
        code = ERROR_OPEN_FAILED;
    }
    if (file != INVALID_HANDLE_VALUE && code != 0)
        CloseHandle(file);
    if (code == 0)
        logFile = file;
    return code;
}

DWORD openRunLog(const WCHAR* path, const char* commandTail)
{
    failureCause[0] = '\0';
    char first[MESSAGE_BUFFER];
    TextBuilder line;
    startText(&line, first, sizeof first);
    appendText(&line, DUSTREL_NAME " " DUSTREL_VERSION ", ");
    appendLocalTime(&line);
    appendText(&line, ", ");
    appendAccount(&line);
    appendText(&line, ": ");
    // The account's name is looked up first: system libraries load only
    // with the redirection of 32-bit programs on.
    stopFileRedirection();
    DWORD code = openLogFile(path);
    restoreFileRedirection();
    if (code == 0)
        code = markRunLog();
    if (code == 0) {
        openLogStream(logFile);
        insertLogText(first);
        insertLogText(commandTail);  // whole, however long
        insertLogText("\n");
        code = flushLogStream();  // a log that takes nothing fails here, before anything is done
    }
    if (code != 0 && logFile != INVALID_HANDLE_VALUE) {
        closeLogStream();
        CloseHandle(logFile);
        logFile = INVALID_HANDLE_VALUE;
        runLog.open = false;
    }
    return code;
}

const char* logFailureCause()
{
    return failureCause[0] != '\0' ? failureCause : nullptr;
}

DWORD closeRunLog(DWORD exitCode, bool summaryWritten)
{
    if (logFile == INVALID_HANDLE_VALUE)
        return 0;
    char line[MESSAGE_BUFFER];
    if (!logLineEnded())
        insertLogText("\n");
    if (!summaryWritten) {
        writeSummaryLine(line);
        insertLogText(line);
    }
    TextBuilder text;
    startText(&text, line, sizeof line);
    appendText(&text, "Exit code ");
    appendNumber(&text, exitCode);
    appendText(&text, ".\n");
    insertLogText(text.text);
    DWORD failure = closeLogStream();
    CloseHandle(logFile);
    logFile = INVALID_HANDLE_VALUE;
    runLog.open = false;
    return failure;
}
