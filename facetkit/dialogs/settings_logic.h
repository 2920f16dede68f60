// The rules of the settings pages that involve no window: number fields and
// their limits, the choices of the drop-down lists and the stored values
// behind them, the guided page order, and the recording lists the host
// sends. They make no Windows calls.
#pragma once

#include <string>
#include <vector>

#include "facetkit_api.h"

namespace settings {

// Reads the leading decimal digits of a number field (0 when there are
// none) and brings the value into [low, high]. `adjusted` tells whether the
// stored value differs from what was typed (empty, not a number, or outside).
FACETKIT_API int ClampedNumber(const char* text, int low, int high, bool* adjusted);

// Number of connection attempts: entries "1".."9" and "unlimited" (stored 0).
FACETKIT_API int RetryIndex(int value);
FACETKIT_API int RetryValue(int index);
// Age in days after which expired programme tips go: entries 0..5 days and
// "never" (stored -1).
FACETKIT_API int TipsIndex(int days);
FACETKIT_API int TipsValue(int index);
// The four podcast choices are stored 1-based.
inline int PodcastIndex(int value) { return value - 1; }
inline int PodcastValue(int index) { return index + 1; }

// Guided mode: the page after or before `page`, skipping the recording page
// without a record button and the programme-tips page outside German.
FACETKIT_API int NextPage(int page, bool hasRecordButton, bool german);
FACETKIT_API int PreviousPage(int page, bool hasRecordButton, bool german);

// A recording list as the host sends it: entries separated by the byte 1;
// an entry that starts with the byte 2 is no entry but the decimal index of
// the current choice. `choice` is -1 without a usable marker (none, not a
// number, or no entry at that index). A trailing separator adds no entry.
FACETKIT_API void ParseRecList(const char* text, size_t length, std::vector<std::string>* entries, int* choice);

// Whether a typed folder can hold the player's files: empty (the player's
// own choice), or a full path ("X:\..." or "\\server\share...") without
// * ? " < > | or control characters, without "." or ".." steps and
// without a device name (CON, NUL, COM1 ...) as a step.
FACETKIT_API bool IsUsableFolder(const char* path);

}  // namespace settings
