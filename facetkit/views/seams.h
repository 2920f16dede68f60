// The slots through which the library's pieces reach their collaborators
// (the main window's hooks, the pop-up openers, the profile editors'
// hooks, the recording pop-ups, the navigator's list replies, the timer
// editor). Tests put their own into them; the one start-up routine below
// puts the production ones in, so that no slot is left at a default that
// does nothing.
#pragma once

#include <string>

#include "facetkit_api.h"

// Called by BuildUp before the first window exists.
FACETKIT_API void InstallSeams();
// The names of the slots that are empty or still at their do-nothing
// default, each followed by a blank; empty when every slot is filled.
FACETKIT_API std::string EmptySeams();
