// The confirmation box, for real, in the virtual display: the test finds
// the window by its caption, reads its text and presses a button.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "harness.h"

namespace {

BOOL CALLBACK readText(HWND child, LPARAM text)
{
    char className[32];
    char found[512];
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") == 0 && GetWindowTextA(child, found, sizeof found) > 0)
        *reinterpret_cast<std::string*>(text) = found;
    return TRUE;
}

void answerBox(int button, std::string* text)
{
    for (int waited = 0; waited < 600; ++waited, Sleep(50)) {
        HWND box = FindWindowA(nullptr, "Dustrel");
        if (box != nullptr) {
            EnumChildWindows(box, readText, reinterpret_cast<LPARAM>(text));
            SendMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0);
            return;
        }
    }
}

TEST(ConfirmationBox, YesCleansAndNoDeclinesSilently)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no display: the box cannot be shown";
    for (int button : {IDNO, IDYES}) {
        std::string folder = scratchFolder();
        makeFile(folder + "\\a.tmp");
        std::string text;
        std::thread answer(answerBox, button, &text);
        DustrelRun run = runDustrel("/p:" + folder + "\\\\\\");
        answer.join();
        EXPECT_EQ(text, "Are you sure you want to clean up " + folder + "\\?");
        EXPECT_EQ(run.exitCode, button == IDYES ? 0u : DWORD(ERROR_SIGNAL_REFUSED));
        EXPECT_EQ(exists(folder + "\\a.tmp"), button == IDNO);
        EXPECT_EQ(run.output.empty(), button == IDNO) << run.output;
    }
}

} // namespace
