#include "common/folder_path.h"

#include "common/ansi_text.h"
#include "common/run_records.h"

int normalizeFolder(char* path)
{
    // Steps over whole characters: the trail byte of a double-byte
    // character may be 0x5C and is still not a backslash.
    unsigned keep = 0;
    unsigned position = 0;
    while (path[position] != '\0') {
        unsigned length = charLength(path + position);
        position += length;
        if (length == 2 || path[position - 1] != '\\')
            keep = position;
    }
    if (keep + 1 > PATH_BUFFER - 1)
        return 0;
    path[keep] = '\\';
    path[keep + 1] = '\0';
    return 1;
}
