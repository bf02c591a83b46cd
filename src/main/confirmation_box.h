#pragma once

// Asks "Are you sure you want to clean up <targetFolder>?" in a box. True
// only when it is answered Yes: where the box cannot be shown, or nobody
// could see it (a window station that is not visible, as in a service or a
// task run whether the user is logged on or not), it is false at once.
// user32.dll is loaded here only, so that runs without the box never pay
// for it.
bool userConfirms();
