// The settings key the skin reads "OEM_Player" from: string 30 of the start
// program beside the running program, as every part of an installation
// finds it.
#include <windows.h>

#include <cstring>

#include "bounded_text.h"
#include "win_handles.h"
#include "zentorra_skin.h"

namespace zf {

void SettingsKeyFor(const char* programPath, char* key, size_t keySize) {
    bk::TextCopy(key, keySize, "SOFTWARE\\Velmirant\\Radio");
    char folder[MAX_PATH + 1];
    bk::TextCopy(folder, programPath ? programPath : "");
    // Cut the file name off, at the last "\" and then at the last "/",
    // each only where there is one.
    if (char* cut = strrchr(folder, '\\')) *cut = 0;
    if (char* cut = strrchr(folder, '/')) *cut = 0;
    char path[MAX_PATH + 32];
    if (!bk::TextFormat(path, sizeof path, "%s\\launchgate.exe", folder)) return;
    bk::ScopedModule gate(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!gate) return;
    char text[512] = {};
    if (LoadStringA(gate.Get(), 30, text, sizeof text) > 0 && text[0]) bk::TextCopy(key, keySize, text);
}

}  // namespace zf
