// A function of a system library loaded at run time, so that a run that
// never needs the library never pays for loading it.
#pragma once

#include <windows.h>

// The function name in module as type Call, or nullptr.
template <typename Call>
Call findCall(HMODULE module, const char* name)
{
    return reinterpret_cast<Call>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
