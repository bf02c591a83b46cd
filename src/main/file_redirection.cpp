#include "main/file_redirection.h"

#include <windows.h>

#include "main/library_call.h"

typedef BOOL(WINAPI* DisableRedirectionCall)(void**);
typedef BOOL(WINAPI* RevertRedirectionCall)(void*);

static void* redirectionState;
static bool redirectionStopped;

void stopFileRedirection()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    DisableRedirectionCall disable = findCall<DisableRedirectionCall>(kernel, "Wow64DisableWow64FsRedirection");
    if (!redirectionStopped && disable != nullptr)
        redirectionStopped = disable(&redirectionState) != 0;
}

void restoreFileRedirection()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    RevertRedirectionCall revert = findCall<RevertRedirectionCall>(kernel, "Wow64RevertWow64FsRedirection");
    if (redirectionStopped && revert != nullptr)
        revert(redirectionState);
    redirectionStopped = false;
}
