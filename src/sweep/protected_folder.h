#pragma once

#include <windows.h>

// 1 when /A may not empty the folder that handle holds: the root of a
// volume or of a share, the Windows folder, the System folder or SysWOW64,
// whatever name or link led there. Decided on the folder held, which the
// sweep then walks, so that nothing can change between the two.
int isProtectedFolder(HANDLE folder);
