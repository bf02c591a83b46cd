// Real folder trees for the tests, on the scratch drive T: that the Wine
// wrapper maps to the build's own test-scratch folder.
#pragma once

#include <windows.h>

#include <string>

// A fresh, empty folder for the running test: T:\<program>\<Suite>.<Test>
// (no trailing backslash).
std::string scratchFolder();

void makeFolder(const std::string& path);
void makeFile(const std::string& path, const std::string& content = "");
// Sets all three times of an entry to a day long past.
void makeOld(const std::string& path);
void setTimes(const std::string& path, const FILETIME& created, const FILETIME& modified, const FILETIME& accessed);
bool exists(const std::string& path);
DWORD attributesOf(const std::string& path);

// The Unix path of a path on T:.
std::string unixPathOf(const std::string& windowsPath);
// Runs a Unix shell command line and waits (up to 20 s) for it to finish.
void runUnixCommand(const std::string& command);
// A Unix symbolic link at linkPath (on T:) to the Unix path target.
void makeUnixLink(const std::string& target, const std::string& linkPath);

// The system's own text for a code, as FormatMessageA gives it.
std::string systemText(DWORD code);
// text with every LF written as CR LF, as the console output stream does.
std::string crlf(const std::string& text);
