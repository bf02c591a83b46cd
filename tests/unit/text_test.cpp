// Text in the ANSI code page: the temporary-name rule, folder normal form,
// message lines, listed names, and the command line split into words and
// read as options. Only what the sweep scenarios cannot reach is here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "console/summary_line.h"
#include "main/arguments.h"
#include "main/command_line.h"
#include "main/exact_arguments.h"
#include "sweep/listed_name.h"
#include "sweep/temporary_name.h"

namespace {

using Words = std::vector<std::string>;
const std::string hyou = "\x95\x5c";  // a double-byte character whose trail byte is 0x5C

TEST(Text, NamesFoldersLinesAndNumbers)
{
    resetRunRecords();
    setAnsiCodePage(1252);
    for (const wchar_t* name : {L"setup.TMP", L".tmp", L"a.b.tmp", L"_", L"GLOBE.Exe", L"gl.exe", L"MSE0A.LOG", L"a.~",
                                L"b._", L"a.b._c"})
        EXPECT_TRUE(isTemporaryName(name, lstrlenW(name), "")) << name;
    // Only ASCII letters fold: a full-width letter or one that looks like "g" is no pattern's letter.
    for (const wchar_t* name : {L"file.", L"a.tmp.bak", L"agl.exe", L"glass.exe.bak", L"glass.com", L"mse", L"mse1.tmpx",
                                L"x.~y.txt", L"", L"a.\uFF54mp", L"\u01F5l.exe"})
        EXPECT_FALSE(isTemporaryName(name, lstrlenW(name), "")) << name;

    struct {
        unsigned codePage;
        std::string path, normal;  // "" when there is no room for the backslash, and the path stays as it is
    } folders[] = {{1252, "", "\\"}, {1252, "C:/T/", "C:/T/\\"}, {1252, "C:\\" + hyou, "C:\\\x95\\"},
                   {932, "C:\\" + hyou + "\\\\", "C:\\" + hyou + "\\"}, {932, "C:\\" + hyou, "C:\\" + hyou + "\\"},
                   {1252, std::string(259, 'a'), std::string(259, 'a') + "\\"}, {1252, std::string(260, 'a'), ""}};
    for (const auto& c : folders) {
        setAnsiCodePage(c.codePage);
        char path[PATH_BUFFER];
        lstrcpyA(path, c.path.c_str());
        EXPECT_EQ(normalizeFolder(path), int(!c.normal.empty())) << c.path;
        EXPECT_EQ(path, c.normal.empty() ? c.path : c.normal);
    }

    // A line cut after a double-byte character, and inside one: 5 bytes, 4 for text.
    setAnsiCodePage(932);
    for (const auto& cut : {Words{"ab" + hyou + hyou, std::string("ab\x95\x5c\0\0", 6)},
                            Words{"abc" + hyou, std::string("abc\0-\0", 6)}}) {
        char buffer[6] = "-----";
        TextBuilder text;
        startText(&text, buffer, 5);
        appendText(&text, cut[0].c_str());
        EXPECT_EQ(std::string(buffer, 6), cut[1]) << cut[0];
    }
    char number[64];
    TextBuilder text;
    startText(&text, number, sizeof number);
    for (DWORD value : {0u, 206u, 2147483648u, 0xFFFFFFFFu})
        appendNumber(&text, value), appendText(&text, " ");
    EXPECT_STREQ(number, "0 206 -2147483648 -1 ");
    EXPECT_TRUE(equalsNoCase("\x82\x60", "\x82\x81")) << "full-width A and a are a case pair in 932";

    // The summary: singular words for 1, distinct failure codes ascending, the lowest kept when too many.
    char summary[MESSAGE_BUFFER];
    runTotals = RunTotals{1, 1, 2, 0, 0, 1, {}, 0};
    writeSummaryLine(summary);
    EXPECT_STREQ(summary, "Summary: 1 file deleted, 1 folder removed, 2 skipped, 0 spared, 0 failed, 1 byte freed.\n");
    for (DWORD code : {32u, 5u, 32u, 0x80000001u, 123u})
        countFailure(code);
    for (DWORD code = 1000; code < 1020; ++code)
        countFailure(code);
    runOptions.applyChanges = false;  // the diagnostic switch's dry run, as /L's
    runTotals.bytesFreed = 5000000000ull;
    writeSummaryLine(summary);
    EXPECT_STREQ(summary, "Summary: 1 file to delete, 1 folder to remove, 2 skipped, 0 spared, 25 failed (5, 32, 123, 1000, "
                          "1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012), 5000000000 bytes to free.\n");
    runOptions.applyChanges = true;

    // Listed names that no tree under Wine holds: path characters, and the longest name in 932.
    char name[LISTED_NAME_BUFFER];
    std::string hiragana;
    while (hiragana.size() < 510)
        hiragana += "\x82\xa0";
    EXPECT_EQ(readListedName(std::wstring(255, L'\u3042').c_str(), 255, name), 1);
    EXPECT_EQ(name, hiragana);
    setAnsiCodePage(1252);
    EXPECT_EQ(readListedName(L"q|<>\"/", 6, name), 0);
    EXPECT_STREQ(name, "q?????");
}

TEST(Text, CommandLineSplitAndRead)
{
    struct {
        std::wstring commandLine;
        Words words;
    } cases[] = {
        {L"", {""}},
        {L"x.exe  /y\t/q ", {"x.exe", "/y", "/q"}},
        {L"\"C:\\A B\\x.exe\"/y", {"C:\\A B\\x.exe", "/y"}},
        {L"C:\\x\\\"a b\" c", {"C:\\x\\\"a", "b c"}},
        {L"x \"a\"\"b\" \"\" \"c d", {"x", "ab", "", "c d"}},
        {L"x \"/p:C:\\A B\\\" \"/p:C:\\A B\\\\\"", {"x", "/p:C:\\A B\" /p:C:\\A", "B\\"}},
        {L"x a\\\\b a\\\\\\\"b a\\\\\\\\\"b c\"", {"x", "a\\\\b", "a\\\"b", "a\\\\b c"}},
    };
    setAnsiCodePage(1252);
    for (const auto& c : cases) {
        WCHAR storage[64];
        WCHAR* words[8];
        int count = splitCommandLine(c.commandLine.c_str(), storage, 64, words, 8);
        char text[128];
        char* arguments[8];
        unsigned char inexact[8];
        readExactArguments(count, words, text, sizeof text, arguments, inexact);
        EXPECT_EQ(Words(arguments, arguments + count), c.words);
    }
    WCHAR storage[9];
    storage[8] = L'-';
    WCHAR* words[3];
    EXPECT_EQ(splitCommandLine(L"x abcdefghij klm n o p", storage, 8, words, 3), 2);
    EXPECT_EQ(storage[8], L'-') << "what does not fit is dropped, never written past the storage";

    // Arguments are taken only in their exact spelling: no look-alike, no control character.
    struct {
        unsigned codePage;
        const wchar_t* word;
        int exact;
        std::string text;  // exact, or shown with "?"
    } spellings[] = {
        {932, L"/p:\u8868", 1, "/p:" + hyou}, {932, L"/p:\u00a5x", 0, "/p:?x"}, {1252, L"/p:\u00a5x", 1, "/p:\xa5x"},
        {1252, L"x\uff02 \uff0fa", 0, "x? ?a"}, {1252, L"\uff0fp:C:\uff3c", 0, "?p:C:?"}, {1252, L"/\u0085", 0, "/?"},
        {1252, L"a\u007fb\u009b", 0, "a?b?"}, {1252, L"\u00e9t\u00e9", 1, "\xe9t\xe9"},
    };
    for (const auto& c : spellings) {
        setAnsiCodePage(c.codePage);
        char text[32];
        EXPECT_EQ(readExactText(c.word, text, sizeof text), c.exact) << c.text;
        EXPECT_EQ(text, c.text);
    }
    setAnsiCodePage(1252);

    // The reader keeps pointers into the words: they outlive each call.
    std::vector<std::wstring> held;
    std::vector<WCHAR*> pointers;
    std::vector<char*> shown(16);
    unsigned char inexact[16];
    static char shownText[4096];
    auto readWide = [&](std::vector<std::wstring> arguments) {
        resetRunRecords();
        held = arguments;
        held.insert(held.begin(), L"x");
        pointers.clear();
        for (std::wstring& word : held)
            pointers.push_back(&word[0]);
        readExactArguments(int(pointers.size()), pointers.data(), shownText, sizeof shownText, shown.data(), inexact);
        return readArguments(int(pointers.size()), pointers.data(), shown.data(), inexact);
    };
    auto read = [&](Words arguments) {
        std::vector<std::wstring> wide;
        for (const std::string& argument : arguments) {
            std::wstring word(argument.size(), L'\0');
            word.resize(MultiByteToWideChar(ansiCodePageInUse(), 0, argument.data(), int(argument.size()), &word[0],
                                            int(word.size())));
            wide.push_back(word);
        }
        return readWide(wide);
    };
    auto value = [](const WCHAR* text) { return std::wstring(text != nullptr ? text : L"(none)"); };
    read({"-Y", "/o", "-A", "/Q", "-DuskHawk", "/P:C:\\a", "-p:D:\\b", "/log:a", "-LOG:b"});
    EXPECT_TRUE(!runOptions.confirm && runOptions.oldOnly && runOptions.allFiles && runOptions.quiet &&
                runOptions.diagnostic && !runOptions.applyChanges && !runOptions.listOnly);
    EXPECT_EQ(value(targetFolderArgument()), L"D:\\b") << "the last folder counts";
    EXPECT_EQ(value(logFileArgument()), L"b") << "the last log counts";
    read({"-l"});
    EXPECT_TRUE(runOptions.listOnly && !runOptions.applyChanges && runOptions.confirm);
    read({"/L", "/DuskHawk"});
    EXPECT_FALSE(runOptions.diagnostic) << "a list shows no trace";
    // Folder and log values as the command line holds them, shown with "?" where the code page has no
    // spelling; the option words themselves exact, and no control character anywhere.
    EXPECT_EQ(readWide({L"/p:C:\\\u041e\u0442\u0447\u0451\u0442", L"-LOG:\u8868.log"}), argumentsRead);
    EXPECT_EQ(value(targetFolderArgument()), L"C:\\\u041e\u0442\u0447\u0451\u0442");
    EXPECT_STREQ(shownTargetFolderArgument(), "C:\\?????");
    EXPECT_EQ(value(logFileArgument()), L"\u8868.log");
    EXPECT_STREQ(shownLogFileArgument(), "?.log");
    for (const wchar_t* bad : {L"/p:C:\\a\u001b[2J", L"/log:\u009b", L"\uff0fp:C:\\a", L"/\uff50:C:\\a", L"/L\u041eG:a"}) {
        EXPECT_EQ(readWide({bad}), argumentsRefused);
        EXPECT_EQ(refusedArgument()->kind, refusalInexact) << refusedArgument()->argument;
        EXPECT_EQ(targetFolderArgument(), nullptr);
    }
    // /D:n: the longest period holds; any value but 1 to 3650 in decimal digits refuses the run.
    struct {
        Words arguments;
        ArgumentsOutcome outcome;
        unsigned spareDays;
    } dayCounts[] = {{{"-d:3650", "/o", "/D:2"}, argumentsRead, 3650}, {{"/D:007"}, argumentsRead, 7},
                     {{"/DuskHawk"}, argumentsRead, 0}, {{"/D:0", "/?"}, argumentsAskUsage, 0}};
    for (const auto& c : dayCounts) {
        EXPECT_EQ(read(c.arguments), c.outcome) << c.arguments[0];
        EXPECT_EQ(runOptions.spareDays, c.spareDays) << c.arguments[0];
        EXPECT_EQ(runOptions.oldOnly, c.spareDays != 0) << c.arguments[0];
    }
    // Slips and words that are no option are refused, the first on the command line named; /? still wins.
    struct {
        RefusalKind kind;
        Words bad;
    } refusals[] = {
        {refusalDayCount, {"/D:", "/D:0", "/D:7x", "/D:99999", "/D:3651", "/D:+7", "/D: 7", "/D:-1", "/D:4294967303",
                           "/D", "-d7", "/D:x"}},
        {refusalFolderOption, {"/P", "/Pause", "/P=D:\\x", "/PD:\\x", "-p:", "/p: ", "/P:   ", "/p;x"}},
        {refusalLogOption, {"/LOG", "/log: ", "-Log:", "/LOGFILE:x", "/log=x"}},
        {refusalUnknown, {"/yes", "y", "/duskhawk", "//y", "/??", "/LO", "/Lx", "/", "", "-", "/Dx:0", "/Days:7", "/O:7",
                          "/whatif", "--dry-run", "/List", "/S", "dusk:x"}},
        {refusalBareFolder, {"C:\\canary", "d:", "\\DuskHawk", "tmp/x", "..", ".", "\\\\server\\share"}},
    };
    for (const auto& c : refusals) {
        for (const std::string& bad : c.bad) {
            EXPECT_EQ(read({"/D:9", "/p:x", bad, "/p", "/D:0", "/log", "/X"}), argumentsRefused) << bad;
            EXPECT_STREQ(refusedArgument()->argument, bad.c_str());
            EXPECT_EQ(refusedArgument()->kind, c.kind) << bad;
            EXPECT_EQ(read({bad, "/y", "-?"}), argumentsAskUsage) << bad;
        }
    }
    // A folder counts by its normal form: trailing backslashes count as one.
    char folder[PATH_BUFFER];
    EXPECT_EQ(copyFolderInNormalForm(folder, (std::string(259, 'a') + "\\\\\\").c_str()), 1);
    EXPECT_EQ(copyFolderInNormalForm(folder, std::string(260, 'a').c_str()), 0);
    setAnsiCodePage(932);
    read({hyou});
    EXPECT_EQ(refusedArgument()->kind, refusalUnknown) << "a trail byte 0x5C is no backslash";

    // The log's record takes the command line after the program path as it came.
    for (const auto& c : {Words{"x.exe /y  /log:a", "/y  /log:a"}, Words{"\"C:\\A B\\x\" \t /y \"/p:a b\"", "/y \"/p:a b\""},
                          Words{"x", ""}, Words{"\"x y", ""}}) {
        std::wstring line(c[0].begin(), c[0].end()), tail(c[1].begin(), c[1].end());
        EXPECT_STREQ(commandLineTail(line.c_str()), tail.c_str()) << c[0];
    }
}

} // namespace
