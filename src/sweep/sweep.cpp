#include "sweep/sweep.h"

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "console/output_stream.h"
#include "sweep/protected_folder.h"
#include "sweep/same_day.h"
#include "sweep/temporary_name.h"

enum {
    SHORTEST_SUBFOLDER_PATH = 4,  // anything shorter under /A is an internal error
};

// What one call of sweepFolder works on: one set per level of recursion.
struct SweepLevel {
    char folder[PATH_BUFFER];
    unsigned folderLength;
    char fullPath[PATH_BUFFER];
    unsigned pathLength;  // folder and name together, even when that does not fit fullPath
    bool pathFits;
    char message[MESSAGE_BUFFER];
    WIN32_FIND_DATAA entry;
    DWORD result;
    int recursed;
};

static bool isDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

static bool isFolderEntry(const SweepLevel* level)
{
    return (level->entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A junction, mount point or symbolic link: never entered, never followed.
static bool isLinkEntry(const SweepLevel* level)
{
    return (level->entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Win32 strips trailing dots and blanks from a path, so such a name would
// reach another entry than the one listed.
static bool nameReachesAnotherEntry(const char* name)
{
    const char* last = lastChar(name);
    return last != nullptr && (*last == '.' || *last == ' ');
}

// Writes one progress line: word, the entry's path, and "\" for a folder.
// Built from folder and name, so it shows even a path too long to act on.
static void writeEntryLine(SweepLevel* level, const char* word, bool withBackslash)
{
    TextBuilder line;
    startText(&line, level->message, MESSAGE_BUFFER);
    appendText(&line, word);
    appendPiece(&line, level->folder, level->folderLength);
    appendPiece(&line, level->entry.cFileName, level->pathLength - level->folderLength);
    if (withBackslash)
        appendText(&line, "\\");
    emit(level->message, 0);
}

static void writeFailure(SweepLevel* level, DWORD code)
{
    TextBuilder line;
    startText(&line, level->message, MESSAGE_BUFFER);
    appendText(&line, " ** Failed, error ");
    appendNumber(&line, code);
    appendText(&line, " **");
    emit(level->message, 0);
}

static void failEntry(SweepLevel* level, DWORD code)
{
    writeFailure(level, code);
    level->result = code;
}

static void writeLengthTrailer(SweepLevel* level)
{
    if (!runOptions.diagnostic)
        return;
    TextBuilder line;
    startText(&line, level->message, MESSAGE_BUFFER);
    appendText(&line, "  [");
    appendNumber(&line, level->pathLength);
    appendText(&line, "]");
    emit(level->message, 1);
}

static void writeFolderHeader(SweepLevel* level)
{
    TextBuilder line;
    startText(&line, level->message, MESSAGE_BUFFER);
    appendText(&line, "\nCurrentFolder: [");
    appendPiece(&line, level->folder, level->folderLength);
    appendText(&line, "]   [");
    appendNumber(&line, level->folderLength);
    appendText(&line, "]");
    emit("\n", 1);
    emit(level->message, 1);
    emit("\n", 1);
}

static void writeBracketedLine(SweepLevel* level, const char* text, const char* path)
{
    TextBuilder line;
    startText(&line, level->message, MESSAGE_BUFFER);
    appendText(&line, text);
    appendText(&line, path);
    appendText(&line, "]");
    emit(level->message, 0);
}

// Read-only entries cannot be deleted, so only they have their attributes
// reset; links never do, as the reset would reach through to the target.
static bool needsAttributeReset(const SweepLevel* level)
{
    return !isLinkEntry(level) && (level->entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// A failed deletion leaves the entry's attributes as the listing showed them.
static void restoreAttributes(const SweepLevel* level)
{
    const DWORD settable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                           FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD attributes = level->entry.dwFileAttributes & settable;
    SetFileAttributesA(level->fullPath, attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL);
}

// Removes the folder or deletes the file the entry names; a failure writes
// its line. A folder that still holds something is not a failure.
static void removeFromDisk(SweepLevel* level, bool folder)
{
    if (!runOptions.applyChanges)
        return;
    bool reset = needsAttributeReset(level);
    if (reset)
        SetFileAttributesA(level->fullPath, FILE_ATTRIBUTE_NORMAL);
    if (folder ? RemoveDirectoryA(level->fullPath) : DeleteFileA(level->fullPath))
        return;
    DWORD code = GetLastError();
    if (reset)
        restoreAttributes(level);
    if (folder && code == ERROR_DIR_NOT_EMPTY)
        writeEntryLine(level, "\nNotEmpty  ", true);
    else
        failEntry(level, code);
}

// The entry goes: a folder is emptied and removed, a link removed, a file
// deleted. Returns false when the walk of this folder must stop.
static bool removeEntry(SweepLevel* level)
{
    bool folder = isFolderEntry(level);
    bool link = isLinkEntry(level);
    writeEntryLine(level, folder && !link ? "\nScanning  " : folder ? "\nRemoving  " : "\nDeleting  ", folder);
    if (!level->pathFits) {
        failEntry(level, ERROR_FILENAME_EXCED_RANGE);
        return true;
    }
    if (nameReachesAnotherEntry(level->entry.cFileName)) {
        failEntry(level, ERROR_INVALID_NAME);
        return true;
    }
    if (!folder) {
        removeFromDisk(level, false);
        return true;
    }
    if (!link) {
        if (runOptions.allFiles && level->pathLength < SHORTEST_SUBFOLDER_PATH) {
            writeBracketedLine(level, "\nFailed with an internal error.  Invalid path: [", level->fullPath);
            level->result = ERROR_INVALID_DATA;
            return false;
        }
        sweepFolder(level->fullPath, 1);  // failures inside show in their own lines only
        writeEntryLine(level, "\nRemoving  ", true);
    }
    removeFromDisk(level, true);
    return true;
}

// Handles the entry just listed. Returns false when the walk must stop.
static bool handleEntry(SweepLevel* level)
{
    const char* name = level->entry.cFileName;
    if (isDotEntry(name))
        return true;
    unsigned nameLength = textLength(name);
    level->pathLength = level->folderLength + nameLength;
    level->pathFits = level->pathLength < PATH_BUFFER;
    if (level->pathFits) {
        CopyMemory(level->fullPath + level->folderLength, name, nameLength + 1);
    } else {
        level->fullPath[level->folderLength] = '\0';
    }

    bool folder = isFolderEntry(level);
    if (!level->recursed && !isTemporaryName(name)) {
        writeEntryLine(level, "\nSkipping  ", folder);
    } else if (runOptions.oldOnly && sparedByDate(level->entry.ftCreationTime, level->entry.ftLastWriteTime,
                                                  level->entry.ftLastAccessTime)) {
        writeEntryLine(level, "\nSkipDate  ", folder);
        return true;
    } else if (!removeEntry(level)) {
        return false;
    }
    writeLengthTrailer(level);
    return true;
}

// Copies folder in normal form and builds the search pattern; 0 or 206.
static DWORD prepareFolder(SweepLevel* level, const char* folder, char* pattern)
{
    if (!copyWhole(level->folder, PATH_BUFFER, folder) || !normalizeFolder(level->folder))
        return ERROR_FILENAME_EXCED_RANGE;
    level->folderLength = textLength(level->folder);
    if (level->folderLength + 3 >= PATH_BUFFER)
        return ERROR_FILENAME_EXCED_RANGE;
    CopyMemory(pattern, level->folder, level->folderLength);
    CopyMemory(pattern + level->folderLength, "*.*", 4);
    CopyMemory(level->fullPath, level->folder, level->folderLength + 1);
    return 0;
}

DWORD sweepFolder(const char* folder, int recursed)
{
    SweepLevel level;
    level.recursed = recursed;
    level.result = 0;
    char pattern[PATH_BUFFER];
    DWORD code = prepareFolder(&level, folder, pattern);
    if (code != 0)
        return code;
    if (runOptions.diagnostic)
        writeFolderHeader(&level);

    HANDLE search = FindFirstFileA(pattern, &level.entry);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError();
    if (runOptions.allFiles && isProtectedFolder(level.folder)) {
        writeBracketedLine(&level, "\nDeleting all files from this folder is not allowed: [", level.folder);
        FindClose(search);
        return ERROR_ACCESS_DENIED;
    }
    do {
        if (!handleEntry(&level))
            break;
    } while (FindNextFileA(search, &level.entry));
    FindClose(search);
    return level.result;
}
