// The exe on real folder trees: each case builds a tree, runs the exe with
// an exact command line, and checks the exit code, every line written and
// what is left on disk. The listing order of a folder is the file system's,
// so lines are compared sorted.
//
// In the tables '|' stands for a line break and, in trees, separates entries.
// %T is the case's folder, %h a double-byte character with the trail byte
// 0x5C, %t a tab, %d today's date, %D the diagnostic folder lines, %R the
// final report for the case's exit code, %X the diagnostic line before it,
// %A and %B the start of a folder header and of the /A refusal. Tree
// entries end in '\' for a folder; a leading '-' makes an entry old, '@'
// dated 00:01 six days back (the oldest day /D:7 spares), '#' a minute
// before that midnight, '^' read-only, '!' held open with share mode 0;
// "name=target" is a Unix link to a folder of the tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness.h"

namespace {

struct Scenario {
    unsigned codePage;  // 0: any; 932: only in the run under code page 932
    const char* tree;
    const char* arguments;
    DWORD exitCode;
    const char* output;
    const char* kept;  // entries left afterwards, "*" for all; every other entry is gone
    const char* currentFolder = "";  // relative to the case's folder, or absolute
};

const char* const sameDayTree = "-old.tmp|new.tmp|-keep.txt|~new\\|-~new\\x|-~old\\|-~old\\a|~old\\b";
const char* const sameDaySweep =
    "|Cleaning  %T\\|Deleting  %T\\old.tmp|SkipDate  %T\\new.tmp|Skipping  %T\\keep.txt|SkipDate  %T\\~new\\"
    "|Scanning  %T\\~old\\|Deleting  %T\\~old\\a|SkipDate  %T\\~old\\b|Removing  %T\\~old\\|NotEmpty  %T\\~old\\%R";
const char* const sameDayKept = "new.tmp|keep.txt|~new\\|~new\\x|~old\\|~old\\b";

const Scenario scenarios[] = {
    // A tree with everything a sweep meets.
    {0, "a.tmp|keep.txt|keep\\|keep\\z.tmp|~d\\|~d\\x.txt|~d\\sub\\|~d\\sub\\y", "/y /p:%T", 0,
     "|Cleaning  %T\\|Deleting  %T\\a.tmp|Skipping  %T\\keep.txt|Skipping  %T\\keep\\|Scanning  %T\\~d\\"
     "|Deleting  %T\\~d\\x.txt|Scanning  %T\\~d\\sub\\|Deleting  %T\\~d\\sub\\y|Removing  %T\\~d\\sub\\"
     "|Removing  %T\\~d\\%R", "keep.txt|keep\\|keep\\z.tmp"},
    // The diagnostic switch: a dry run with folder headers, name traces and lengths; /Q keeps only those.
    {0, "~d\\|~d\\x", "/y /DuskHawk /p:%T", 0,
     "%D|Cleaning  %T\\||CurrentFolder: [%T\\]   [18]||[~d]%t[]|Scanning  %T\\~d\\||CurrentFolder: [%T\\~d\\]   [21]|"
     "|Deleting  %T\\~d\\x  [22]|Removing  %T\\~d\\  [20]||Process is exiting with return code 0.%R", "*"},
    {0, "~d\\|~d\\x", "/y /q /DuskHawk /p:%T", 0,
     "||CurrentFolder: [%T\\]   [18]||[~d]%t[]||CurrentFolder: [%T\\~d\\]   [21]|  [22]  [20]", "*"},
    {0, "a.tmp", "/y /q /p:%T", 0, "", ""},
    {0, "", "/y /p:%T\\missing\\\\", ERROR_PATH_NOT_FOUND, "|Cleaning  %T\\missing\\%R", ""},
    // Faults for real: files in use (read-only and hidden bits come back), a folder in use, a read-only file.
    {0, "!busy.tmp|~d\\|!^~d\\busy", "/y /p:%T", ERROR_SHARING_VIOLATION,
     "|Cleaning  %T\\|Deleting  %T\\busy.tmp ** Failed, error 32 **|Scanning  %T\\~d\\"
     "|Deleting  %T\\~d\\busy ** Failed, error 32 **|Removing  %T\\~d\\|NotEmpty  %T\\~d\\%R",
     "busy.tmp|~d\\|^~d\\busy"},
    {0, "^gone.tmp|~cwd\\", "/y /p:%T", ERROR_SHARING_VIOLATION,
     "|Cleaning  %T\\|Deleting  %T\\gone.tmp|Scanning  %T\\~cwd\\|Removing  %T\\~cwd\\ ** Failed, error 32 **%R",
     "~cwd\\", "~cwd"},
    // A link is never entered, and removed only through a handle that is the link itself: under
    // Wine every handle reaches through a link to its target, so the link stays, reported.
    {0, "t\\|t\\~l=outside|outside\\|outside\\p", "/y /p:%T\\t", ERROR_CANT_ACCESS_FILE,
     "|Cleaning  %T\\t\\|Removing  %T\\t\\~l\\ ** Failed, error 1920 **%R", "*"},
    // Code page 932: a trail byte 0x5C is no backslash, in names and in the folder named.
    {932, "~%h\\|~%h\\%h\\|~%h\\%h\\a|b.tmp", "/y /p:%T", 0,
     "|Cleaning  %T\\|Scanning  %T\\~%h\\|Scanning  %T\\~%h\\%h\\|Deleting  %T\\~%h\\%h\\a|Removing  %T\\~%h\\%h\\"
     "|Removing  %T\\~%h\\|Deleting  %T\\b.tmp%R", ""},
    {932, "%h\\|%h\\c.tmp|d.tmp", "/y /p:%T\\%h", 0, "|Cleaning  %T\\%h\\|Deleting  %T\\%h\\c.tmp%R", "%h\\|d.tmp"},
    // /O spares what was touched today, and does not enter a folder it spares; /D:1 spares the same.
    {0, sameDayTree, "/y /o /p:%T", 0, sameDaySweep, sameDayKept},
    {0, sameDayTree, "/y /D:1 /p:%T", 0, sameDaySweep, sameDayKept},
    {0, "-a.tmp|-keep", "/y /o /DuskHawk /p:%T", 0,
     "%D|Cleaning  %T\\||CurrentFolder: [%T\\]   [18]||[a.tmp]%t[.tmp]|Created Date : 2019/03/14"
     "|Modified Date: 2019/03/14|Accessed Date: 2019/03/14|System Date  : %d|Deleting  %T\\a.tmp  [23]"
     "|[keep]%t[]|Skipping  %T\\keep  [22]||Process is exiting with return code 0.%R", "*"},
    {0, "-a.tmp|-keep", "/y /q /o /DuskHawk /p:%T", 0,
     "||CurrentFolder: [%T\\]   [18]||[a.tmp]%t[.tmp]  [23]|[keep]%t[]  [22]", "*"},
    // /D:n from local midnight n - 1 days back, the longest period given; its trace names that day.
    {0, "@in.tmp|#out.tmp|@~in\\|-~in\\x|#~out\\|#~out\\a|@~out\\b", "/y /D:7 -d:2 /o /p:%T", 0,
     "|Cleaning  %T\\|SkipDate  %T\\in.tmp|Deleting  %T\\out.tmp|SkipDate  %T\\~in\\|Scanning  %T\\~out\\"
     "|Deleting  %T\\~out\\a|SkipDate  %T\\~out\\b|Removing  %T\\~out\\|NotEmpty  %T\\~out\\%R",
     "in.tmp|~in\\|~in\\x|~out\\|~out\\b"},
    {0, "-a.tmp", "/y /d:1 /DuskHawk /p:%T", 0,
     "%D|Cleaning  %T\\||CurrentFolder: [%T\\]   [18]||[a.tmp]%t[.tmp]|Created Date : 2019/03/14"
     "|Modified Date: 2019/03/14|Accessed Date: 2019/03/14|System Date  : %d|Oldest Spared: %d"
     "|Deleting  %T\\a.tmp  [23]||Process is exiting with return code 0.%R", "*"},
    // A bad /D value ends the run before the box (none is answered here) and before anything is touched.
    {0, "a.tmp|b\\", "/a /D:7x /p:%T", ERROR_INVALID_PARAMETER,
     "|The number of days in \"/D:7x\" must be a whole number from 1 to 3650.||%r", "*"},
    // A name ending in a dot or blank would reach another entry: it is reported and left alone.
    {0, "~x|-~x.|~d\\|~d\\f|-~d.\\|~d.\\f", "/y /o /p:%T", ERROR_INVALID_NAME,
     "|Cleaning  %T\\|SkipDate  %T\\~x|Deleting  %T\\~x. ** Failed, error 123 **|SkipDate  %T\\~d\\"
     "|Scanning  %T\\~d.\\ ** Failed, error 123 **%R", "*"},
    {0, "~x|^~x.|~y |keep.|~d\\|~d\\~x|~d\\~x.|~d\\~y ", "/y /p:%T", ERROR_INVALID_NAME,
     "|Cleaning  %T\\|Deleting  %T\\~x|Deleting  %T\\~x. ** Failed, error 123 **"
     "|Deleting  %T\\~y  ** Failed, error 123 **|Skipping  %T\\keep.|Scanning  %T\\~d\\|Deleting  %T\\~d\\~x"
     "|Deleting  %T\\~d\\~x. ** Failed, error 123 **|Deleting  %T\\~d\\~y  ** Failed, error 123 **"
     "|Removing  %T\\~d\\|NotEmpty  %T\\~d\\%R", "^~x.|~y |keep.|~d\\|~d\\~x.|~d\\~y "},
    {0, "~d\\|~d\\x.", "/y /p:%T", 0,
     "|Cleaning  %T\\|Scanning  %T\\~d\\|Deleting  %T\\~d\\x. ** Failed, error 123 **|Removing  %T\\~d\\"
     "|NotEmpty  %T\\~d\\%R", "*"},
    // /A: every name goes, with no name trace; a one-letter sub-folder of a one-letter folder is an internal error.
    {0, "readme|^autoexec.bat|sub\\|sub\\x", "/y /a /p:%T", 0,
     "|Cleaning  %T\\|Deleting  %T\\readme|Deleting  %T\\autoexec.bat|Scanning  %T\\sub\\|Deleting  %T\\sub\\x"
     "|Removing  %T\\sub\\%R", ""},
    {0, "readme", "/y /a /DuskHawk /p:%T", 0,
     "%D|Cleaning  %T\\||CurrentFolder: [%T\\]   [18]||Deleting  %T\\readme  [24]||Process is exiting with return code 0.%R",
     "*"},
    {0, "a\\|a\\b\\|a\\b\\x", "/y /a /p:a", ERROR_INVALID_DATA,
     "|Cleaning  a\\|Scanning  a\\b\\|Failed with an internal error.  Invalid path: [a\\b]%R", "*", "."},
    // /A refuses a root, the Windows and System folders, under any name: first as a dry run, then for real.
    {0, "", "/y /a /DuskHawk /p:C:\\.", ERROR_ACCESS_DENIED, "%D|Cleaning  C:\\.\\%A[C:\\.\\]   [5]%B[C:\\.\\]%X", ""},
    {0, "", "/y /a /DuskHawk /p:windows", ERROR_ACCESS_DENIED, "%D|Cleaning  windows\\%A[windows\\]   [8]%B[windows\\]%X", "", "C:\\"},
    {0, "", "/y /a /DuskHawk /p:Z:\\drive_c\\windows\\system32", ERROR_ACCESS_DENIED,
     "%D|Cleaning  Z:\\drive_c\\windows\\system32\\%A[Z:\\drive_c\\windows\\system32\\]   [28]%B[Z:\\drive_c\\windows\\system32\\]%X", ""},
    {0, "", "/y /a /p:C:\\.", ERROR_ACCESS_DENIED,
     "|Cleaning  C:\\.\\|Deleting all files from this folder is not allowed: [C:\\.\\]%R", ""},
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string expand(std::string text, const std::string& folder, DWORD code = 0)
{
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    wsprintfA(date, "%u/%02u/%02u", today.wYear, today.wMonth, today.wDay);
    const char* const marks[][2] = {
        {"%X", "||Process is exiting with return code %c.%R"},
        {"%R", "||%r|"},
        {"%A", "||CurrentFolder: "},
        {"%B", "||Deleting all files from this folder is not allowed: "},
        {"|", "\n"},
        {"%D", "\n WINDIR: [C:\\windows\\]\n SYSDIR: [C:\\windows\\system32\\]\n"},
        {"%t", "\t"}, {"%d", date}, {"%h", "\x95\x5c"}, {"%T", folder.c_str()},
    };
    for (const auto& mark : marks)
        text = replaceAll(text, mark[0], mark[1]);
    return replaceAll(replaceAll(text, "%c", std::to_string(code)), "%r", systemText(code));
}

std::vector<std::string> split(const std::string& text, const std::string& separator, bool sorted = false)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + separator.size())
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    if (sorted)
        std::sort(parts.begin(), parts.end());
    return parts;
}

struct Entry {
    std::string path;
    char age;  // '-', '@' or '#' as in the tree, 0 for now
    bool readOnly, held;
    std::string linkTarget;
};

// Local midnight six days back, moved by minutes, as a UTC stamp.
FILETIME sixDaysBack(LONGLONG minutes)
{
    SYSTEMTIME today;
    GetLocalTime(&today);
    today.wHour = today.wMinute = today.wSecond = today.wMilliseconds = 0;
    FILETIME local, stamp;
    SystemTimeToFileTime(&today, &local);
    ULARGE_INTEGER value = {{local.dwLowDateTime, local.dwHighDateTime}};
    value.QuadPart += (minutes - 6 * 24 * 60) * 600000000LL;
    local = FILETIME{value.LowPart, value.HighPart};
    LocalFileTimeToFileTime(&local, &stamp);
    return stamp;
}

void makeAged(const std::string& path, char age)
{
    if (age == '-')
        return makeOld(path);
    FILETIME stamp = sixDaysBack(age == '@' ? 1 : -1);
    HANDLE entry = CreateFileA(("\\\\?\\" + path).c_str(), FILE_WRITE_ATTRIBUTES, 7, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_TRUE(SetFileTime(entry, &stamp, &stamp, &stamp)) << "cannot age " << path;
    CloseHandle(entry);
}

std::vector<Entry> makeTree(const std::string& tree, const std::string& folder, std::vector<HANDLE>* held)
{
    std::vector<Entry> entries;
    for (std::string item : split(expand(tree, folder), "\n")) {
        Entry entry = {};
        for (; !item.empty() && std::string("-@#^!").find(item[0]) != std::string::npos; item.erase(0, 1)) {
            if (item[0] == '^' || item[0] == '!')
                (item[0] == '^' ? entry.readOnly : entry.held) = true;
            else
                entry.age = item[0];
        }
        if (item.find('=') != std::string::npos)
            entry.linkTarget = folder + "\\" + item.substr(item.find('=') + 1), item.erase(item.find('='));
        if (item.empty())
            continue;
        entry.path = folder + "\\" + item;
        if (!entry.linkTarget.empty())
            runUnixCommand("ln -s '" + unixPathOf(entry.linkTarget) + "' '" + unixPathOf(entry.path) + "'");
        else if (item.back() == '\\')
            makeFolder(entry.path);
        else
            makeFile(entry.path);
        if (entry.held)
            held->push_back(CreateFileA(("\\\\?\\" + entry.path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (entry.readOnly)
            SetFileAttributesA(("\\\\?\\" + entry.path).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        entries.push_back(entry);
    }
    // Times last, children before their folders: making an entry touches its folder.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->age != 0)
            makeAged(entry->path, entry->age);
    }
    return entries;
}

// The cases run in order and stop at the first failure, so that a real run
// aimed at a folder that matters comes only after its dry run has passed.
TEST(Sweep, RunsEachScenario)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wHour == 23 && now.wMinute >= 59)
        Sleep(90000);  // the dated cases must not straddle midnight
    for (const Scenario& scenario : scenarios) {
        size_t index = &scenario - scenarios;
        if (scenario.codePage != 0 && scenario.codePage != GetACP())
            continue;
        SCOPED_TRACE("scenario " + std::to_string(index) + ": " + scenario.arguments + " on " + scenario.tree);
        // T:\sweep_tests\NN: the same length for every case, as the traced lengths assume.
        std::string folder = "T:\\sweep_tests\\" + std::to_string(index / 10) + std::to_string(index % 10);
        makeFolder(folder);
        std::vector<HANDLE> held;
        std::vector<Entry> tree = makeTree(scenario.tree, folder, &held);
        std::string from = scenario.currentFolder;
        DustrelRun run = runDustrel(expand(scenario.arguments, folder),
                                    from.empty() || from[1] == ':' ? from : folder + "\\" + from);
        for (HANDLE handle : held)
            CloseHandle(handle);

        EXPECT_EQ(run.exitCode, scenario.exitCode);
        std::string expected = crlf(expand(scenario.output, folder, scenario.exitCode));
        EXPECT_EQ(split(run.output, "\r\n", true), split(expected, "\r\n", true))
            << run.output;
        std::string kept = "\n" + expand(scenario.kept, folder) + "\n";
        for (const Entry& entry : tree) {
            std::string name = entry.path.substr(folder.size() + 1);
            bool readOnly = kept.find("\n^" + name + "\n") != std::string::npos;
            EXPECT_EQ(exists(entry.path), kept == "\n*\n" || readOnly || kept.find("\n" + name + "\n") != std::string::npos)
                << name;
            EXPECT_TRUE(!readOnly || (attributesOf(entry.path) & FILE_ATTRIBUTE_READONLY)) << name;
            if (entry.readOnly && entry.linkTarget.empty())
                SetFileAttributesA(("\\\\?\\" + entry.path).c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        if (HasFailure())
            break;
    }
}

} // namespace
