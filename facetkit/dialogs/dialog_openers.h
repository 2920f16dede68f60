// Connects the library's windows to the pop-ups they open: the timer
// editor, the WAV converter, the settings and the recording's end. Each
// runs modally over the navigator window (the main window without one).
#pragma once

#include "facetkit_api.h"

class cTimerEntry;

namespace dlgs {
// 1 when the user confirmed the entry (the editor wrote into it).
FACETKIT_API int RunTimerEditor(cTimerEntry* entry);
FACETKIT_API void RunWavConverter();
FACETKIT_API void RunSettings();
// The podcast-address pop-up over the navigator; nothing without one.
FACETKIT_API void RunPodcastAddress();
// The stream-address pop-up over the navigator; an address it ends with is played.
FACETKIT_API void RunUserStream();
// Every podcast feed forgets its episodes' file paths (after the podcast
// folder changed).
FACETKIT_API void ResetPodcastEpisodePaths();
FACETKIT_API void InstallDialogOpeners();
// The pop-up seams the start-up leaves on their empty defaults, by name,
// separated by blanks ("" when every one is filled). A slot left empty
// would make a menu entry or button of the running player do nothing.
FACETKIT_API void EmptyDialogSeams(char* names, int size);
}  // namespace dlgs
