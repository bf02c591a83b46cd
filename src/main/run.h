#pragma once

#include <windows.h>

// The whole run above the sweep: reads the arguments, opens the log, finds
// the Windows, System and target folders, asks for confirmation, sweeps,
// reports. inexact (or nullptr) marks the arguments that cannot be read
// exactly; commandTail is the command line after the program path, for the
// log. Returns the exit code.
DWORD runDustrel(int count, char** arguments, const unsigned char* inexact, const char* commandTail);
