#include "scratch.h"

#include <gtest/gtest.h>

#include <cstdlib>

std::string scratchFolder()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string program = module;
    program = program.substr(program.find_last_of('\\') + 1);
    program = program.substr(0, program.rfind('.'));
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    std::string folder = "T:\\" + program + "\\" + name;
    runUnixCommand("rm -rf '" + unixPathOf(folder) + "'");
    makeFolder(folder);
    return folder;
}

void makeFolder(const std::string& path)
{
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        ADD_FAILURE() << "cannot make folder " << path << ": " << GetLastError();
}

void makeFile(const std::string& path, const std::string& content)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot make file " << path << ": " << GetLastError();
        return;
    }
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

void setTimes(const std::string& path, const FILETIME& created, const FILETIME& modified, const FILETIME& accessed)
{
    HANDLE entry = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (entry == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open " << path << ": " << GetLastError();
        return;
    }
    if (!SetFileTime(entry, &created, &accessed, &modified))
        ADD_FAILURE() << "cannot set times of " << path << ": " << GetLastError();
    CloseHandle(entry);
}

void makeOld(const std::string& path)
{
    SYSTEMTIME longAgo = {2019, 3, 0, 14, 12, 0, 0, 0};
    FILETIME old;
    SystemTimeToFileTime(&longAgo, &old);
    setTimes(path, old, old, old);
}

bool exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD attributesOf(const std::string& path)
{
    return GetFileAttributesA(path.c_str());
}

std::string unixPathOf(const std::string& windowsPath)
{
    const char* root = std::getenv("DUSTREL_SCRATCH_UNIX");
    if (root == nullptr || windowsPath.size() < 2 || (windowsPath[0] != 'T' && windowsPath[0] != 't') ||
        windowsPath[1] != ':') {
        ADD_FAILURE() << "no Unix path for " << windowsPath;
        return "/nonexistent-dustrel-scratch";
    }
    std::string path = root + windowsPath.substr(2);
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

// Wine starts a Unix program from a "\\?\unix\" path but gives no handle to
// wait on, so the command leaves a marker when it is done.
void runUnixCommand(const std::string& command)
{
    static int serial = 0;
    std::string marker = "T:\\unix-done-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    std::string script = command + "; touch '" + unixPathOf(marker) + "'";
    std::string quoted;
    for (char c : script) {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    std::string commandLine = "\\\\?\\unix\\bin\\sh -c \"" + quoted + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start /bin/sh: " << GetLastError();
        return;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < 2000 && !exists(marker); ++waited)
        Sleep(10);
    if (!DeleteFileA(marker.c_str()))
        ADD_FAILURE() << "Unix command did not finish: " << command;
}

void makeUnixLink(const std::string& target, const std::string& linkPath)
{
    runUnixCommand("ln -s '" + target + "' '" + unixPathOf(linkPath) + "'");
}

std::string systemText(DWORD code)
{
    char* text = nullptr;
    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    if (FormatMessageA(flags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<char*>(&text), 0, nullptr) == 0)
        return "";
    std::string result = text;
    LocalFree(text);
    return result;
}

std::string crlf(const std::string& text)
{
    std::string result;
    for (char c : text) {
        if (c == '\n')
            result += '\r';
        result += c;
    }
    return result;
}
