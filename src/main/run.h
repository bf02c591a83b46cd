#pragma once

#include <windows.h>

// The whole run above the sweep: reads the arguments, finds the Windows,
// System and target folders, asks for confirmation, sweeps, reports.
// Returns the exit code.
// inexact (or nullptr) marks the arguments that cannot be read exactly.
DWORD runDustrel(int count, char** arguments, const unsigned char* inexact);
