// The file system redirection that 64-bit Windows applies to 32-bit
// programs: with it, C:\Windows\System32 means SysWOW64 and lines would name
// another folder than the one cleaned. It is off while the run opens and
// walks folders, and on while it loads system libraries, which need it.
// Where it does not exist, both do nothing.
#pragma once

void stopFileRedirection();
void restoreFileRedirection();
