#include "main/confirmation_box.h"

#include <windows.h>

#include "common/ansi_text.h"
#include "common/run_records.h"
#include "common/version.h"
#include "main/library_call.h"

typedef HWINSTA(WINAPI* GetProcessWindowStationCall)();
typedef BOOL(WINAPI* GetUserObjectInformationCall)(HANDLE, int, void*, DWORD, DWORD*);
typedef HWND(WINAPI* GetForegroundWindowCall)();
typedef int(WINAPI* MessageBoxCall)(HWND, const char*, const char*, UINT);

// False when the window station says it is not visible; true when it is, or
// when it cannot tell (the box itself then decides).
static bool windowStationVisible(HMODULE user)
{
    GetProcessWindowStationCall getStation = findCall<GetProcessWindowStationCall>(user, "GetProcessWindowStation");
    GetUserObjectInformationCall getInformation =
        findCall<GetUserObjectInformationCall>(user, "GetUserObjectInformationA");
    if (getStation == nullptr || getInformation == nullptr)
        return true;
    HWINSTA station = getStation();
    USEROBJECTFLAGS flags = {};
    DWORD needed = 0;
    if (station == nullptr || !getInformation(station, UOI_FLAGS, &flags, sizeof flags, &needed))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

Confirmation askConfirmation()
{
    HMODULE user = LoadLibraryA("user32.dll");
    if (user == nullptr)
        return confirmationUnseen;
    GetForegroundWindowCall getForeground = findCall<GetForegroundWindowCall>(user, "GetForegroundWindow");
    MessageBoxCall messageBox = findCall<MessageBoxCall>(user, "MessageBoxA");
    Confirmation answer = confirmationUnseen;
    if (getForeground != nullptr && messageBox != nullptr && windowStationVisible(user)) {
        char message[MESSAGE_BUFFER];
        TextBuilder line;
        startText(&line, message, sizeof message);
        appendText(&line, "Are you sure you want to clean up ");
        appendText(&line, runTarget.shown);
        appendText(&line, "?");
        // Without a display Wine's box returns -1; a box that fails returns 0.
        int button = messageBox(getForeground(), message, DUSTREL_NAME, MB_YESNO | MB_ICONQUESTION);
        if (button == IDYES)
            answer = confirmationGiven;
        else if (button == IDNO)
            answer = confirmationDeclined;
    }
    FreeLibrary(user);
    return answer;
}
