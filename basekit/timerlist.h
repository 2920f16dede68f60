// The user's timer list file "clockwarden.ini" in the user folder: one
// section per entry, named "0", "1", ... in list order. The main program,
// the skin engine and the scheduler exchange their timer entries only
// through these two functions, under the mutex "TUNERDECK_TIMER_MUTEX".
#pragma once

#include "basekit_api.h"
#include "liste.h"

// Writes every cTimerEntry of the list (but those with log mark 2) as the
// new file. The old file stays whole until the new one is complete; an
// empty list removes the file. Returns 1 on success, 0 when nothing was
// changed (list refuses a walk, no user folder, lock or disk failure).
BASEKIT_API int SaveTimerList(cListe* list);
// Appends the file's entries to the list as new cTimerEntry objects with
// their section numbers as ids; reading stops at the first section without
// a name. The list is not emptied first. Returns the number appended.
BASEKIT_API int LoadTimerList(cListe* list);

// The same on a file named by the caller (tools and tests).
BASEKIT_API int SaveTimerListFile(cListe* list, const char* path);
BASEKIT_API int LoadTimerListFile(cListe* list, const char* path);
