#include "console/error_text.h"

#include "common/ansi_text.h"
#include "common/run_records.h"

void systemErrorText(DWORD code, char* text)
{
    char found[MESSAGE_BUFFER] = {};
    HMODULE networkMessages = nullptr;
    if (code >= 2100 && code < 3000)
        networkMessages = LoadLibraryExA("netmsg.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);

    DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
    if (networkMessages != nullptr)
        flags |= FORMAT_MESSAGE_FROM_HMODULE;
    char* allocated = nullptr;
    if (FormatMessageA(flags, networkMessages, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<char*>(&allocated), 0, nullptr) != 0) {
        TextBuilder builder;
        startText(&builder, found, sizeof found);
        appendText(&builder, allocated);
        LocalFree(allocated);
    }
    if (networkMessages != nullptr)
        FreeLibrary(networkMessages);
    CopyMemory(text, found, sizeof found);
}
