#include "console/usage.h"

#include "common/ansi_text.h"
#include "common/version.h"
#include "console/output_stream.h"

static void shortenToProgramName(char* programPath)
{
    const char* separator = findLastChar(programPath, '\\');
    if (separator == nullptr)
        return;
    const char* name = separator + 1;
    unsigned length = textLength(name);
    MoveMemory(programPath, name, length + 1);
}

void printUsage(char* programPath)
{
    shortenToProgramName(programPath);
    const char* const texts[] = {
        "\n",
        "\n",
        DUSTREL_NAME,
        " version ",
        DUSTREL_VERSION,
        "\n",
        "\n",
        "\n Cleans temporary files out of the %TEMP% directory.",
        "\n",
        "\n Temporary files include the following patterns:",
        "\n (*.tmp;  ~*.*;  _*.*;  gl*.exe;  mse0*.*;  *.~*;  *._*)",
        "\n",
        "\n",
        "\n Syntax: ",
        programPath,
        " [/Y] [/O] [/D:n] [/A] [/P:folder] [/Q] [/L] [/LOG:file]",
        "\n",
        "\n /Y suppresses the 'Are you sure?' prompt.",
        "\n /O deletes only old files. Any files that have been created, modified or ",
        "\n    accessed on the same day will be skipped.",
        "\n /D:n skips files created, modified or accessed in the last n days (1-3650).",
        "\n /L lists what would be deleted: nothing is changed and nothing is asked.",
        "\n /LOG:file appends the report, dated and with a summary, to a log file.",
        "\n /A deletes all files, not just temporary files (Use caution!).",
        "\n /P allows you to clean out a folder other than %TEMP%.",
        "\n    (When used with /A the root, %WINDIR% and System folders are not allowed.)",
        "\n /Q suppresses all output, including errors.",
        "\n",
        "\n /? or -? displays this syntax and always returns 1.",
        "\n  A successful completion returns 0.",
        "\n",
        "\n",
        "\n " DUSTREL_NAME " is made and maintained by the Dustrel developers; it comes with no warranty.",
        "\n",
    };
    for (const char* text : texts)
        insertText(text);
}
