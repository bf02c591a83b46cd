// Listed names in code pages 1252 and 932: only a name whose ANSI form
// reaches exactly that entry is reachable, and no name shows a control
// character, a path character or a best-fit look-alike.
#include <gtest/gtest.h>

#include <string>

#include "common/ansi_text.h"
#include "sweep/listed_name.h"

namespace {

std::string repeated(const std::string& text, int times)
{
    std::string result;
    while (times-- > 0)
        result += text;
    return result;
}

TEST(ListedName, ReachesOnlyExactlyThatEntry)
{
    struct {
        unsigned codePage;
        std::wstring wide;
        std::string shown;
        int reachable;
    } cases[] = {
        {1252, L"~a.tmp", "~a.tmp", 1},
        {1252, L"COM10.tmp", "COM10.tmp", 1},
        {1252, L"nulx.tmp", "nulx.tmp", 1},
        {1252, L"CONOUT", "CONOUT", 1},
        {1252, L"COM1.tmp", "COM1.tmp", 0},
        {1252, L"nul .tmp", "nul .tmp", 0},
        {1252, L"aux", "aux", 0},
        {1252, L"conin$.x", "conin$.x", 0},
        {1252, L"LPT\u00b9", "LPT\xb9", 0},
        {932, L"LPT\u00b9", "LPT?", 0},
        {1252, L"end.", "end.", 0},
        {1252, L"end ", "end ", 0},
        {1252, L"a\nDeleting  T:\\x", "a?Deleting  T??x", 0},
        {1252, L"~\x1b[2J.tmp", "~?[2J.tmp", 0},
        {1252, L"q*|<>\"/", "q??????", 0},
        {1252, L"~\uff3c..\uff3cv", "~?..?v", 0},
        {932, L"~\uff3c..\uff3cv", "~\x81\x5f..\x81\x5fv", 1},
        {1252, L"~\u00a5.tmp", "~\xa5.tmp", 1},
        {932, L"~\u00a5.tmp", "~?.tmp", 0},
        {932, L"\u8868.tmp", "\x95\x5c.tmp", 1},
        {1252, L"\U0001F600.tmp", "?.tmp", 0},
        {932, std::wstring(255, L'\u3042'), repeated("\x82\xa0", 255), 1},
    };
    for (const auto& c : cases) {
        setAnsiCodePage(c.codePage);
        char name[LISTED_NAME_BUFFER];
        EXPECT_EQ(readListedName(c.wide.c_str(), unsigned(c.wide.size()), name), c.reachable) << c.shown;
        EXPECT_EQ(name, c.shown);
    }
}

} // namespace
