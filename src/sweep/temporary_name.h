#pragma once

// 1 when name (an entry name without its folder) is a temporary name:
// *.tmp, ~*, _*, gl*.exe, mse0*, *.~*, *._* (last extension only, no
// regard to case). Every name qualifies under /A. With the diagnostic
// switch it traces the name and its extension, even under /Q.
int isTemporaryName(const char* name);
