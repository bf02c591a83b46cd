// The confirmation box, for real: the test finds the window by its caption,
// reads its text and presses a button.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "dustrel_process.h"
#include "scratch.h"

namespace {

struct BoxSeen {
    bool found = false;
    std::string text;
};

BOOL CALLBACK readStatic(HWND child, LPARAM seen)
{
    char className[32];
    char text[512];
    GetClassNameA(child, className, sizeof className);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(className, "Static") == 0 && text[0] != '\0')
        reinterpret_cast<BoxSeen*>(seen)->text = text;
    return TRUE;
}

// Waits for the box, reads its text and presses the button with the given id.
void answerBox(int button, BoxSeen* seen)
{
    for (int waited = 0; waited < 600; ++waited) {
        HWND box = FindWindowA(nullptr, "Dustrel");
        if (box != nullptr) {
            seen->found = true;
            EnumChildWindows(box, readStatic, reinterpret_cast<LPARAM>(seen));
            SendMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
            return;
        }
        Sleep(50);
    }
}

class ConfirmationBox : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no display: the box cannot be shown";
    }
};

TEST_F(ConfirmationBox, YesCleans)
{
    std::string top = scratchFolder();
    makeFile(top + "\\a.tmp");
    BoxSeen seen;
    std::thread answer(answerBox, IDYES, &seen);
    DustrelRun run = runDustrel("/p:" + top);
    answer.join();
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "Are you sure you want to clean up " + top + "\\?");
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(exists(top + "\\a.tmp"));
    EXPECT_EQ(run.output.rfind("\r\nCleaning  " + top + "\\", 0), 0u) << run.output;
}

TEST_F(ConfirmationBox, NoDeclinesSilently)
{
    std::string top = scratchFolder();
    makeFile(top + "\\a.tmp");
    BoxSeen seen;
    std::thread answer(answerBox, IDNO, &seen);
    DustrelRun run = runDustrel("/p:" + top + "\\\\\\");
    answer.join();
    EXPECT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "Are you sure you want to clean up " + top + "\\?");
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(ERROR_SIGNAL_REFUSED));
    EXPECT_EQ(run.output, "");
    EXPECT_TRUE(exists(top + "\\a.tmp"));
}

} // namespace
