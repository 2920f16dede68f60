// Small text routines shared by the deliverables: character and text
// replacement, a search that ignores letter case, the decoding of URL escapes
// and numeric character references in texts from the network, and the
// cleaning of a text for use as a file name. Free of Windows calls, so they
// also build natively for fuzzing.
#pragma once

#include <cstddef>

#include "basekit_api.h"

// Replaces every `from` by `to` in place.
BASEKIT_API void StringReplace(char* text, char from, char to);
// Whether Windows opens a device, not a file, for this name: CON, PRN, AUX,
// NUL, COM1-9, LPT1-9 in any case, also with an extension ("nul.txt").
BASEKIT_API bool IsDeviceName(const char* name);
// First place of `find` in `text`, comparing a-z and A-Z alike; null when
// it does not occur (or an argument is null); `text` when `find` is empty.
BASEKIT_API const char* mystristr(const char* text, const char* find);
inline char* mystristr(char* text, const char* find) {
    return const_cast<char*>(mystristr(static_cast<const char*>(text), find));
}
// Replaces every occurrence of `find` (case ignored) by `with`, left to
// right, never inside inserted text. The text never grows: a `with` longer
// than `find` leaves the text unchanged (returns 0); else returns 1.
BASEKIT_API int ReplaceString(char* text, const char* find, const char* with);
// Decodes the URL escapes and numeric character references of the player's
// table into their Windows-1252 bytes, in place. A text made into a file name
// must be cleaned with EnsureFileName after this, never before (the table
// decodes "%2F" and "%5C" into separators).
BASEKIT_API void DoZeichenersetzung(char* text);
BASEKIT_API int IsWhiteSpace(char c);
// Makes a text usable as a file name, in place: : / \ ? | " < > * and control
// characters become "_", dots at the start and dots and blanks at the end are
// removed, and a device name (CON, NUL, COM1, ...) gets "_" as its first
// character. May leave an empty name: the caller then uses a default.
BASEKIT_API void EnsureFileName(char* name);

// Numbers: splits at ";", skips empty fields, stores at most *count numbers
// and sets *count to the number stored.
BASEKIT_API void ConvertListToArray(const char* list, int* values, int* count);
// Texts: splits at the byte 0x02 into the caller's buffers of fieldSize bytes
// each (every field cut to fit); empty fields before a text give empty texts,
// empty fields after the last text give nothing; *count in: the number of
// buffers, out: the number filled.
constexpr char kListTextSeparator = 0x02;
BASEKIT_API void ConvertListToArray(const char* list, char** values, int* count, size_t fieldSize);
