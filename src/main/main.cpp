// The entry point: reads the command line as the system holds it (UTF-16),
// splits it by the documented rules (the runtime's own splitting differs),
// turns each word into an ANSI argument, marked where it is not exact, runs, and writes out the
// console output stream before the process ends.
#include <windows.h>

#include "common/ansi_text.h"
#include "console/output_stream.h"
#include "main/command_line.h"
#include "main/exact_arguments.h"
#include "main/run.h"

enum {
    COMMAND_LINE_UNITS = 32768,          // the longest command line and its zero
    ARGUMENT_BYTES = 2 * 32768 + 2,      // each unit double-byte in the ANSI code page at most
    MAX_WORDS = 32768 + 1,
};

static WCHAR wordStorage[COMMAND_LINE_UNITS];
static WCHAR* words[MAX_WORDS];
static char argumentStorage[ARGUMENT_BYTES];
static char* arguments[MAX_WORDS];
static unsigned char inexact[MAX_WORDS];
static char commandTail[ARGUMENT_BYTES];

int main()
{
    setAnsiCodePage(GetACP());
    openConsoleStream(GetStdHandle(STD_OUTPUT_HANDLE));
    const WCHAR* commandLine = GetCommandLineW();
    int count = splitCommandLine(commandLine, wordStorage, COMMAND_LINE_UNITS, words, MAX_WORDS);
    readExactArguments(count, words, argumentStorage, sizeof argumentStorage, arguments, inexact);
    readExactText(commandLineTail(commandLine), commandTail, sizeof commandTail);
    DWORD code = runDustrel(count, words, arguments, inexact, commandTail);
    closeConsoleStream();
    return static_cast<int>(code);
}
