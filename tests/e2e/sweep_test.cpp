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
// "name=target" is a Unix link to an entry of the tree, "name&other" a
// second name (hard link) of the file other. %{XXXX} is the character
// U+XXXX. Hostile trees are made from the Unix side (UTF-8 names on disk),
// as another account could; their canary is victim\ beside the target t\:
// its entries always come through untouched, and so do the port files that
// COM1-9 and LPT1-9 lead to. A kept list "*-a|b" keeps all but a and b.
//
// A swap "folder:steps" puts ~a.tmp (sorted first, the trigger) and 300
// fillers into folder, a sub-folder entered after its own folder's few
// entries were listed; once the sweep has deleted the trigger, steps swap
// entries: "$command" from the Unix side (%U: the case's folder), or
// "from>to=code,..." through MoveFileA from a thread of this process,
// each expected to end with that code (0: moved; moves are undone after).
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
    const char* swap = nullptr;
};

const char* const sameDayTree = "-old.tmp|new.tmp|-keep.txt|~new\\|-~new\\x|-~old\\|-~old\\a|~old\\b";
const char* const sameDaySweep =
    "|Cleaning  %T\\|Deleting  %T\\old.tmp|SkipDate  %T\\new.tmp|Skipping  %T\\keep.txt|SkipDate  %T\\~new\\"
    "|Scanning  %T\\~old\\|Deleting  %T\\~old\\a|SkipDate  %T\\~old\\b|Removing  %T\\~old\\|NotEmpty  %T\\~old\\%R";
const char* const sameDayKept = "new.tmp|keep.txt|~new\\|~new\\x|~old\\|~old\\b";

// Names that the ANSI functions would read as other names: best-fit
// characters (code page 1252: U+FF3C '\', U+FF30 'P', U+FF41 'a'; 932:
// U+00A5 '\'), each exact in the other code page, and a device's
// superscript digit.
const char* const bestFitTree =
    "t\\|t\\~%{FF3C}..%{FF3C}..%{FF3C}victim\\|t\\~%{FF3C}..%{FF3C}\\|t\\~%{A5}..%{A5}..%{A5}victim\\|t\\keep.txt"
    "|t\\keepdir\\|t\\keepdir\\important.xls|t\\notes.tmpl|t\\NOTE~XCL.TM%{FF30}|t\\COM%{B9}.tmp|victim\\"
    "|victim\\a.tmp|^victim\\ro";
const char* const oldAliasTree = "t\\|-t\\~%{FF41}.tmp|t\\~a.tmp|victim\\|victim\\a.tmp";

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

// Trees that another account could make, each run whatever the others did. A name with no exact
// ANSI spelling, a device's name, or a control or reserved character in it is shown with '?' for
// each such character and never acted on.
const Scenario hostileScenarios[] = {
    {1252, bestFitTree, "/y /p:%T\\t", 123,
     "|Cleaning  %T\\t\\|Scanning  %T\\t\\~?..?..?victim\\ ** Failed, error 123 **"
     "|Scanning  %T\\t\\~?..?\\ ** Failed, error 123 **|Scanning  %T\\t\\~\xa5..\xa5..\xa5victim\\"
     "|Removing  %T\\t\\~\xa5..\xa5..\xa5victim\\|Skipping  %T\\t\\keep.txt|Skipping  %T\\t\\keepdir\\"
     "|Skipping  %T\\t\\notes.tmpl|Skipping  %T\\t\\NOTE~XCL.TM?|Deleting  %T\\t\\COM\xb9.tmp ** Failed, error 123 **%R",
     "*-t\\~%{A5}..%{A5}..%{A5}victim\\"},
    {932, bestFitTree, "/y /p:%T\\t", 123,
     "|Cleaning  %T\\t\\|Scanning  %T\\t\\~\x81_..\x81_..\x81_victim\\|Removing  %T\\t\\~\x81_..\x81_..\x81_victim\\"
     "|Scanning  %T\\t\\~\x81_..\x81_\\|Removing  %T\\t\\~\x81_..\x81_\\"
     "|Scanning  %T\\t\\~?..?..?victim\\ ** Failed, error 123 **|Skipping  %T\\t\\keep.txt|Skipping  %T\\t\\keepdir\\"
     "|Skipping  %T\\t\\notes.tmpl|Skipping  %T\\t\\NOTE~XCL.TM\x82o|Deleting  %T\\t\\COM?.tmp ** Failed, error 123 **%R",
     "*-t\\~%{FF3C}..%{FF3C}..%{FF3C}victim\\|t\\~%{FF3C}..%{FF3C}\\"},
    {1252, oldAliasTree, "/y /o /p:%T\\t", 123,
     "|Cleaning  %T\\t\\|Deleting  %T\\t\\~?.tmp ** Failed, error 123 **|SkipDate  %T\\t\\~a.tmp%R", "*"},
    {932, oldAliasTree, "/y /o /p:%T\\t", 0,
     "|Cleaning  %T\\t\\|Deleting  %T\\t\\~\x82\x81.tmp|SkipDate  %T\\t\\~a.tmp%R", "*-t\\~%{FF41}.tmp"},
    {0, "t\\|t\\COM1.tmp|t\\NUL.tmp|t\\aux.~x|t\\nul .tmp|t\\CONIN$.tmp|t\\con|t\\nul.tmp\\|t\\nul.tmp\\x|t\\~d\\"
        "|t\\~d\\LPT1.tmp|t\\~d\\y.tmp|victim\\|victim\\a.tmp", "/y /p:%T\\t", 123,
     "|Cleaning  %T\\t\\|Deleting  %T\\t\\COM1.tmp ** Failed, error 123 **|Deleting  %T\\t\\NUL.tmp ** Failed, error 123 **"
     "|Deleting  %T\\t\\aux.~x ** Failed, error 123 **|Deleting  %T\\t\\nul .tmp ** Failed, error 123 **"
     "|Deleting  %T\\t\\CONIN$.tmp ** Failed, error 123 **|Skipping  %T\\t\\con"
     "|Scanning  %T\\t\\nul.tmp\\ ** Failed, error 123 **|Scanning  %T\\t\\~d\\"
     "|Deleting  %T\\t\\~d\\LPT1.tmp ** Failed, error 123 **|Deleting  %T\\t\\~d\\y.tmp|Removing  %T\\t\\~d\\"
     "|NotEmpty  %T\\t\\~d\\%R", "*-t\\~d\\y.tmp"},
    {0, "t\\|t\\COM1.tmp|victim\\|victim\\a.tmp", "/y /DuskHawk /p:%T\\t", 123,
     "%D|Cleaning  %T\\t\\||CurrentFolder: [%T\\t\\]   [20]||[COM1.tmp]%t[.tmp]"
     "|Deleting  %T\\t\\COM1.tmp ** Failed, error 123 **  [28]%X", "*"},
    {0, "t\\|t\\a%{A}Deleting  T:%{5C}x%{5C}malware.exe|t\\~e%{1B}[2J.tmp|t\\~b%{5C}c.tmp|t\\~c:d.tmp|t\\~e*f\\"
        "|t\\~%{5C}..%{5C}..%{5C}victim\\|victim\\|victim\\a.tmp", "/y /p:%T\\t", 123,
     "|Cleaning  %T\\t\\|Skipping  %T\\t\\a?Deleting  T??x?malware.exe|Deleting  %T\\t\\~e?[2J.tmp ** Failed, error 123 **"
     "|Deleting  %T\\t\\~b?c.tmp ** Failed, error 123 **|Deleting  %T\\t\\~c?d.tmp ** Failed, error 123 **"
     "|Scanning  %T\\t\\~e?f\\ ** Failed, error 123 **|Scanning  %T\\t\\~?..?..?victim\\ ** Failed, error 123 **%R", "*"},
    // A read-only file with a second name keeps its attributes; its deletion fails as is.
    {0, "t\\|^t\\~h.tmp|victim\\|^victim\\h&t\\~h.tmp", "/y /p:%T\\t", ERROR_ACCESS_DENIED,
     "|Cleaning  %T\\t\\|Deleting  %T\\t\\~h.tmp ** Failed, error 5 **%R", "t\\|^t\\~h.tmp"},
    // Swaps after the listing: a read-only file and a folder for links (from the Unix side), a
    // folder for the canary (from a Wine process); and a folder being walked cannot be moved.
    {0, "t\\|t\\~m\\|^t\\~r.tmp|t\\~zz\\|t\\~zz\\x|victim\\|victim\\a.tmp|^victim\\ro", "/y /p:%T\\t", 1920,
     "|Cleaning  %T\\t\\|Scanning  %T\\t\\~m\\|Removing  %T\\t\\~m\\|Deleting  %T\\t\\~r.tmp ** Failed, error 1920 **"
     "|Scanning  %T\\t\\~zz\\ ** Failed, error 1920 **|Removing  %T\\t\\~zz\\ ** Failed, error 1920 **%R",
     "t\\|t\\~r.tmp|t\\~zz\\", "", "t\\~m:$mv '%U/t/~r.tmp' '%U/r'; ln -s '%U/victim/ro' '%U/t/~r.tmp'; mv '%U/t/~zz' '%U/zz'; ln -s '%U/victim' '%U/t/~zz'"},
    {0, "t\\|t\\~m\\|t\\~zz\\|t\\~zz\\x|victim\\|victim\\a.tmp|^victim\\ro", "/y /p:%T\\t", 1920,
     "|Cleaning  %T\\t\\|Scanning  %T\\t\\~m\\|Removing  %T\\t\\~m\\|Scanning  %T\\t\\~zz\\ ** Failed, error 1920 **"
     "|Removing  %T\\t\\~zz\\ ** Failed, error 1920 **%R", "t\\|t\\~zz\\|t\\~zz\\x", "", "t\\~m:t\\~zz>zz=0,victim>t\\~zz=0"},
    {0, "t\\|t\\~zz\\|victim\\|victim\\a.tmp", "/y /p:%T\\t", 0,
     "|Cleaning  %T\\t\\|Scanning  %T\\t\\~zz\\|Removing  %T\\t\\~zz\\%R", "t\\", "", "t\\~zz:t\\~zz>zz=32,t>tt=32"},
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
    std::string name;      // as written in the tree, relative to the case's folder
    std::wstring folder, leaf;  // the entry's folder and name, each %{XXXX} as its character
    char age;  // '-', '@' or '#' as in the tree, 0 for now
    bool readOnly, held;
    std::wstring path() const { return L"\\\\?\\" + folder + L"\\" + leaf; }
};

// The markup of a path as UTF-16: %{XXXX} is U+XXXX, the rest ANSI.
std::wstring wide(const std::string& markup)
{
    std::wstring text;
    for (size_t at = 0; at < markup.size();) {
        size_t mark = markup.find("%{", at);
        std::string ansi = markup.substr(at, mark == std::string::npos ? std::string::npos : mark - at);
        std::wstring part(ansi.size(), L'\0');
        part.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &part[0],
                                        static_cast<int>(part.size())));
        text += part;
        if (mark == std::string::npos)
            break;
        size_t end = markup.find('}', mark);
        text += static_cast<wchar_t>(std::stoul(markup.substr(mark + 2, end - mark - 2), nullptr, 16));
        at = end + 1;
    }
    return text;
}

// The names in a relative path; a double-byte character's trail byte 0x5C is no separator.
std::vector<std::string> components(const std::string& path)
{
    std::vector<std::string> names(1);
    for (size_t at = 0; at < path.size(); ++at) {
        if (path[at] == '\\')
            names.emplace_back();
        else if (IsDBCSLeadByte(static_cast<BYTE>(path[at])) && at + 1 < path.size())
            names.back() += path.substr(at++, 2);
        else
            names.back() += path[at];
    }
    return names;
}

// A relative path as a shell word (UTF-8, every byte but a few as an octal escape), for "set -f; IFS=".
std::string shellWord(const std::string& markup)
{
    std::string word = "$(printf '";
    for (const std::string& part : components(markup)) {
        std::wstring name = wide(part);
        std::string bytes(name.size() * 3, '\0');
        bytes.resize(WideCharToMultiByte(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), &bytes[0],
                                         static_cast<int>(bytes.size()), nullptr, nullptr));
        for (unsigned char c : bytes) {
            const char octal[] = {'\\', char('0' + (c >> 6)), char('0' + (c >> 3 & 7)), char('0' + (c & 7)), '\0'};
            word += isalnum(c) || c == '.' || c == '~' || c == '_' ? std::string(1, static_cast<char>(c)) : octal;
        }
        word += "/";
    }
    return word.substr(0, word.size() - 1) + "')";
}

// Attributes of an entry as its folder's listing shows them: the only way to
// see a name that no path can reach.
DWORD listedAttributes(const Entry& entry)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((L"\\\\?\\" + entry.folder + L"\\*").c_str(), &found);
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    while (search != INVALID_HANDLE_VALUE && attributes == INVALID_FILE_ATTRIBUTES) {
        if (entry.leaf == found.cFileName)
            attributes = found.dwFileAttributes;
        if (!FindNextFileW(search, &found))
            break;
    }
    FindClose(search);
    return attributes;
}

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

void makeAged(const std::wstring& path, char age)
{
    if (age == '-')
        return makeOld(path);
    FILETIME stamp = sixDaysBack(age == '@' ? 1 : -1);
    HANDLE entry = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 7, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_TRUE(SetFileTime(entry, &stamp, &stamp, &stamp)) << "cannot age an entry: " << GetLastError();
    CloseHandle(entry);
}

std::vector<Entry> makeTree(const std::string& tree, const std::string& folder, bool fromUnix,
                            std::vector<HANDLE>* held)
{
    std::vector<Entry> entries;
    std::string script;  // what the Unix side makes, in the tree's order
    for (std::string item : split(expand(tree, folder), "\n")) {
        Entry entry = {};
        for (; !item.empty() && std::string("-@#^!").find(item[0]) != std::string::npos; item.erase(0, 1)) {
            if (item[0] == '^' || item[0] == '!')
                (item[0] == '^' ? entry.readOnly : entry.held) = true;
            else
                entry.age = item[0];
        }
        size_t link = item.find_first_of("=&");
        std::string target = link == std::string::npos ? "" : item.substr(link + 1);
        char kind = link == std::string::npos ? ' ' : item[link];
        item = item.substr(0, link);
        if (item.empty())
            continue;
        entry.name = item;
        std::vector<std::string> names = components(item);
        if (names.back().empty())
            names.pop_back();
        entry.leaf = wide(names.back());
        entry.folder = wide(folder);
        for (names.pop_back(); !names.empty(); names.erase(names.begin()))
            entry.folder += L"\\" + wide(names.front());
        if (kind == '=')
            script += " && ln -s '" + unixPathOf(folder + "\\" + target) + "' " + shellWord(item);
        else if (kind == '&')
            script += " && ln " + shellWord(target) + " " + shellWord(item);
        else if (fromUnix)
            script += (item.back() == '\\' ? " && mkdir " : " && touch ") + shellWord(item);
        else if (item.back() == '\\')
            makeFolder(folder + "\\" + item);
        else
            makeFile(folder + "\\" + item);
        entries.push_back(entry);
    }
    if (!script.empty())
        runUnixCommand("set -f; IFS=; cd '" + unixPathOf(folder) + "'" + script);
    for (const Entry& entry : entries) {
        EXPECT_NE(listedAttributes(entry), INVALID_FILE_ATTRIBUTES) << "not made: " << entry.name;
        if (entry.held)
            held->push_back(CreateFileW(entry.path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (entry.readOnly)
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    }
    // Times last, children before their folders: making an entry touches its folder.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (entry->age != 0)
            makeAged(entry->path(), entry->age);
    }
    return entries;
}

// Identifies the file a path opens: the same for a device name and its port file.
std::string fileId(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), 0, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return known ? std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
                       std::to_string(info.nFileIndexLow) : "none";
}

const char* const ports[] = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9",
                             "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

// Moves entries through MoveFileA once the trigger is gone, as another Wine process could.
struct Mover {
    std::string trigger, steps, folder;
    std::vector<std::pair<std::string, std::string>> moved;
    std::vector<DWORD> codes;
};

DWORD WINAPI moveAfterTrigger(void* parameter)
{
    Mover* mover = static_cast<Mover*>(parameter);
    for (int tries = 0; tries < 2000000 && exists(mover->trigger); ++tries) {
    }
    for (const std::string& step : split(mover->steps, ",")) {
        std::string from = mover->folder + "\\" + step.substr(0, step.find('>'));
        std::string to = mover->folder + "\\" + step.substr(step.find('>') + 1, step.find('=') - step.find('>') - 1);
        bool moved = MoveFileA(from.c_str(), to.c_str());
        mover->codes.push_back(moved ? 0 : GetLastError());
        if (moved)
            mover->moved.emplace_back(from, to);
    }
    return 0;
}

void runScenario(const Scenario& scenario, const std::string& folder, bool fromUnix)
{
    SCOPED_TRACE(std::string(scenario.arguments) + " on " + scenario.tree);
    makeFolder(folder);
    std::string tree = scenario.tree;
    std::string output = scenario.output;
    std::string swap = scenario.swap ? scenario.swap : "";
    std::string swapFolder = swap.substr(0, swap.find(':'));
    std::string steps = swap.substr(swap.find(':') + 1);
    for (int filler = -1; !swap.empty() && filler < 300; ++filler) {
        char name[16];
        wsprintfA(name, filler < 0 ? "~a.tmp" : "~b%03d.tmp", filler);
        tree += "|" + swapFolder + "\\" + name;
        output += "|Deleting  %T\\" + swapFolder + "\\" + name;
    }
    std::vector<HANDLE> held;
    std::vector<Entry> entries = makeTree(tree, folder, fromUnix, &held);
    std::string unixSwap;
    Mover mover = {folder + "\\" + swapFolder + "\\~a.tmp", steps, folder, {}, {}};
    HANDLE moving = nullptr;
    if (steps[0] == '$')
        unixSwap = startUnixCommand("n=0; while [ -e '" + unixPathOf(mover.trigger) + "' ] && [ $n -lt 2000000 ]; "
                                    "do n=$((n+1)); done; [ -e '" + unixPathOf(mover.trigger) + "' ] || { " +
                                    replaceAll(steps.substr(1), "%U", unixPathOf(folder)) + "; }");
    else if (!swap.empty())
        moving = CreateThread(nullptr, 0, moveAfterTrigger, &mover, 0, nullptr);
    std::string from = scenario.currentFolder;
    DustrelRun run = runDustrel(expand(scenario.arguments, folder),
                                from.empty() || from[1] == ':' ? from : folder + "\\" + from);
    for (HANDLE handle : held)
        CloseHandle(handle);
    if (!unixSwap.empty())
        waitUnixCommand(unixSwap);
    if (moving != nullptr) {
        WaitForSingleObject(moving, INFINITE);
        CloseHandle(moving);
        std::vector<DWORD> expectedCodes;
        for (const std::string& step : split(steps, ","))
            expectedCodes.push_back(std::stoul(step.substr(step.find('=') + 1)));
        EXPECT_EQ(mover.codes, expectedCodes) << "the moves once the trigger was gone";
        for (auto move = mover.moved.rbegin(); move != mover.moved.rend(); ++move)
            MoveFileA(move->second.c_str(), move->first.c_str());
    }

    EXPECT_EQ(run.exitCode, scenario.exitCode);
    std::string expected = crlf(expand(output, folder, scenario.exitCode));
    EXPECT_EQ(split(run.output, "\r\n", true), split(expected, "\r\n", true))
        << run.output;
    std::string kept = expand(scenario.kept, folder);
    bool allBut = kept.compare(0, 2, "*-") == 0;
    kept = "\n" + (allBut ? kept.substr(2) : kept) + "\n";
    for (const Entry& entry : entries) {
        bool canary = entry.name.compare(0, 7, "victim\\") == 0;
        bool readOnly = kept.find("\n^" + entry.name + "\n") != std::string::npos || (canary && entry.readOnly);
        bool listed = kept == "\n*\n" || readOnly || kept.find("\n" + entry.name + "\n") != std::string::npos;
        DWORD attributes = listedAttributes(entry);
        EXPECT_EQ(attributes != INVALID_FILE_ATTRIBUTES, canary || listed != allBut) << entry.name;
        EXPECT_TRUE(!readOnly || (attributes & FILE_ATTRIBUTE_READONLY)) << entry.name;
    }
    for (const Entry& entry : entries) {
        if (entry.readOnly)  // after every check: a second name shares the bit
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    for (const char* port : ports)
        EXPECT_TRUE(exists("T:\\ports\\" + std::string(port))) << port;
}

// T:\sweep_tests\NN: the same length for every case, as the traced lengths assume.
std::string caseFolder(size_t number)
{
    return "T:\\sweep_tests\\" + std::to_string(number / 10) + std::to_string(number % 10);
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
        SCOPED_TRACE("scenario " + std::to_string(index));
        runScenario(scenario, caseFolder(index), false);
        if (HasFailure())
            break;
    }
}

TEST(Sweep, StaysInsideItsFolder)
{
    // A device name that reaches its device finds a port file of the scratch folder, never /dev.
    for (const char* port : ports)
        ASSERT_EQ(fileId(std::string("\\\\.\\") + port), fileId("T:\\ports\\" + std::string(port))) << port;
    for (const Scenario& scenario : hostileScenarios) {
        size_t index = &scenario - hostileScenarios;
        if (scenario.codePage != 0 && scenario.codePage != GetACP())
            continue;
        SCOPED_TRACE("hostile scenario " + std::to_string(index));
        runScenario(scenario, caseFolder(50 + index), true);
    }
}

} // namespace
