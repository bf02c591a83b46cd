// The folders above the target, held open while the sweep runs, sharing no
// deletion: no process can rename or replace one of them meanwhile. The
// sweep acts relative to the folders it holds in any case; under Wine a
// rename above a held folder would leave every later act on it undone
// without a word, so the rename is refused instead.
#pragma once

// Holds every folder between the root of folder's drive or share and
// folder itself; one that cannot be opened is passed over.
void holdAncestors(const char* folder);

void releaseAncestors();
