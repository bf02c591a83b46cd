// The exe on real folder trees: each case builds a tree from the Unix side
// (UTF-8 names on disk, as another account could), runs the exe with an
// exact command line, and checks the exit code, every line written (sorted:
// the listing order is the file system's) and what is left on disk.
//
// '|' separates lines, and entries of a tree. In trees '/' separates names
// and ends a folder ('\' is part of a name); a leading '-' makes an entry
// old, '@' dated 00:01 six days back (the oldest day /D:7 spares), '#' a
// minute before that midnight, '^' read-only (and it stays so while it is
// there, with the hidden bit it gets too), '!' held open with share mode 0,
// '$' owned by another account, '*' open to every account for writing, and
// "<N>" first a file of N bytes; "name=target" is a Unix link to an entry,
// "name&other" a second name of the file other. Kept: the entries
// left, "*" all, "*-a|b" all but a and b. victim/ is a canary beside the
// target t/: it always comes through untouched, and so do the port files
// that COM1-9 and LPT1-9 lead to.
//
// In lines, a verb and one blank ("Deleting a.tmp") stand for the verb, two
// blanks and the case's folder ("Deleting  T:\sweep_tests\00\a.tmp"), and
// " !N" for " ** Failed, error N **". %{XXXX} is the character U+XXXX, %T
// the case's folder, %h a double-byte character with the trail byte 0x5C,
// %t a tab, %d today's date, %O the date lines of an old entry, %D the
// diagnostic folder lines, %R the final report for the exit code, %X the
// diagnostic line before it, %A and %B the start of a folder header and of
// the /A refusal.
//
// A swap "folder:steps" puts ~a.tmp (sorted first, the trigger) and 300
// fillers into folder; once the sweep has deleted the trigger, the steps
// run: "$command" from the Unix side (%U: the case's folder), or
// "from>to=code,..." through MoveFileA from this process, each expected to
// end with that code (0: moved; moves are undone after), or "leave": this
// process holds folder as its current folder until then. '+' holds a
// folder open with every sharing; after the run the holder puts a file into
// it and lets go.
//
// A case with a first command runs it before its own on the same tree: the
// two write the same lines (but for NotEmpty and the summary, which a list
// cannot know), and no entry left has another last-access date than before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace {

struct Scenario {
    unsigned codePage;  // 0: any
    const char* tree;
    const char* arguments;
    DWORD exitCode;
    const char* output;
    const char* kept;
    const char* currentFolder = "";  // relative to the case's folder, or absolute
    const char* swap = nullptr;
    const char* firstArguments = nullptr;
};

#define VERBS "Cleaning|Deleting|Skipping|Scanning|Removing|NotEmpty|SkipDate"
#define EVERYTHING_TREE "a.tmp|keep.txt|keep/|keep/z.tmp|~d/|~d/x.txt|~d/sub/|~d/sub/y"
#define EVERYTHING_SWEEP                                                                                            \
    "|Cleaning |Deleting a.tmp|Skipping keep.txt|Skipping keep\\|Scanning ~d\\|Deleting ~d\\x.txt|Scanning ~d\\sub\\" \
    "|Deleting ~d\\sub\\y|Removing ~d\\sub\\|Removing ~d\\%R"
#define SAME_DAY_TREE "<1000>-old.tmp|<200>new.tmp|<30>-keep.txt|~new/|<5000>-~new/x|-~old/|<4>-~old/a|~old/b"
#define SAME_DAY_SWEEP                                                                                              \
    "|Cleaning |Deleting old.tmp|SkipDate new.tmp|Skipping keep.txt|SkipDate ~new\\|Scanning ~old\\"               \
    "|Deleting ~old\\a|SkipDate ~old\\b|Removing ~old\\|NotEmpty ~old\\%R", "new.tmp|keep.txt|~new/|~new/x|~old/|~old/b"

#define DATED_TREE "-old.tmp|-keep.txt|-~old/|-~old/a|~old/new|-~old/sub/|-~old/sub/b"
#define DATED_SWEEP                                                                                                 \
    "|Cleaning |Deleting old.tmp|Skipping keep.txt|Scanning ~old\\|Deleting ~old\\a|SkipDate ~old\\new"         \
    "|Scanning ~old\\sub\\|Deleting ~old\\sub\\b|Removing ~old\\sub\\|Removing ~old\\"

// Trees another account could make. Every name goes by its listed name, so a name that no ANSI
// spelling reaches (best-fit look-alikes: U+FF3C '\', U+FF30 'P', U+FF41 'a' in 1252, U+00A5 '\'
// in 932, each exact in the other; Cyrillic and CJK in 1252, an emoji in both), a device's name or
// a control character is judged and acted on like any other, and shown with '?' for each such
// character; a device's name never reaches the device. Only a path character keeps a name out of
// reach (123); a C0 control character too, as the platform answers 123 to it. A read-only file with
// a second name keeps its attributes.
#define HOSTILE_TREE                                                                                                \
    "t/|t/~%{FF3C}..%{FF3C}..%{FF3C}victim/|t/~%{FF3C}..%{FF3C}/|t/~%{A5}..%{A5}..%{A5}victim/|t/keep.txt"         \
    "|t/keepdir/|t/keepdir/important.xls|t/notes.tmpl|t/NOTE~XCL.TM%{FF30}|t/COM%{B9}.tmp|t/COM1.tmp|t/NUL.tmp"     \
    "|t/aux.~x|t/nul .tmp|t/CONIN$.tmp|t/con|t/nul.tmp/|t/nul.tmp/x|t/~d/|t/~d/LPT1.tmp|t/~d/y.tmp|t/COM10.tmp"    \
    "|t/nulx.tmp|t/CONOUT.tmp|t/a%{A}Deleting  T:\\x\\malware.exe|t/~e%{1B}[2J.tmp|t/~b\\c.tmp|t/~c:d.tmp|t/~e*f/" \
    "|t/~\\..\\..\\victim/|t/~%{D83D}%{DE00}.tmp|t/~s/|^t/~s/~h.tmp|victim/|victim/a.tmp|^victim/ro"              \
    "|^victim/h&t/~s/~h.tmp|t/~%{9D}0;pwned%{9C}.tmp|t/~%{8D}.tmp|t/~%{7F}x.tmp|t/~$%{41E}%{442}%{447}%{451}%{442}.docx" \
    "|t/%{41E}%{442}%{447}%{451}%{442}.docx|t/%{8868}.tmp|t/%{8868}.txt|t/%{D83D}%{DE42}.txt|t/%{9B}31m.txt|t/a:b.tmp"
#define HOSTILE_LINES                                                                                               \
    "|Cleaning t\\|Skipping t\\keep.txt|Skipping t\\keepdir\\|Skipping t\\notes.tmpl|Deleting t\\COM1.tmp"         \
    "|Deleting t\\NUL.tmp|Deleting t\\aux.~x|Deleting t\\nul .tmp|Deleting t\\CONIN$.tmp|Skipping t\\con"          \
    "|Scanning t\\nul.tmp\\|Deleting t\\nul.tmp\\x|Removing t\\nul.tmp\\|Scanning t\\~d\\|Deleting t\\~d\\LPT1.tmp" \
    "|Deleting t\\~d\\y.tmp|Removing t\\~d\\|Deleting t\\COM10.tmp|Deleting t\\nulx.tmp|Deleting t\\CONOUT.tmp"    \
    "|Skipping t\\a?Deleting  T??x?malware.exe|Deleting t\\~e?[2J.tmp !123|Deleting t\\~b?c.tmp !123"             \
    "|Deleting t\\~c?d.tmp !123|Scanning t\\~e?f\\ !123|Scanning t\\~?..?..?victim\\ !123|Deleting t\\~?.tmp"      \
    "|Scanning t\\~s\\|Deleting t\\~s\\~h.tmp !5|Removing t\\~s\\|NotEmpty t\\~s\\|Deleting t\\~?0;pwned?.tmp"    \
    "|Deleting t\\~?.tmp|Deleting t\\~?x.tmp|Skipping t\\?.txt|Skipping t\\?31m.txt|Deleting t\\a?b.tmp !123"
#define HOSTILE_KEPT                                                                                                \
    "t/|t/keep.txt|t/keepdir/|t/keepdir/important.xls|t/notes.tmpl|t/NOTE~XCL.TM%{FF30}|t/con|t/~e%{1B}[2J.tmp"   \
    "|t/a%{A}Deleting  T:\\x\\malware.exe|t/~b\\c.tmp|t/~c:d.tmp|t/~e*f/|t/~\\..\\..\\victim/|t/~s/|t/~s/~h.tmp" \
    "|t/%{41E}%{442}%{447}%{451}%{442}.docx|t/%{8868}.txt|t/%{D83D}%{DE42}.txt|t/%{9B}31m.txt|t/a:b.tmp"
// Two pairs of entries swapped, each pair at once (renameat2 with RENAME_EXCHANGE), so that the
// sweep never finds the name missing in between.
#define EXCHANGE_TWICE "perl -e 'for (1, 2) { syscall(316, -100, shift, -100, shift, 2) == 0 or die }'"
#define OLD_ALIAS_TREE "t/|-t/~%{FF41}.tmp|t/~a.tmp|victim/|victim/a.tmp"

const Scenario scenarios[] = {
    // A tree with everything a sweep meets: listed (without /Y, and no box is shown), then cleaned.
    {0, EVERYTHING_TREE, "/l /p:%T", 0, EVERYTHING_SWEEP "Summary: 3 files to delete, 2 folders to remove, "
     "2 skipped, 0 spared, 0 failed, 0 bytes to free.|", "*"},
    {0, EVERYTHING_TREE, "/y /p:%T", 0, EVERYTHING_SWEEP, "keep.txt|keep/|keep/z.tmp"},
    // A list knows what stays without acting: a folder that keeps something is not to be removed, and
    // only the files to delete count as bytes to free.
    {0, SAME_DAY_TREE, "-L /o /p:%T /log:%T\\~old\\b", 0, "|Cleaning |Deleting old.tmp|SkipDate new.tmp"
     "|Skipping keep.txt|SkipDate ~new\\|Scanning ~old\\|Deleting ~old\\a|Skipping ~old\\b|Removing ~old\\%R"
     "Summary: 2 files to delete, 0 folders to remove, 2 skipped, 2 spared, 0 failed, 1004 bytes to free.|", "*"},
    // The log is never touched, at any depth, /A or not.
    {0, "~logs/|~logs/run.log|other.txt", "/y /a /p:%T /log:%T\\~logs\\run.log", 0,
     "|Cleaning |Deleting other.txt|Scanning ~logs\\|Skipping ~logs\\run.log|Removing ~logs\\|NotEmpty ~logs\\%R",
     "~logs/|~logs/run.log"},
    // The diagnostic switch: a dry run with folder headers, name and date traces, lengths; /Q keeps only those.
    {0, "-a.tmp|-keep|-~d/|-~d/x", "/y /o /DuskHawk /p:%T", 0,
     "%D|Cleaning ||CurrentFolder: [%T\\]   [18]||[a.tmp]%t[.tmp]%O|Deleting a.tmp  [23]|[keep]%t[]|Skipping keep  [22]"
     "|[~d]%t[]%O|Scanning ~d\\||CurrentFolder: [%T\\~d\\]   [21]|%O|Deleting ~d\\x  [22]|Removing ~d\\  [20]%X", "*"},
    {0, "-a.tmp|-keep|-~d/|-~d/x", "/y /q /o /DuskHawk /p:%T", 0,
     "||CurrentFolder: [%T\\]   [18]||[a.tmp]%t[.tmp]  [23]|[keep]%t[]  [22]|[~d]%t[]||CurrentFolder: [%T\\~d\\]   [21]"
     "|  [22]  [20]", "*"},
    {0, "a.tmp", "/y /q /p:%T", 0, "", ""},
    {0, "", "/y /p:%T\\missing\\\\", ERROR_PATH_NOT_FOUND, "|Cleaning missing\\%R", ""},
    {0, "", "/y /a /p:%T\\missing", ERROR_PATH_NOT_FOUND, "|Cleaning missing\\%R", ""},
    // Faults for real: a file in use in a folder (the read-only and hidden bits of both come back;
    // below the top level, its code does not reach the exit code), a folder in use, a read-only file.
    {0, "^~d/|!^~d/busy", "/y /p:%T", 0, "|Cleaning |Scanning ~d\\|Deleting ~d\\busy !32|Removing ~d\\|NotEmpty ~d\\%R", "*"},
    {0, "^gone.tmp|~cwd/", "/y /p:%T", ERROR_SHARING_VIOLATION,
     "|Cleaning |Deleting gone.tmp|Scanning ~cwd\\|Removing ~cwd\\ !32%R", "~cwd/", "~cwd"},
    // A link is never entered, and removed only through a handle that is the link itself: under
    // Wine every handle reaches through a link to its target, so the link stays, reported.
    {0, "t/|t/~l=victim|victim/|victim/p", "/y /p:%T\\t", 1920, "|Cleaning t\\|Removing t\\~l\\ !1920%R", "*"},
    // Code page 932: a trail byte 0x5C is no backslash, in names and in the folder named.
    {932, "%h/|%h/~%h/|%h/~%h/%h/|%h/~%h/%h/a|%h/c.tmp|d.tmp", "/y /p:%T\\%h", 0, "|Cleaning %h\\|Scanning %h\\~%h\\"
     "|Scanning %h\\~%h\\%h\\|Deleting %h\\~%h\\%h\\a|Removing %h\\~%h\\%h\\|Removing %h\\~%h\\|Deleting %h\\c.tmp%R", "%h/|d.tmp"},
    // /O spares what was touched today, and does not enter a folder it spares; /D:1 spares the same.
    {0, SAME_DAY_TREE, "/y /o /p:%T", 0, SAME_DAY_SWEEP},
    {0, SAME_DAY_TREE, "/y /D:1 /p:%T", 0, SAME_DAY_SWEEP},
    // /D:n from local midnight n - 1 days back, the longest period given; its trace names that day.
    {0, "@in.tmp|#out.tmp|@~in/|-~in/x|#~out/|#~out/a|@~out/b", "/y /D:7 -d:2 /o /p:%T", 0,
     "|Cleaning |SkipDate in.tmp|Deleting out.tmp|SkipDate ~in\\|Scanning ~out\\|Deleting ~out\\a|SkipDate ~out\\b"
     "|Removing ~out\\|NotEmpty ~out\\%R", "in.tmp|~in/|~in/x|~out/|~out/b"},
    // Listing leaves every last-access date as it was: a list changes nothing that the next run judges.
    {0, DATED_TREE, "/l /d:7 /p:%T", 0, DATED_SWEEP "%R"
     "Summary: 3 files to delete, 1 folder to remove, 1 skipped, 1 spared, 0 failed, 0 bytes to free.|", "*", "", nullptr,
     "/l /d:7 /p:%T"},
    {0, DATED_TREE, "/y /d:7 /p:%T", 0, DATED_SWEEP "|NotEmpty ~old\\%R", "keep.txt|~old/|~old/new", "", nullptr,
     "/l /d:7 /p:%T"},
    {0, "-a.tmp", "/y /d:1 /DuskHawk /p:%T", 0,
     "%D|Cleaning ||CurrentFolder: [%T\\]   [18]||[a.tmp]%t[.tmp]%O|Oldest Spared: %d|Deleting a.tmp  [23]%X", "*"},
    // A bad /D value ends the run before the box (none is answered here) and before anything is touched.
    {0, "a.tmp|b/", "/a /D:7x /p:%T", 87, "|The number of days in \"/D:7x\" must be a whole number from 1 to 3650.||%r", "*"},
    // A name ending in a dot or blank goes by its own name, never by the one Win32 would strip it to:
    // here that one is spared.
    {0, "-~x.|~x|-^~y |~y|keep.|keep |-~d/|-~d/~x|-~d/~x.|-~d/~y |-~d./|-~d./f", "/y /o /p:%T", 0,
     "|Cleaning |Deleting ~x.|SkipDate ~x|Deleting ~y |SkipDate ~y|Skipping keep.|Skipping keep |Scanning ~d\\"
     "|Deleting ~d\\~x|Deleting ~d\\~x.|Deleting ~d\\~y |Removing ~d\\|Scanning ~d.\\|Deleting ~d.\\f|Removing ~d.\\%R",
     "~x|~y|keep.|keep "},
    // /A: every name goes, with no name trace; a one-letter sub-folder of a one-letter folder is an internal error.
    {0, "readme|^autoexec.bat|sub/|sub/x", "/y /a /p:%T", 0,
     "|Cleaning |Deleting readme|Deleting autoexec.bat|Scanning sub\\|Deleting sub\\x|Removing sub\\%R", ""},
    {0, "readme", "/y /a /DuskHawk /p:%T", 0, "%D|Cleaning ||CurrentFolder: [%T\\]   [18]||Deleting readme  [24]%X", "*"},
    {0, "a/|a/b/|a/b/x", "/y /a /p:a", ERROR_INVALID_DATA,
     "|Cleaning  a\\|Scanning  a\\b\\|Failed with an internal error.  Invalid path: [a\\b]%R", "*", "."},
    // /A refuses a root, and the System folder by another drive (dry runs only); the unit tests try more names.
    {0, "", "/y /a /DuskHawk /p:C:\\.", 5, "%D|Cleaning  C:\\.\\%A[C:\\.\\]   [5]|%B[C:\\.\\]%X", ""},
    {0, "", "/a /l /p:C:\\.", 5, "|Cleaning  C:\\.\\%B[C:\\.\\]%R"
     "Summary: 0 files to delete, 0 folders to remove, 0 skipped, 0 spared, 1 failed (5), 0 bytes to free.|", ""},
    {0, "", "/y /a /DuskHawk /p:Z:\\drive_c\\windows\\system32", 5, "%D|Cleaning  Z:\\drive_c\\windows\\system32\\"
     "%A[Z:\\drive_c\\windows\\system32\\]   [28]|%B[Z:\\drive_c\\windows\\system32\\]%X", ""},
    // Hostile trees.
    {1252, HOSTILE_TREE, "/y /p:%T\\t", 123,
     HOSTILE_LINES "|Scanning t\\~?..?..?victim\\|Removing t\\~?..?..?victim\\|Scanning t\\~?..?\\|Removing t\\~?..?\\"
     "|Scanning t\\~\xa5..\xa5..\xa5victim\\|Removing t\\~\xa5..\xa5..\xa5victim\\|Skipping t\\NOTE~XCL.TM?"
     "|Deleting t\\COM\xb9.tmp|Deleting t\\~$?????.docx|Skipping t\\?????.docx|Deleting t\\?.tmp|Skipping t\\?.txt%R",
     HOSTILE_KEPT},
    {932, HOSTILE_TREE, "/y /p:%T\\t", 123,
     HOSTILE_LINES "|Scanning t\\~\x81_..\x81_..\x81_victim\\|Removing t\\~\x81_..\x81_..\x81_victim\\|Scanning t\\~\x81_..\x81_\\"
     "|Removing t\\~\x81_..\x81_\\|Scanning t\\~?..?..?victim\\|Removing t\\~?..?..?victim\\|Skipping t\\NOTE~XCL.TM\x82o"
     "|Deleting t\\COM?.tmp|Deleting t\\~$\x84O\x84\x84\x84\x89\x84v\x84\x84.docx|Skipping t\\\x84O\x84\x84\x84\x89\x84v\x84\x84.docx"
     "|Deleting t\\%h.tmp|Skipping t\\%h.txt%R", HOSTILE_KEPT},
    // Under /O an old name that reads as a new one must not take that one's place.
    {1252, OLD_ALIAS_TREE, "/y /o /p:%T\\t", 0, "|Cleaning t\\|Deleting t\\~?.tmp|SkipDate t\\~a.tmp%R", "*-t/~%{FF41}.tmp"},
    {932, OLD_ALIAS_TREE, "/y /o /p:%T\\t", 0, "|Cleaning t\\|Deleting t\\~\x82\x81.tmp|SkipDate t\\~a.tmp%R",
     "*-t/~%{FF41}.tmp"},
    {0, "t/|t/COM1.tmp|t/COM2.txt|victim/|victim/a.tmp", "/y /DuskHawk /p:%T\\t", 0, "%D|Cleaning t\\||CurrentFolder: [%T\\t\\]   [20]"
     "||[COM1.tmp]%t[.tmp]|Deleting t\\COM1.tmp  [28]|[COM2.txt]%t[.txt]|Skipping t\\COM2.txt  [28]%X", "*"},
    // Swaps after the listing: a read-only file and a folder for links (from the Unix side), a
    // folder for the canary (from a Wine process); and a folder being walked cannot be moved.
    {0, "t/|t/~m/|^t/~r.tmp|t/~zz/|t/~zz/x|victim/|victim/a.tmp|^victim/ro", "/y /p:%T\\t", 1920,
     "|Cleaning t\\|Scanning t\\~m\\|Removing t\\~m\\|Deleting t\\~r.tmp !1920|Scanning t\\~zz\\ !1920"
     "|Removing t\\~zz\\ !1920%R", "t/|t/~r.tmp|t/~zz/", "",
     "t/~m:$ln -s '%U/victim/ro' '%U/r' && ln -s '%U/victim' '%U/zz' && " EXCHANGE_TWICE " '%U/t/~r.tmp' '%U/r' '%U/t/~zz' '%U/zz'"},
    {0, "t/|t/~m/|t/~zz/|t/~zz/x|victim/|victim/a.tmp|^victim/ro", "/y /p:%T\\t", 1920,
     "|Cleaning t\\|Scanning t\\~m\\|Removing t\\~m\\|Scanning t\\~zz\\ !1920|Removing t\\~zz\\ !1920%R",
     "t/|t/~zz/|t/~zz/x", "", "t/~m:t/~zz>zz=0,victim>t/~zz=0,t/~m>mm=32,t>tt=32"},
    // The folders above the target are held too: one cannot be renamed and replaced during the run. A folder whose user leaves it during the walk goes; one that
    // its holder fills again after the sweep has let go of it stays, reported, with the attributes it had.
    {0, "an/|an/p/|an/p/t/|an/p/t/~m/|an/p/t/~x.tmp|an/decoy/|an/decoy/t/|an/decoy/t/~x.tmp", "/y /p:%T\\an\\p\\t", 0,
     "|Cleaning an\\p\\t\\|Scanning an\\p\\t\\~m\\|Removing an\\p\\t\\~m\\|Deleting an\\p\\t\\~x.tmp%R",
     "an/|an/p/|an/p/t/|an/decoy/|an/decoy/t/|an/decoy/t/~x.tmp", "", "an/p/t/~m:an\\p>an\\pp=32,an\\decoy>an\\p=183"},
    {0, "t/|t/~cwd/|victim/|victim/a.tmp", "/y /p:%T\\t", 0, "|Cleaning t\\|Scanning t\\~cwd\\|Removing t\\~cwd\\%R", "t/",
     "", "t/~cwd:leave"},
    {0, "~f/|~f/x|+^~g/|~g/y", "/y /p:%T", 0,
     "|Cleaning |Scanning ~f\\|Deleting ~f\\x|Removing ~f\\|Scanning ~g\\|Deleting ~g\\y|Removing ~g\\|NotEmpty ~g\\%R",
     "~g/"},
    // A listed name that another entry answers to once it is gone: the short name of notes.tmpl,
    // and, where the other entry is spared by its date, the same name in other letter case.
    {0, "t/|t/0.tmp/|t/NOTE~XCL.TMP|t/notes.tmpl|victim/|victim/a.tmp", "/y /p:%T\\t", 1920,
     "|Cleaning t\\|Scanning t\\0.tmp\\|Removing t\\0.tmp\\|Skipping t\\notes.tmpl|Deleting t\\NOTE~XCL.TMP !1920%R",
     "t/|t/notes.tmpl", "", "t/0.tmp:$rm '%U/t/NOTE~XCL.TMP'"},
    {0, "t/|-t/0.tmp/|-t/A.TMP|t/a.tmp|victim/|victim/a.tmp", "/y /o /p:%T\\t", 1920,
     "|Cleaning t\\|Scanning t\\0.tmp\\|Removing t\\0.tmp\\|SkipDate t\\a.tmp|Deleting t\\A.TMP !1920%R",
     "t/|t/a.tmp", "", "t/0.tmp:$rm '%U/t/A.TMP'"},
    // The way to the folder: a link is followed only where no other account can change the folder
    // that holds it, be it the folder named or one on the way; a link made in a folder only the
    // trusted accounts can change works as ever.
    {0, "$m/|m/tmp=victim|victim/|victim/report.tmp|victim/_notes.txt|victim/~draft.docx", "/y /p:%T\\m\\tmp", 1920,
     "|The link \"%T\\m\\tmp\" is not followed: other accounts can change the folder that holds it.||%r", "*"},
    {0, "*m/|m/l=victim|victim/|victim/t/|victim/t/a.tmp", "/y /a /p:%T\\m\\l\\t", 1920,
     "|The link \"%T\\m\\l\" is not followed: other accounts can change the folder that holds it.||%r", "*"},
    {0, "adm/|adm/tmp=real|real/|real/x.tmp|real/keep.txt", "/y /p:%T\\adm\\tmp", 0,
     "|Cleaning adm\\tmp\\|Deleting adm\\tmp\\x.tmp|Skipping adm\\tmp\\keep.txt%R", "*-real/x.tmp"},
    // /A decides on the folder held: a root however named, through a link too (lists only).
    {0, "", "/a /l /p:\\??\\T:", 5, "|Cleaning  \\??\\T:\\%B[\\??\\T:\\]%R%0", ""},
    {0, "", "/a /l /p:\\??\\UNC\\srv\\share", 5,
     "|Cleaning  \\??\\UNC\\srv\\share\\%B[\\??\\UNC\\srv\\share\\]%R%0", ""},
    {0, "r=../..", "/a /l /p:%T\\r", 5, "|Cleaning r\\%B[%T\\r\\]%R%0", "*"},
    // Folders as the command line holds them: look-alikes (full-width quote, slash and backslash
    // in 1252, yen sign in 932) name a folder of that name, never options or another path; a
    // name the code page cannot spell is cleaned and shown with "?"; a control character is
    // refused, /Q silently.
    {1252, "t/|t/a.tmp|victim/|victim/a.tmp", "/y \"/p:%T\\t%{FF02} %{FF0F}a %{FF0F}p:%T\\victim %{FF02}\\tmp\"", 3,
     "|Cleaning  %T\\t? ?a ?p:%T\\victim ?\\tmp\\%R", "*"},
    {932, "t/|t/a.tmp|victim/|victim/a.tmp", "/y /p:%T\\t%{A5}..%{A5}victim", 3, "|Cleaning  %T\\t?..?victim\\%R", "*"},
    {1252, "%{442}%{435}%{43C}/|%{442}%{435}%{43C}/a.tmp|victim/|victim/a.tmp", "/y /p:%T\\%{442}%{435}%{43C}", 0,
     "|Cleaning ???\\|Deleting ???\\a.tmp%R", "%{442}%{435}%{43C}/"},
    {0, "t/|t/a.tmp", "/q /y \"/p:%T\\t%{1B}[2J\"", 87, "", "*"},
    {0, "a.tmp", "/q /D:0 /p:%T", 87, "", "*"},
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
    snprintf(date, sizeof date, "%u/%02u/%02u", today.wYear, today.wMonth, today.wDay);
    const char* const marks[][2] = {
        {"%X", "||Process is exiting with return code %c.%R"}, {"%R", "||%r|"},
        {"%0", "Summary: 0 files to delete, 0 folders to remove, 0 skipped, 0 spared, 1 failed (5), 0 bytes to free.|"}, {"%A", "||CurrentFolder: "},
        {"%B", "|Deleting all files from this folder is not allowed: "},
        {"%O", "|Created Date : 2019/03/14|Modified Date: 2019/03/14|Accessed Date: 2019/03/14|System Date  : %d"},
        {"|", "\n"}, {"%D", "\n WINDIR: [C:\\windows\\]\n SYSDIR: [C:\\windows\\system32\\]\n"},
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

// Markup as UTF-16: %{XXXX} is U+XXXX, the rest ANSI.
std::wstring wide(const std::string& markup)
{
    std::wstring text;
    for (size_t at = 0, mark;; at = markup.find('}', mark) + 1) {
        mark = std::min(markup.find("%{", at), markup.size());
        std::wstring part(mark - at, L'\0');
        part.resize(MultiByteToWideChar(CP_ACP, 0, &markup[at], int(mark - at), &part[0], int(part.size())));
        text += part;
        if (mark == markup.size())
            return text;
        text += wchar_t(std::stoul(markup.substr(mark + 2), nullptr, 16));
    }
}

// A relative path as a shell word (UTF-8, most bytes as octal escapes), for "set -f; IFS=".
std::string shellWord(const std::string& markup)
{
    std::wstring name = wide(markup);
    std::string bytes(name.size() * 3, '\0'), word = "$(printf '";
    bytes.resize(WideCharToMultiByte(CP_UTF8, 0, name.data(), int(name.size()), &bytes[0], int(bytes.size()),
                                     nullptr, nullptr));
    for (unsigned char c : bytes) {
        char octal[8];
        snprintf(octal, sizeof octal, "\\%03o", c);
        word += isalnum(c) || std::strchr("./~_", c) ? std::string(1, char(c)) : octal;
    }
    return word + "')";
}

struct Entry {
    std::string name;  // as in the tree, marks taken off
    std::wstring folder, leaf;
    bool readOnly, held, refilled;
    std::string word;  // the relative path as a shell word
    std::wstring path() const { return folder + L"\\" + leaf; }
};

// Attributes as the folder's listing shows them: the only way to see a name no path can reach.
DWORD listedAttributes(const Entry& entry)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((entry.folder + L"\\*").c_str(), &found);
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        if (entry.leaf == found.cFileName)
            attributes = found.dwFileAttributes;
    }
    FindClose(search);
    return attributes;
}

std::vector<Entry> makeTree(const std::string& tree, const std::string& folder, std::vector<HANDLE>* held)
{
    std::vector<Entry> entries;
    const std::string start = "set -f; IFS=; mkdir -p '" + unixPathOf(folder) + "' && cd '" + unixPathOf(folder) + "'";
    std::string ages, owners, script = start;
    for (std::string item : split(expand(tree, folder), "\n")) {
        std::string size = item[0] == '<' ? item.substr(1, item.find('>') - 1) : "";
        item.erase(0, size.empty() ? 0 : size.size() + 2);
        std::string marks = item.substr(0, item.find_first_not_of("-@#^!+$*"));
        size_t link = item.find_first_of("=&");
        Entry entry = {item.substr(marks.size(), link - marks.size()), L"", L"", marks.find('^') != std::string::npos,
                       marks.find('!') != std::string::npos, marks.find('+') != std::string::npos, ""};
        if (entry.name.empty())
            continue;
        std::string word = entry.word = shellWord(entry.name);
        const char* age = std::strchr(marks.c_str(), '-') ? "2019-03-14 12:00" : std::strchr(marks.c_str(), '@')
                              ? "00:01 6 days ago" : std::strchr(marks.c_str(), '#') ? "23:59 7 days ago" : nullptr;
        if (age != nullptr)  // children before their folders: making an entry touches its folder
            ages = " && touch -d '" + std::string(age) + "' " + word + ages;
        if (marks.find('$') != std::string::npos)
            owners += " && chown 1234 " + word;
        if (marks.find('*') != std::string::npos)
            owners += " && chmod 777 " + word;
        if (entry.readOnly && entry.name.back() == '/')  // Wine shows a folder read-only by its mode alone
            ages = " && chmod a-w " + word + ages;
        if (link != std::string::npos)
            script += (item[link] == '=' ? " && ln -s \"$PWD\"/" : " && ln ") + shellWord(item.substr(link + 1)) + " " + word;
        else
            script += (entry.name.back() == '/' ? " && mkdir " : size.empty() ? " && touch " : " && truncate -s " + size + " ") + word;
        std::wstring path = wide(entry.name.substr(0, entry.name.find_last_not_of('/') + 1));
        size_t slash = path.rfind(L'/');
        entry.leaf = path.substr(slash + 1);
        path.erase(slash == std::wstring::npos ? 0 : slash);
        std::replace(path.begin(), path.end(), L'/', L'\\');
        entry.folder = L"\\\\?\\" + wide(folder) + (path.empty() ? L"" : L"\\" + path);
        entries.push_back(entry);
    }
    runUnixCommand(script + owners);
    for (const Entry& entry : entries) {
        EXPECT_NE(listedAttributes(entry), INVALID_FILE_ATTRIBUTES) << "not made: " << entry.name;
        if (entry.held || entry.refilled)  // a refilled folder is held with every sharing
            held->push_back(CreateFileW(entry.path().c_str(), entry.held ? GENERIC_READ : FILE_READ_ATTRIBUTES,
                                        entry.held ? 0 : 7, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (entry.readOnly)
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    }
    if (!ages.empty())  // last: reading a folder may set its access time
        runUnixCommand(start + ages);
    return entries;
}

// The last-access dates of the folder and its entries, read from the Unix side (which never lists a
// folder for it), one a line; with before, an entry now gone keeps the line it had there.
std::string accessDates(const std::vector<Entry>& entries, const std::string& folder, const std::string& before = "")
{
    std::string script = "set -f; IFS=; cd '" + unixPathOf(folder) + "' && for f in .";
    for (const Entry& entry : entries)
        script += " " + entry.word;
    const std::string list = folder + ".accessed";
    runUnixCommand(script + "; do stat -c %X \"$f\" 2>/dev/null || echo gone; done >'" + unixPathOf(list) + "'");
    std::vector<std::string> now, then = split(before, "\n");
    char line[64];
    FILE* file = fopen(list.c_str(), "r");
    while (file != nullptr && fgets(line, sizeof line, file) != nullptr)
        now.push_back(std::string(line, strcspn(line, "\n")));
    if (file != nullptr)
        fclose(file);
    DeleteFileA(list.c_str());
    std::string dates;
    for (size_t at = 0; at < now.size(); ++at)
        dates += (now[at] == "gone" && at < then.size() ? then[at] : now[at]) + "\n";
    return dates;
}

// The lines of a walk that a list and a real run share: no NotEmpty, summary or blank line.
std::vector<std::string> walkLines(const std::string& output)
{
    std::vector<std::string> lines;
    for (const std::string& line : split(output, "\r\n", true)) {
        if (!line.empty() && line.compare(0, 8, "NotEmpty") != 0 && line.compare(0, 8, "Summary:") != 0)
            lines.push_back(line);
    }
    return lines;
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

void runScenario(const Scenario& scenario, const std::string& folder)
{
    std::string tree = scenario.tree, output = scenario.output, swap = scenario.swap ? scenario.swap : "";
    std::string swapFolder = replaceAll(swap.substr(0, swap.find(':')), "/", "\\");
    std::string steps = swap.substr(swap.find(':') + 1);
    for (int filler = -1; !swap.empty() && filler < 300; ++filler) {
        char name[16];
        snprintf(name, sizeof name, filler < 0 ? "\\~a.tmp" : "\\~b%03d.tmp", filler);
        tree += (std::strstr(scenario.arguments, "/o") ? "|-" : "|") + replaceAll(swapFolder + name, "\\", "/");
        output += "|Deleting " + swapFolder + name;
    }
    std::vector<HANDLE> held;
    std::vector<Entry> entries = makeTree(tree, folder, &held);
    std::string trigger = folder + "\\" + swapFolder + "\\~a.tmp", unixSwap;
    std::vector<std::pair<std::string, std::string>> moved;
    std::vector<DWORD> codes, expectedCodes;
    std::thread mover;
    if (steps[0] == '$')
        unixSwap = startUnixCommand("n=0; while [ -e '" + unixPathOf(trigger) + "' ] && [ $n -lt 2000000 ]; "
                                    "do n=$((n+1)); done; [ -e '" + unixPathOf(trigger) + "' ] || { " +
                                    replaceAll(steps.substr(1), "%U", unixPathOf(folder)) + "; }");
    char startFolder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, startFolder);
    if (steps == "leave") {  // this process holds the folder as its current folder until the trigger is gone
        EXPECT_TRUE(SetCurrentDirectoryA((folder + "\\" + swapFolder).c_str()));
    }
    if (!swap.empty() && steps[0] != '$')
        mover = std::thread([&] {  // as another Wine process could
            for (int tries = 0; tries < 2000000 && exists(trigger); ++tries) {
            }
            for (const std::string& step : split(steps, ",")) {
                if (step == "leave") {
                    SetCurrentDirectoryA(startFolder);
                    continue;
                }
                size_t to = step.find('>'), code = step.find('=');
                moved.emplace_back(folder + "\\" + step.substr(to + 1, code - to - 1), folder + "\\" + step.substr(0, to));
                codes.push_back(MoveFileA(moved.back().second.c_str(), moved.back().first.c_str()) ? 0 : GetLastError());
                expectedCodes.push_back(std::stoul(step.substr(code + 1)));
            }
        });
    std::string from = scenario.currentFolder;
    from = from.empty() ? startFolder : from[1] == ':' ? from : folder + "\\" + from;
    std::string accessedBefore = scenario.firstArguments ? accessDates(entries, folder) : "";
    DustrelRun first = {"", 0};
    if (scenario.firstArguments)
        first = runCommandLine(L"B:\\dustrel.exe " + wide(expand(scenario.firstArguments, folder)), from);
    DustrelRun run = runCommandLine(L"B:\\dustrel.exe " + wide(expand(scenario.arguments, folder)), from);
    if (scenario.firstArguments) {
        EXPECT_EQ(walkLines(first.output), walkLines(run.output)) << first.output;
        EXPECT_EQ(accessDates(entries, folder, accessedBefore), accessedBefore) << "last-access dates changed";
    }
    for (const Entry& entry : entries) {
        if (entry.refilled)
            CloseHandle(CreateFileW((entry.path() + L"\\refill").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    }
    for (HANDLE handle : held)
        CloseHandle(handle);
    if (!unixSwap.empty())
        waitUnixCommand(unixSwap);
    if (mover.joinable()) {
        mover.join();
        EXPECT_EQ(codes, expectedCodes) << "the moves once the trigger was gone";
        for (size_t move = moved.size(); move-- > 0;) {
            if (codes[move] == 0)
                MoveFileA(moved[move].first.c_str(), moved[move].second.c_str());
        }
    }

    EXPECT_EQ(run.exitCode, scenario.exitCode);
    output = std::regex_replace(output, std::regex("(^|\\|)(" VERBS ") (?! )"), "$1$2  %T\\");
    output = std::regex_replace(output, std::regex(" !([0-9]+)"), " ** Failed, error $1 **");
    EXPECT_EQ(split(run.output, "\r\n", true), split(crlf(expand(output, folder, scenario.exitCode)), "\r\n", true))
        << run.output;
    std::string kept = expand(scenario.kept, folder);
    bool allBut = kept.compare(0, 2, "*-") == 0;
    kept = "\n" + kept.substr(allBut ? 2 : 0) + "\n";
    for (const Entry& entry : entries) {
        bool stays = entry.name.compare(0, 7, "victim/") == 0 || kept == "\n*\n" ||
                     (kept.find("\n" + entry.name + "\n") != std::string::npos) != allBut;
        DWORD attributes = listedAttributes(entry);
        EXPECT_EQ(attributes != INVALID_FILE_ATTRIBUTES, stays) << entry.name;
        // Wine shows a folder read-only by its mode, which it never sets again: a folder keeps its hidden bit.
        DWORD kept = FILE_ATTRIBUTE_HIDDEN | (entry.name.back() == '/' ? 0 : FILE_ATTRIBUTE_READONLY);
        EXPECT_TRUE(!stays || !entry.readOnly || (attributes & kept) == kept) << entry.name;
    }
    for (const Entry& entry : entries) {
        if (entry.readOnly)  // after every check: a second name shares the bit
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    for (const char* port : ports)
        EXPECT_TRUE(exists("T:\\ports\\" + std::string(port))) << port;
}

// The cases run in order, each in T:\sweep_tests\NN (one length for all, as the traced lengths
// assume), and stop at the first failure, so that a run aimed at a folder that matters comes
// only after the cases before it have passed.
TEST(Sweep, RunsEachScenario)
{
    // A device name that reaches its device finds a port file of the scratch folder, never /dev.
    for (const char* port : ports)
        ASSERT_EQ(fileId(std::string("\\\\.\\") + port), fileId("T:\\ports\\" + std::string(port))) << port;
    // The runs far from UTC are worth nothing if Wine ignored the zone.
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    const char* offset = std::getenv("DUSTREL_TEST_UTC_OFFSET_MINUTES");
    ASSERT_EQ(-zone.Bias, offset ? std::atol(offset) : -zone.Bias);
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wHour == 23 && now.wMinute >= 59)
        Sleep(90000);  // the dated cases must not straddle midnight
    for (const Scenario& scenario : scenarios) {
        size_t index = &scenario - scenarios;
        if (scenario.codePage != 0 && scenario.codePage != GetACP())
            continue;
        SCOPED_TRACE("scenario " + std::to_string(index) + ": " + scenario.arguments + " on " + scenario.tree);
        char folder[32];
        snprintf(folder, sizeof folder, "T:\\sweep_tests\\%02u", unsigned(index));
        runScenario(scenario, folder);
        if (HasFailure())
            break;
    }
}

} // namespace
