// Real folder trees on the scratch drive T: and real runs of B:\dustrel.exe
// under Wine, with what they write on standard output.
#pragma once

#include <windows.h>

#include <string>

struct DustrelRun {
    std::string output;
    DWORD exitCode;
};

// Runs commandLine (program path included) from currentFolder ("": the
// test's own), writing to output (nullptr: a pipe the run collects), on
// desktop ("station\desktop"; nullptr: the test's own). The command line
// goes as UTF-16, so it may hold what no ANSI text can.
DustrelRun runCommandLine(const std::wstring& commandLine, const std::string& currentFolder = "",
                          HANDLE output = nullptr, const char* desktop = nullptr);
DustrelRun runCommandLine(const std::string& commandLine, const std::string& currentFolder = "",
                          HANDLE output = nullptr, const char* desktop = nullptr);
DustrelRun runDustrel(const std::string& arguments, const std::string& currentFolder = "");
std::wstring wideText(const std::string& ansi);  // from the ANSI code page
// What a pipe holds now, without waiting for more.
std::string readAvailable(HANDLE pipe);

// A new folder for the running test: T:\<program>\<Suite>.<Test>.
std::string scratchFolder();
// Entries are made through "\\?\" paths, so names keep trailing dots and blanks.
void makeFolder(const std::string& path);
void makeFile(const std::string& path);
bool exists(const std::string& path);

std::string unixPathOf(const std::string& scratchPath);
// Runs a Unix shell command and waits for it (Wine gives no handle to wait on);
// or starts it, and waits later for what start returned.
void runUnixCommand(const std::string& command);
std::string startUnixCommand(const std::string& command);
void waitUnixCommand(const std::string& started);

std::string systemText(DWORD code);         // as FormatMessageA gives it
std::string crlf(const std::string& text);  // every LF as CR LF, as the exe writes it
