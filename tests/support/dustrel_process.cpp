#include "dustrel_process.h"

#include <gtest/gtest.h>


std::string dustrelPath()
{
    return "B:\\dustrel.exe";
}

// Takes what the pipe holds now, without waiting for more.
static void drain(HANDLE pipe, std::string* output)
{
    DWORD available = 0;
    while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        char block[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, block, sizeof block, &got, nullptr) || got == 0)
            return;
        output->append(block, got);
    }
}

// Reads until the child has ended. A process the child starts (Wine's
// desktop, for one) may inherit the pipe, so the end of the pipe never comes.
static bool collectUntilExit(HANDLE process, HANDLE pipe, std::string* output, DWORD timeout)
{
    for (DWORD waited = 0; waited < timeout; waited += 5) {
        drain(pipe, output);
        if (WaitForSingleObject(process, 5) == WAIT_OBJECT_0) {
            drain(pipe, output);
            return true;
        }
    }
    return false;
}

DustrelRun runCommandLine(const std::string& commandLine, const RunSettings& settings)
{
    DustrelRun run = {"", 0xFFFFFFFF};
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        ADD_FAILURE() << "CreatePipe: " << GetLastError();
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE childOutput = settings.standardOutput != nullptr ? settings.standardOutput : writeEnd;
    SetHandleInformation(childOutput, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = childOutput;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    const char* folder = settings.currentFolder.empty() ? nullptr : settings.currentFolder.c_str();
    BOOL started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, folder, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        ADD_FAILURE() << "cannot start " << commandLine << ": " << GetLastError();
        CloseHandle(readEnd);
        return run;
    }
    if (!collectUntilExit(process.hProcess, readEnd, &run.output, 120000)) {
        ADD_FAILURE() << "dustrel.exe did not finish: " << commandLine;
        TerminateProcess(process.hProcess, 0xDEAD);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(readEnd);
    return run;
}

DustrelRun runDustrel(const std::string& arguments, const RunSettings& settings)
{
    return runCommandLine(dustrelPath() + " " + arguments, settings);
}
