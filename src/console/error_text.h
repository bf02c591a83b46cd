#pragma once

#include <windows.h>

// Replaces text (a MESSAGE_BUFFER) with the system's message for code, as
// the system formats it, line end included, cut to fit; empty when the
// system has none. Codes 2100 to 2999 are looked up in netmsg.dll first.
void systemErrorText(DWORD code, char* text);
