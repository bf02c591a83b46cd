#include "sweep/sweep.h"

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "console/output_stream.h"
#include "sweep/entry_removal.h"
#include "sweep/folder_listing.h"
#include "sweep/protected_folder.h"
#include "sweep/same_day.h"
#include "sweep/temporary_name.h"
#include "sweep/trusted_way.h"

enum {
    SHORTEST_SUBFOLDER_PATH = 4,  // anything shorter under /A is an internal error
};

// What one folder's walk works on: one set per level of recursion.
struct SweepLevel {
    char folder[PATH_BUFFER];
    unsigned folderLength;
    char fullPath[PATH_BUFFER];
    unsigned pathLength;  // folder and name together, even when that does not fit fullPath
    bool pathFits;
    char message[MESSAGE_BUFFER];
    ListedEntry entry;
    FolderListing listing;
    DWORD result;
    int recursed;
    bool keeps;  // something in the folder is known to stay, so the folder stays too
};

static bool removeEntry(SweepLevel* level);

static bool isDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

static bool isFolderEntry(const SweepLevel* level)
{
    return (level->entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A junction, mount point or symbolic link: never entered, never followed.
static bool isLinkEntry(const SweepLevel* level)
{
    return (level->entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Writes one progress line: word, the entry's path, and "\" for a folder.
// Built from folder and name, so it shows even a path too long to act on.
static void writeEntryLine(SweepLevel* level, const char* word, bool withBackslash)
{
    TextBuilder line;
    startText(&line, level->message, MESSAGE_BUFFER);
    appendText(&line, word);
    appendPiece(&line, level->folder, level->folderLength);
    appendPiece(&line, level->entry.name, level->entry.nameLength);
    if (withBackslash)
        appendText(&line, "\\");
    emit(level->message, 0);
}

static void writeFailure(SweepLevel* level, DWORD code)
{
    countFailure(code);
    level->keeps = true;
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

// Counts the entry as gone, or as going under a dry run.
static void countRemoval(SweepLevel* level)
{
    if (isFolderEntry(level)) {
        ++runTotals.foldersRemoved;
    } else {
        ++runTotals.filesDeleted;
        runTotals.bytesFreed += level->entry.size;
    }
}

// Reports the outcome of removing the entry; a folder that still holds
// something is not a failure.
static void reportRemoval(SweepLevel* level, DWORD code)
{
    if (code == 0) {
        countRemoval(level);
    } else if (isFolderEntry(level) && code == ERROR_DIR_NOT_EMPTY) {
        level->keeps = true;
        writeEntryLine(level, "\nNotEmpty  ", true);
    } else {
        failEntry(level, code);
    }
}

// Copies folder in normal form; 0 or 206.
static DWORD prepareFolder(SweepLevel* level, const char* folder, int recursed)
{
    level->recursed = recursed;
    level->result = 0;
    level->keeps = false;
    level->listing.folder = INVALID_HANDLE_VALUE;
    if (!copyWhole(level->folder, PATH_BUFFER, folder) || !normalizeFolder(level->folder))
        return ERROR_FILENAME_EXCED_RANGE;
    level->folderLength = textLength(level->folder);
    CopyMemory(level->fullPath, level->folder, level->folderLength + 1);
    return 0;
}

// Puts the entry's full path together, when it fits a path.
static void placeFullPath(SweepLevel* level)
{
    level->pathLength = level->folderLength + level->entry.nameLength;
    level->pathFits = level->pathLength < PATH_BUFFER;
    if (level->pathFits)
        CopyMemory(level->fullPath + level->folderLength, level->entry.name, level->entry.nameLength + 1);
    else
        level->fullPath[level->folderLength] = '\0';
}

static bool logOnTargetVolume;

// The log can lie below the target only on the target's volume; when that
// cannot be told, it may.
static void findLogVolume(HANDLE target)
{
    BY_HANDLE_FILE_INFORMATION found;
    logOnTargetVolume = runLog.open && (!GetFileInformationByHandle(target, &found) ||
                                        found.dwVolumeSerialNumber == runLog.volume);
}

// The log this run writes, wherever it lies in the tree.
static bool isRunLog(const SweepLevel* level)
{
    return logOnTargetVolume && !isFolderEntry(level) &&
           static_cast<ULONGLONG>(level->entry.fileId.QuadPart) == runLog.fileId;
}

// Handles the entry just listed. Returns false when the walk must stop.
static bool handleEntry(SweepLevel* level)
{
    const char* name = level->entry.name;
    if (isDotEntry(name))
        return true;
    placeFullPath(level);
    if (isRunLog(level) || (!level->recursed && !isTemporaryName(name))) {
        ++runTotals.skipped;
        level->keeps = true;
        writeEntryLine(level, "\nSkipping  ", isFolderEntry(level));
    } else if (runOptions.oldOnly &&
               sparedByDate(level->entry.created, level->entry.modified, level->entry.accessed)) {
        ++runTotals.spared;
        level->keeps = true;
        writeEntryLine(level, "\nSkipDate  ", isFolderEntry(level));
        return true;
    } else if (!removeEntry(level)) {
        return false;
    }
    writeLengthTrailer(level);
    return true;
}

static DWORD refuseAllFiles(SweepLevel* level)
{
    writeBracketedLine(level, "\nDeleting all files from this folder is not allowed: [", level->folder);
    countFailure(ERROR_ACCESS_DENIED);
    level->keeps = true;
    return ERROR_ACCESS_DENIED;
}

// Walks the folder that level holds; returns its result.
static DWORD walkHeldFolder(SweepLevel* level)
{
    if (runOptions.allFiles && level->recursed && isProtectedFolder(level->listing.folder))
        return refuseAllFiles(level);
    while (nextListedEntry(&level->listing, &level->entry)) {
        if (!handleEntry(level))
            break;
    }
    return level->result;
}

// Enters the sub-folder the parent's entry names when it is the folder that
// was listed, empties it and removes it. Failures inside show in their own
// lines only; one that keeps the folder from being listed ends its
// "Scanning" line.
static void sweepSubFolder(SweepLevel* parent)
{
    SweepLevel level;
    DWORD code = prepareFolder(&level, parent->fullPath, 1);
    if (code == 0)
        code = openListedFolder(&level.listing, parent->listing.folder, &parent->entry, runOptions.applyChanges);
    if (code != 0) {
        writeFailure(parent, code);
    } else {
        if (runOptions.diagnostic)
            writeFolderHeader(&level);
        walkHeldFolder(&level);
    }
    writeEntryLine(parent, "\nRemoving  ", true);
    if (code != 0 || level.keeps)
        parent->keeps = true;
    if (!runOptions.applyChanges) {
        if (code == 0 && !level.keeps)
            countRemoval(parent);  // a real run would end NotEmpty where something stays
        closeListing(&level.listing);
        return;
    }
    bool held = level.listing.folder != INVALID_HANDLE_VALUE && level.listing.mayRemove;
    if (held) {
        reportRemoval(parent, removeHeldFolder(&level.listing, parent->listing.folder, &parent->entry));
        return;
    }
    // A listing-only handle shares no deletion: it goes first, so that a
    // folder whose user has left meanwhile can go too.
    closeListing(&level.listing);
    reportRemoval(parent, removeListedEntry(parent->listing.folder, &parent->entry));
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
    if (!level->entry.reachable) {
        failEntry(level, ERROR_INVALID_NAME);
        return true;
    }
    if (folder && !link) {
        if (runOptions.allFiles && level->pathLength < SHORTEST_SUBFOLDER_PATH) {
            writeBracketedLine(level, "\nFailed with an internal error.  Invalid path: [", level->fullPath);
            countFailure(ERROR_INVALID_DATA);
            level->result = ERROR_INVALID_DATA;
            return false;
        }
        sweepSubFolder(level);
        return true;
    }
    if (runOptions.applyChanges)
        reportRemoval(level, removeListedEntry(level->listing.folder, &level->entry));
    else
        countRemoval(level);
    return true;
}

DWORD sweepFolder(HANDLE folder, DWORD openCode, const char* shownFolder)
{
    SweepLevel level;
    DWORD code = prepareFolder(&level, shownFolder, 0);
    if (code == 0 && runOptions.diagnostic)
        writeFolderHeader(&level);
    // A root is refused by its name too, even one that cannot be opened.
    bool refused = runOptions.allFiles && (wayNamedARoot() || (openCode == 0 && isProtectedFolder(folder)));
    if (code == 0 && refused) {
        CloseHandle(folder);
        return refuseAllFiles(&level);
    }
    if (code == 0)
        code = openCode;
    if (code == 0)
        code = startListing(&level.listing, folder);
    else if (openCode == 0)
        CloseHandle(folder);
    if (code != 0) {
        countFailure(code);  // the final report says why
        return code;
    }
    findLogVolume(level.listing.folder);
    code = walkHeldFolder(&level);
    closeListing(&level.listing);
    return code;
}
