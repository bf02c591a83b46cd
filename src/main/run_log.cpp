#include "main/run_log.h"

#include "common/ansi_text.h"
#include "common/run_records.h"
#include "common/version.h"
#include "console/output_stream.h"
#include "console/summary_line.h"
#include "main/library_call.h"

enum { ACCOUNT_NAME = 256 };

typedef BOOL(WINAPI* OpenProcessTokenCall)(HANDLE, DWORD, HANDLE*);
typedef BOOL(WINAPI* GetTokenInformationCall)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
typedef BOOL(WINAPI* LookupAccountSidCall)(const char*, PSID, char*, DWORD*, char*, DWORD*, SID_NAME_USE*);

static HANDLE logFile = INVALID_HANDLE_VALUE;

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

DWORD openRunLog(const char* path, const char* commandTail)
{
    logFile = CreateFileA(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (logFile == INVALID_HANDLE_VALUE)
        return GetLastError();
    // A log whose identity is unknown could not be told apart in the sweep.
    BY_HANDLE_FILE_INFORMATION found;
    if (!GetFileInformationByHandle(logFile, &found)) {
        DWORD code = GetLastError();
        CloseHandle(logFile);
        logFile = INVALID_HANDLE_VALUE;
        return code;
    }
    runLog.open = true;
    runLog.volume = found.dwVolumeSerialNumber;
    runLog.fileId = ULONGLONG(found.nFileIndexHigh) << 32 | found.nFileIndexLow;
    openLogStream(logFile);
    char first[MESSAGE_BUFFER];
    TextBuilder line;
    startText(&line, first, sizeof first);
    appendText(&line, DUSTREL_NAME " " DUSTREL_VERSION ", ");
    appendLocalTime(&line);
    appendText(&line, ", ");
    appendAccount(&line);
    appendText(&line, ": ");
    insertLogText(first);
    insertLogText(commandTail);  // whole, however long
    return 0;
}

void closeRunLog(DWORD exitCode, bool summaryWritten)
{
    if (logFile == INVALID_HANDLE_VALUE)
        return;
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
    closeLogStream();
    CloseHandle(logFile);
    logFile = INVALID_HANDLE_VALUE;
    runLog.open = false;
}
