// Names that Win32 path handling would turn into another name (a trailing
// dot or blank is stripped) are reported as failed and never acted on: the
// sweep must not reach the entry's twin through them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dustrel_process.h"
#include "scratch.h"

namespace {

// Reaches the exact name, trailing dots and blanks included.
std::string literal(const std::string& path)
{
    return "\\\\?\\" + path;
}

struct Entry {
    std::string path;  // below the test's folder; a folder ends in "\"
    bool old;
    bool readOnly;
    const char* linkTarget = nullptr;  // set: a Unix link to this entry below the test's folder
};

// Every entry below folder, folders with "\" and read-only ones marked,
// listed through literal paths so that the names show as they are.
void collectTree(const std::string& folder, const std::string& prefix, std::vector<std::string>& names)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(literal(folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool isLink = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        std::string shown = prefix + name + (isFolder ? "\\" : "");
        names.push_back(shown + ((entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? " (read-only)" : ""));
        if (isFolder && !isLink)
            collectTree(folder + "\\" + name, shown, names);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
}

std::vector<std::string> treeOf(const std::string& folder)
{
    std::vector<std::string> names;
    collectTree(folder, "", names);
    std::sort(names.begin(), names.end());
    return names;
}

// The progress lines of a run, sorted, with "@" standing for the folder and
// the dry run's length trailers cut off.
std::vector<std::string> progressLines(const std::string& output, const std::string& top)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= output.size()) {
        size_t end = output.find("\r\n", start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        start = end + 2;
        static const char* const words[] = {"Deleting  ", "Scanning  ", "Removing  ",
                                            "Skipping  ", "SkipDate  ", "NotEmpty  "};
        if (std::none_of(std::begin(words), std::end(words),
                         [&](const char* word) { return line.rfind(word, 0) == 0; }))
            continue;
        size_t trailer = line.rfind("  [");
        if (trailer != std::string::npos && line.back() == ']')
            line.erase(trailer);
        size_t at = line.find(top);
        if (at != std::string::npos)
            line.replace(at, top.size(), "@");
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

const std::string FAILED = " ** Failed, error 123 **";

// A qualifying folder holding "~x", its twins with a trailing dot or blank,
// and a folder "sub." with a file in it.
const std::vector<Entry> MIXED_FOLDER = {
    {"~d\\", false, false},   {"~d\\~x", false, false},    {"~d\\~x.", false, false},
    {"~d\\~y ", false, false}, {"~d\\sub.\\", false, false}, {"~d\\sub.\\f", false, false},
};

// entries and, at the top level, "~x" and "~x.".
std::vector<Entry> withTwinsAtTop(std::vector<Entry> entries)
{
    entries.push_back({"~x", false, false});
    entries.push_back({"~x.", false, false});
    return entries;
}

struct Case {
    const char* title;
    std::vector<Entry> entries;
    std::string options;
    std::vector<std::string> lines;
    std::vector<std::string> after;
    DWORD exitCode;
};

TEST(UnreachableName, IsReportedAndNeverActedOn)
{
    const std::vector<Case> cases = {
        {"a file spared by /O beside its old twin",
         {{"~x", false, false}, {"~x.", true, false}},
         "/o",
         {"SkipDate  @\\~x", "Deleting  @\\~x." + FAILED},
         {"~x", "~x."},
         123},
        {"a folder spared by /O beside its old twin",
         {{"~d\\", false, false}, {"~d\\f", false, false}, {"~d.\\", true, false}, {"~d.\\g", true, false}},
         "/o",
         {"SkipDate  @\\~d\\", "Scanning  @\\~d.\\" + FAILED},
         {"~d.\\", "~d.\\g", "~d\\", "~d\\f"},
         123},
        {"files, a folder and a link at the top level",
         {{"~x", false, false}, {"~x.", false, true}, {"~y ", false, false}, {"keep.", false, false},
          {"~e.\\", false, false}, {"~e.\\f", false, false}, {"keep\\", false, false},
          {"~l.\\", false, false, "keep"}},
         "",
         {"Deleting  @\\~x", "Deleting  @\\~x." + FAILED, "Deleting  @\\~y " + FAILED, "Skipping  @\\keep.",
          "Scanning  @\\~e.\\" + FAILED, "Skipping  @\\keep\\", "Removing  @\\~l.\\" + FAILED},
         {"keep.", "keep\\", "~e.\\", "~e.\\f", "~l.\\", "~x. (read-only)", "~y "},
         123},
        {"inside a folder being emptied",
         MIXED_FOLDER,
         "",
         {"Scanning  @\\~d\\", "Deleting  @\\~d\\~x", "Deleting  @\\~d\\~x." + FAILED,
          "Deleting  @\\~d\\~y " + FAILED, "Scanning  @\\~d\\sub.\\" + FAILED, "Removing  @\\~d\\",
          "NotEmpty  @\\~d\\"},
         {"~d\\", "~d\\sub.\\", "~d\\sub.\\f", "~d\\~x.", "~d\\~y "},
         0},
        {"a dry run",
         withTwinsAtTop(MIXED_FOLDER),
         "/DuskHawk",
         {"Deleting  @\\~x", "Deleting  @\\~x." + FAILED, "Scanning  @\\~d\\", "Deleting  @\\~d\\~x", "Deleting  @\\~d\\~x." + FAILED,
          "Deleting  @\\~d\\~y " + FAILED, "Scanning  @\\~d\\sub.\\" + FAILED, "Removing  @\\~d\\"},
         {"~d\\", "~d\\sub.\\", "~d\\sub.\\f", "~d\\~x", "~d\\~x.", "~d\\~y ", "~x", "~x."},
         123},
    };
    int serial = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::string top = scratchFolder() + "\\" + std::to_string(++serial);
        makeFolder(top);
        std::vector<std::string> made;
        for (const Entry& entry : c.entries) {
            std::string path = top + "\\" + entry.path;
            if (entry.linkTarget != nullptr) {
                path.pop_back();
                makeUnixLink(unixPathOf(top + "\\" + entry.linkTarget), path);
            } else if (path.back() == '\\') {
                path.pop_back();
                ASSERT_TRUE(CreateDirectoryA(literal(path).c_str(), nullptr)) << path << ": " << GetLastError();
            } else {
                HANDLE file = CreateFileA(literal(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
                ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << ": " << GetLastError();
                CloseHandle(file);
            }
            made.push_back(entry.path);
        }
        // Listed before the times are set: listing a folder touches it.
        ASSERT_EQ(treeOf(top), sorted(made));
        // Children first, as making an entry touches its folder.
        for (auto entry = c.entries.rbegin(); entry != c.entries.rend(); ++entry) {
            std::string path = literal(top + "\\" + entry->path);
            if (entry->old)
                makeOld(path);
            if (entry->readOnly)
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        }

        DustrelRun run = runDustrel("/y " + c.options + " /p:" + top);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.output;
        EXPECT_EQ(progressLines(run.output, top), sorted(c.lines)) << run.output;
        EXPECT_EQ(treeOf(top), sorted(c.after));
    }
}

} // namespace
