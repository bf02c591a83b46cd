#include "console/summary_line.h"

#include "common/ansi_text.h"
#include "common/run_records.h"

// "1 file deleted" or "2 files deleted": count, noun, "s" unless 1, words.
static void appendCount(TextBuilder* line, ULONGLONG count, const char* noun, const char* words)
{
    appendDigits(line, count, 1);
    appendText(line, " ");
    appendText(line, noun);
    if (count != 1)
        appendText(line, "s");
    appendText(line, words);
}

void writeSummaryLine(char* line)
{
    const RunTotals& totals = runTotals;
    bool dryRun = !runOptions.applyChanges;  // /L and the diagnostic switch change nothing
    TextBuilder text;
    startText(&text, line, MESSAGE_BUFFER);
    appendText(&text, "Summary: ");
    appendCount(&text, totals.filesDeleted, "file", dryRun ? " to delete, " : " deleted, ");
    appendCount(&text, totals.foldersRemoved, "folder", dryRun ? " to remove, " : " removed, ");
    appendDigits(&text, totals.skipped, 1);
    appendText(&text, " skipped, ");
    appendDigits(&text, totals.spared, 1);
    appendText(&text, " spared, ");
    appendDigits(&text, totals.failed, 1);
    appendText(&text, " failed");
    for (unsigned i = 0; i < totals.failureCodeCount; ++i) {
        appendText(&text, i == 0 ? " (" : ", ");
        appendNumber(&text, totals.failureCodes[i]);
    }
    appendText(&text, totals.failureCodeCount > 0 ? "), " : ", ");
    appendCount(&text, totals.bytesFreed, "byte", dryRun ? " to free.\n" : " freed.\n");
}
