#pragma once

// Writes the summary line of the run's totals into line (a MESSAGE_BUFFER),
// ending in a line break and beginning without one:
// "Summary: D files deleted, R folders removed, K skipped, S spared,
// F failed (c1, c2), B bytes freed." with singular words for 1, the codes
// only when F > 0, and "to delete", "to remove", "to free" in a run that
// changes nothing.
void writeSummaryLine(char* line);
