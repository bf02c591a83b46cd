#pragma once

// The answer to "Are you sure you want to clean up <the folder>?".
enum Confirmation {
    confirmationGiven,     // answered Yes
    confirmationDeclined,  // answered No
    confirmationUnseen,    // nobody can answer: the box cannot be shown, or nobody could see it
};

// Asks in a box. Where nobody could see it (a window station that is not
// visible, as in a service or a task run whether the user is logged on or
// not) the answer is confirmationUnseen at once. user32.dll is loaded here
// only, so that runs without the box never pay for it.
Confirmation askConfirmation();
