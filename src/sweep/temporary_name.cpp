#include "sweep/temporary_name.h"

#include "common/ansi_text.h"
#include "common/run_records.h"
#include "console/output_stream.h"

static void traceName(const char* name, const char* extension)
{
    emit("\n[", 1);
    emit(name, 1);
    emit("]\t[", 1);
    emit(extension, 1);
    emit("]", 1);
}

int isTemporaryName(const char* name)
{
    if (runOptions.allFiles)
        return 1;
    const char* extension = findLastChar(name, '.');
    if (extension == nullptr)
        extension = "";
    if (runOptions.diagnostic)
        traceName(name, extension);

    return equalsNoCase(extension, ".tmp") ||
           beginsWithNoCase(name, "~") ||
           beginsWithNoCase(name, "_") ||
           (beginsWithNoCase(name, "gl") && equalsNoCase(extension, ".exe")) ||
           beginsWithNoCase(name, "mse0") ||
           beginsWithNoCase(extension, ".~") ||
           beginsWithNoCase(extension, "._");
}
