// Runs the built dustrel.exe as a real child process with an exact command
// line and collects what it writes on standard output.
#pragma once

#include <windows.h>

#include <string>

struct DustrelRun {
    std::string output;
    DWORD exitCode;
};

struct RunSettings {
    std::string currentFolder;        // empty: the test's own
    HANDLE standardOutput = nullptr;  // set: the child writes there, output stays empty
};

// The exe under test, B:\dustrel.exe.
std::string dustrelPath();

// Runs commandLine as given (program path included).
DustrelRun runCommandLine(const std::string& commandLine, const RunSettings& settings = RunSettings());

// Runs "B:\dustrel.exe" followed by a blank and arguments.
DustrelRun runDustrel(const std::string& arguments, const RunSettings& settings = RunSettings());
