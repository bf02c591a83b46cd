#pragma once

#include <windows.h>

// The whole run above the sweep: reads the arguments, opens the log, finds
// the Windows, System and target folders, asks for confirmation, sweeps,
// reports. words are the arguments in UTF-16, arguments and inexact the
// same in the ANSI code page as readArguments takes them; commandTail is
// the command line after the program path, for the log. Returns the exit
// code.
DWORD runDustrel(int count, WCHAR* const* words, char* const* arguments, const unsigned char* inexact,
                 const char* commandTail);
