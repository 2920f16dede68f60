// The message-text catalogue: every text a deliverable shows to the user is a
// string of basekit's string table, German at its id and English at id + 2000.
// Texts come out as Windows-1252 bytes, whatever the system's code page.
#pragma once

#include <windows.h>

#include <cstddef>

#include "basekit_api.h"

constexpr int kLanguageGerman = 1;
constexpr int kLanguageEnglish = 2;
constexpr unsigned int kEnglishOffset = 2000;

// Language 2 loads id + 2000 and falls back to id when that text is missing;
// any other language loads id. A null module means basekit's own table. At
// most size - 1 characters and a NUL are stored; a missing text gives "".
BASEKIT_API void GetResourceString(HINSTANCE module, unsigned int id, int language, char* buffer, int size);

// 1 when the Windows major version is above 5.
BASEKIT_API int IsWindowsVista();

// Formats a programme tip's time span (two 14-digit stamps joined by one
// character) with text 490 for display: day label (today, tomorrow or the
// weekday), date, start and end time. A span shorter than 29 characters is
// copied unchanged. `out` must hold 512 bytes.
BASEKIT_API void GetProgrammtippTimeString(const char* span, char* out, int language);
// The same with the caller's buffer size and a given "today".
BASEKIT_API void GetProgrammtippTimeString(const char* span, char* out, size_t outSize, int language,
                                           const SYSTEMTIME& today);
