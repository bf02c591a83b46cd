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
    MOST_LEVELS = 128,            // folders held at once: the target and 127 levels below it
    // The target's path and a name and a backslash for each level below it: never cut.
    WALK_PATH_BUFFER = SHOWN_PATH_BUFFER + MOST_LEVELS * LISTED_NAME_BUFFER,
};

// A folder at the depth limit is not entered. 206 ("The filename or
// extension is too long") is what a walk by full paths gives for a tree too
// deep for it, so its line reads as the tree's depth, not as a fault of the
// folder; the folder then stays, NotEmpty, with all it holds.
static const DWORD TREE_TOO_DEEP = ERROR_FILENAME_EXCED_RANGE;

// What the walk of one folder works on: one set for each level it is in.
// A level's path is the start of walkPath.
struct SweepLevel {
    unsigned folderLength;  // of the folder's path in walkPath, its last backslash included
    ListedEntry entry;
    FolderListing listing;
    DWORD result;
    int recursed;
    bool keeps;    // something in the folder is known to stay, so the folder stays too
    bool stopped;  // the walk of this folder ends before its listing does
};

// Fixed, whatever the tree: the walk holds at most MOST_LEVELS folders, and
// one path, the folder walked now and its entry at hand.
static SweepLevel levels[MOST_LEVELS];
static unsigned depth;  // the level walked now
static char walkPath[WALK_PATH_BUFFER];
static char message[MESSAGE_BUFFER];

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

static unsigned entryPathLength(const SweepLevel* level)
{
    return level->folderLength + level->entry.nameLength;
}

// The level's folder alone in walkPath, or with its entry's name after it.
static void cutPathToFolder(const SweepLevel* level)
{
    walkPath[level->folderLength] = '\0';
}

static void placeEntryPath(const SweepLevel* level)
{
    CopyMemory(walkPath + level->folderLength, level->entry.name, level->entry.nameLength + 1);
}

// Writes one progress line: word, the entry's path, and "\" for a folder.
// In pieces: a path may be longer than any message.
static void writeEntryLine(const SweepLevel* level, const char* word, bool withBackslash)
{
    placeEntryPath(level);
    emit(word, 0);
    emit(walkPath, 0);
    if (withBackslash)
        emit("\\", 0);
}

static void writeFailure(SweepLevel* level, DWORD code)
{
    countFailure(code);
    level->keeps = true;
    TextBuilder line;
    startText(&line, message, MESSAGE_BUFFER);
    appendText(&line, " ** Failed, error ");
    appendNumber(&line, code);
    appendText(&line, " **");
    emit(message, 0);
}

static void failEntry(SweepLevel* level, DWORD code)
{
    writeFailure(level, code);
    level->result = code;
}

static void writeNumber(const char* before, DWORD number, const char* after)
{
    TextBuilder line;
    startText(&line, message, MESSAGE_BUFFER);
    appendText(&line, before);
    appendNumber(&line, number);
    appendText(&line, after);
    emit(message, 1);
}

static void writeLengthTrailer(const SweepLevel* level)
{
    if (runOptions.diagnostic)
        writeNumber("  [", entryPathLength(level), "]");
}

static void writeFolderHeader(const SweepLevel* level)
{
    cutPathToFolder(level);
    emit("\n", 1);
    emit("\nCurrentFolder: [", 1);
    emit(walkPath, 1);
    writeNumber("]   [", level->folderLength, "]");
    emit("\n", 1);
}

// text, then the path in walkPath, in brackets.
static void writeBracketedLine(const char* text)
{
    emit(text, 0);
    emit(walkPath, 0);
    emit("]", 0);
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

static void startLevel(SweepLevel* level, unsigned folderLength, int recursed)
{
    level->folderLength = folderLength;
    level->recursed = recursed;
    level->result = 0;
    level->keeps = false;
    level->stopped = false;
    level->listing.folder = INVALID_HANDLE_VALUE;
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

// Decided on the folder held; the target is refused by its name as a root
// too, even when it could not be opened.
static bool isRefusedFolder(const SweepLevel* level)
{
    cutPathToFolder(level);
    if (!runOptions.allFiles)
        return false;
    bool held = level->listing.folder != INVALID_HANDLE_VALUE;
    return (level == &levels[0] && wayNamedARoot()) || (held && isProtectedFolder(level->listing.folder));
}

// Under /A a folder that must not be emptied is refused before its listing
// is looked at; returns false then.
static bool mayWalk(SweepLevel* level)
{
    if (!isRefusedFolder(level))
        return true;
    writeBracketedLine("\nDeleting all files from this folder is not allowed: [");
    countFailure(ERROR_ACCESS_DENIED);
    level->keeps = true;
    level->result = ERROR_ACCESS_DENIED;
    return false;
}

// The sub-folder the parent's entry names was walked (child), or could not
// be (code, on the parent's "Scanning" line). Now it goes: a real run
// removes it, a dry run counts it when nothing in it stays.
static void leaveSubFolder(SweepLevel* parent, SweepLevel* child, DWORD code)
{
    if (code != 0)
        writeFailure(parent, code);
    writeEntryLine(parent, "\nRemoving  ", true);
    FolderListing* walked = code == 0 ? &child->listing : nullptr;
    bool stays = code != 0 || child->keeps;
    if (stays)
        parent->keeps = true;
    if (!runOptions.applyChanges) {
        if (!stays)
            countRemoval(parent);  // a real run would end NotEmpty where something stays
        if (walked != nullptr) {
            restoreListedAccess(walked);
            closeListing(walked);
        }
        return;
    }
    if (walked != nullptr && walked->mayRemove) {
        reportRemoval(parent, removeHeldFolder(walked, parent->listing.folder, &parent->entry));
        return;
    }
    // A listing-only handle shares no deletion: it goes first, so that a
    // folder whose user has left meanwhile can go too.
    if (walked != nullptr) {
        if (stays)
            restoreListedAccess(walked);
        closeListing(walked);
    }
    reportRemoval(parent, removeListedEntry(parent->listing.folder, &parent->entry));
}

// Enters the sub-folder the parent's entry names when it is the folder that
// was listed: the walk goes on one level down. One that cannot be entered
// gets the failure on its "Scanning" line and goes as far as it can at once.
static void enterSubFolder(SweepLevel* parent)
{
    if (depth + 1 == MOST_LEVELS) {
        leaveSubFolder(parent, nullptr, TREE_TOO_DEEP);
        return;
    }
    SweepLevel* child = &levels[depth + 1];
    startLevel(child, entryPathLength(parent) + 1, 1);
    DWORD code = openListedFolder(&child->listing, parent->listing.folder, &parent->entry, runOptions.applyChanges);
    if (code != 0) {
        leaveSubFolder(parent, child, code);
        return;
    }
    walkPath[entryPathLength(parent)] = '\\';
    ++depth;
    if (runOptions.diagnostic)
        writeFolderHeader(child);
    if (!mayWalk(child))
        child->stopped = true;
}

// The entry goes: a folder is emptied and removed (entered, and removed once
// its walk ends), a link removed, a file deleted.
static void removeEntry(SweepLevel* level)
{
    bool folder = isFolderEntry(level);
    bool link = isLinkEntry(level);
    writeEntryLine(level, folder && !link ? "\nScanning  " : folder ? "\nRemoving  " : "\nDeleting  ", folder);
    if (!level->entry.reachable) {
        failEntry(level, ERROR_INVALID_NAME);
        return;
    }
    if (folder && !link) {
        if (runOptions.allFiles && entryPathLength(level) < SHORTEST_SUBFOLDER_PATH) {
            writeBracketedLine("\nFailed with an internal error.  Invalid path: [");
            countFailure(ERROR_INVALID_DATA);
            level->result = ERROR_INVALID_DATA;
            level->stopped = true;
            return;
        }
        enterSubFolder(level);
        return;
    }
    if (runOptions.applyChanges)
        reportRemoval(level, removeListedEntry(level->listing.folder, &level->entry));
    else
        countRemoval(level);
}

// Handles the entry just listed: skips it, spares it, or removes it. The
// length trailer of a sub-folder comes once it has been walked.
static void handleEntry(SweepLevel* level)
{
    const ListedEntry* entry = &level->entry;
    if (isDotEntry(entry->name))
        return;
    unsigned walked = depth;
    if (isRunLog(level) || (!level->recursed && !isTemporaryName(entry->wideName, entry->wideUnits, entry->name))) {
        ++runTotals.skipped;
        level->keeps = true;
        writeEntryLine(level, "\nSkipping  ", isFolderEntry(level));
    } else if (runOptions.oldOnly &&
               sparedByDate(entry->created, entry->modified, entry->accessed)) {
        ++runTotals.spared;
        level->keeps = true;
        writeEntryLine(level, "\nSkipDate  ", isFolderEntry(level));
        return;
    } else {
        removeEntry(level);
        if (level->stopped || depth != walked)
            return;  // stopped, or entered: its trailer follows its removal
    }
    writeLengthTrailer(level);
}

// Walks the tree below the level that depth names until that level's walk
// ends: one entry at a time, at whatever level the walk is.
static void walkLevels()
{
    unsigned top = depth;
    for (;;) {
        SweepLevel* level = &levels[depth];
        if (!level->stopped && nextListedEntry(&level->listing, &level->entry)) {
            handleEntry(level);
            continue;
        }
        if (depth == top)
            return;
        SweepLevel* parent = &levels[--depth];
        leaveSubFolder(parent, level, 0);
        writeLengthTrailer(parent);
    }
}

// The folder the run was given, held through its way (or not, with the
// code of its failure), with the path lines show for it.
static DWORD openTarget(SweepLevel* level, HANDLE folder, DWORD openCode, const char* shownFolder)
{
    if (!copyWhole(walkPath, SHOWN_PATH_BUFFER, shownFolder))
        return ERROR_FILENAME_EXCED_RANGE;
    startLevel(level, textLength(walkPath), 0);
    level->listing.mayRestore = false;
    if (runOptions.diagnostic)
        writeFolderHeader(level);
    return openCode != 0 ? openCode : startListing(&level->listing, folder);
}

DWORD sweepFolder(HANDLE folder, DWORD openCode, const char* shownFolder)
{
    depth = 0;
    SweepLevel* level = &levels[0];
    DWORD code = openTarget(level, folder, openCode, shownFolder);
    if (code != 0 && !isRefusedFolder(level)) {
        countFailure(code);  // the final report says why
        return code;
    }
    findLogVolume(level->listing.folder);
    if (mayWalk(level))
        walkLevels();
    restoreListedAccess(&level->listing);
    closeListing(&level->listing);
    return level->result;
}
