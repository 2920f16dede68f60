// Recording-quality profiles ("formate.ini": sample rate, sample depth,
// channels) and cut profiles ("schneiden.ini": kind, interval, own folder)
// in the user folder. A profile is a section; its name is what the user
// sees and what timer entries and settings refer to. Names lose CR, LF and
// brackets on the way into a file, the same way on reading, writing and
// deleting. Every change replaces the file as a whole, under the timer
// mutex, so that a failed write leaves the previous file intact.
#pragma once

#include "basekit_api.h"

// The profile names of "formate.ini", each NUL-terminated, the list ended by
// an empty name.
BASEKIT_API void ReadFormate(char* buffer, int size);
// Absent keys give 44100, 16, 2 and -1. Nothing is read or written when one
// of the first three outputs is null; a null language is skipped.
BASEKIT_API void GetRecQualitySettings(const char* name, int* sps, int* bps, int* nch, int* language);
// Writes the three values and keeps (or adds as -1) the profile's language.
// An empty name does nothing. Returns 1 when the file was written.
BASEKIT_API int SetRecQualitySettings(const char* name, int sps, int bps, int nch);
BASEKIT_API int DeleteRecQualitySettings(const char* name);

// Absent keys give 0, 20, 0 and -1; null outputs as above.
BASEKIT_API void GetAutoCutSettings(const char* name, int* type, int* value, int* folder, int* language);
BASEKIT_API int SetAutoCutSettings(const char* name, int type, int value, int folder, int language);
BASEKIT_API int DeleteAutoCutSettings(const char* name);
// Rewrites "schneiden.ini" with its profiles ordered by kind, then interval;
// every profile is kept, however many there are. A missing file stays
// missing.
BASEKIT_API int SortAutoCutSettings();

// The file names the functions above use.
const char kFormateFile[] = "formate.ini";
const char kSchneidenFile[] = "schneiden.ini";
