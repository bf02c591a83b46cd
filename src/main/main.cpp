// The entry point: splits the command line by the documented rules (the
// runtime's own splitting differs), runs, and writes out the console
// output stream before the process ends.
#include <windows.h>

#include "common/ansi_text.h"
#include "console/output_stream.h"
#include "main/command_line.h"
#include "main/run.h"

enum {
    COMMAND_LINE_BYTES = 65536 + 2,  // 32767 UTF-16 units, double-byte in the ANSI code page
    MAX_WORDS = 32768 + 1,
};

static char wordStorage[COMMAND_LINE_BYTES];
static char* words[MAX_WORDS];

int main()
{
    setAnsiCodePage(GetACP());
    openConsoleStream(GetStdHandle(STD_OUTPUT_HANDLE));
    const char* commandLine = GetCommandLineA();
    int count = splitCommandLine(commandLine, wordStorage, sizeof wordStorage, words, MAX_WORDS);
    DWORD code = runDustrel(count, words, commandLineTail(commandLine));
    closeConsoleStream();
    return static_cast<int>(code);
}
