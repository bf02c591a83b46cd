#pragma once

// 1 when /A may not empty folder: the root of a drive or of the current
// drive, a network server or share without a folder below it, the Windows
// folder or the System folder, under any spelling that reaches them.
int isProtectedFolder(const char* folder);
