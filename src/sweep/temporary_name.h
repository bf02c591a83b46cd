#pragma once

#include <windows.h>

// 1 when name (an entry name without its folder, units UTF-16 units) is a
// temporary name: *.tmp, ~*, _*, gl*.exe, mse0*, *.~*, *._* (last extension
// only, ASCII letters in either case). Judged on the name as the file system
// holds it, so a name the code page cannot show is judged all the same.
// Every name qualifies under /A. With the diagnostic switch it traces the
// name as shown (lines show it so) and its extension, even under /Q.
int isTemporaryName(const WCHAR* name, unsigned units, const char* shown);
