// Which accounts can change a folder or own a file. Trusted are the account
// the run runs as, SYSTEM, the Administrators group and TrustedInstaller: a
// link in a folder that no other account can change was made by one of
// them, so it may be followed; any other link may have been put there to
// turn the run elsewhere.
#pragma once

#include <windows.h>

// True when no account but the trusted ones can add, delete or rename the
// folder's entries, or change its DACL or owner: its owner is trusted and
// no allow entry of its DACL gives such a right to another account. False
// too when that cannot be read.
bool onlyTrustedCanChange(HANDLE folder);

// The same judgment on a folder's security descriptor, read already.
bool onlyTrustedMayChange(PSECURITY_DESCRIPTOR descriptor);

// True when the file's owner is the account the run runs as, SYSTEM or the
// Administrators group.
bool ownedByRunningAccount(HANDLE file);
