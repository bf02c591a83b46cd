#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

std::wstring wideText(const std::string& ansi)
{
    std::wstring wide(ansi.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, ansi.data(), int(ansi.size()), &wide[0], int(wide.size())));
    return wide;
}

std::string readAvailable(HANDLE pipe)
{
    std::string bytes;
    DWORD available = 0, got = 0;
    char block[4096];
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
           ReadFile(pipe, block, sizeof block, &got, nullptr) && got > 0)
        bytes.append(block, got);
    return bytes;
}

// A process the child starts (Wine's desktop) may inherit the pipe, so its
// end may never come: the child's exit ends the run.
DustrelRun runCommandLine(const std::wstring& commandLine, const std::string& currentFolder, HANDLE output,
                          const char* desktop)
{
    DustrelRun run = {"", 0xFFFFFFFF};
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inheritable, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    std::wstring desktopName = desktop != nullptr ? wideText(desktop) : L"";
    startup.lpDesktop = desktop != nullptr ? &desktopName[0] : nullptr;
    startup.hStdOutput = output != nullptr ? output : writeEnd;
    startup.hStdError = writeEnd;
    SetHandleInformation(startup.hStdOutput, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    PROCESS_INFORMATION process = {};
    std::wstring line = commandLine, folder = currentFolder.empty() ? L"" : wideText(currentFolder);
    BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                  folder.empty() ? nullptr : folder.c_str(), &startup, &process);
    CloseHandle(writeEnd);
    EXPECT_TRUE(started) << GetLastError();
    for (int waited = 0; started && waited < 24000; ++waited) {
        run.output += readAvailable(readEnd);
        if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0)
            break;
    }
    run.output += readAvailable(readEnd);
    if (started && (!GetExitCodeProcess(process.hProcess, &run.exitCode) || run.exitCode == STILL_ACTIVE)) {
        ADD_FAILURE() << "still running";
        TerminateProcess(process.hProcess, 0xDEAD);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return run;
}

DustrelRun runCommandLine(const std::string& commandLine, const std::string& currentFolder, HANDLE output,
                          const char* desktop)
{
    return runCommandLine(wideText(commandLine), currentFolder, output, desktop);
}

DustrelRun runDustrel(const std::string& arguments, const std::string& currentFolder)
{
    return runCommandLine("B:\\dustrel.exe " + arguments, currentFolder);
}

std::string scratchFolder()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string folder = std::getenv("DUSTREL_TEST_SCRATCH") + ("\\" + std::string(test->test_suite_name())) + "." +
                         test->name();
    makeFolder(folder);
    return folder;
}

void makeFolder(const std::string& path)
{
    if (!CreateDirectoryA(("\\\\?\\" + path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        ADD_FAILURE() << "cannot make folder " << path << ": " << GetLastError();
}

void makeFile(const std::string& path)
{
    HANDLE file = CreateFileA(("\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << "cannot make file " << path << ": " << GetLastError();
    CloseHandle(file);
}

bool exists(const std::string& path)
{
    return GetFileAttributesA(("\\\\?\\" + path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string unixPathOf(const std::string& scratchPath)
{
    const char* root = std::getenv("DUSTREL_SCRATCH_UNIX");
    EXPECT_TRUE(root != nullptr && (scratchPath[0] == 'T' || scratchPath[0] == 't')) << scratchPath;
    std::string path = std::string(root ? root : "/nonexistent") + scratchPath.substr(2);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::string startUnixCommand(const std::string& command)
{
    static int serial = 0;
    std::string marker = "T:\\unix-done-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::string commandLine = "\\\\?\\unix\\bin\\sh -c \"" + command + "; touch '" + unixPathOf(marker) + "'\"";
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process)) << command;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return marker + "|" + command;
}

void waitUnixCommand(const std::string& started)
{
    std::string marker = started.substr(0, started.find('|'));
    for (int waited = 0; waited < 2000 && !exists(marker); ++waited)
        Sleep(10);
    EXPECT_TRUE(DeleteFileA(marker.c_str())) << "did not finish: " << started.substr(marker.size() + 1);
}

void runUnixCommand(const std::string& command)
{
    waitUnixCommand(startUnixCommand(command));
}

std::string systemText(DWORD code)
{
    char* text = nullptr;
    if (FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                       nullptr, code, 0x400, reinterpret_cast<char*>(&text), 0, nullptr) == 0)
        return "";
    std::string result = text;
    LocalFree(text);
    return result;
}

std::string crlf(const std::string& text)
{
    std::string result;
    for (char c : text)
        result += c == '\n' ? "\r\n" : std::string(1, c);
    return result;
}
