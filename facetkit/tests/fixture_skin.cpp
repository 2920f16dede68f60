// A deliberately careless skin for the resource manager's tests: a small
// master bitmap without an English variant, and rectangles that are
// inverted, negative or reach outside the bitmap.
#include <windows.h>

#include "skin_plugin_api.h"

SKIN_PLUGIN_EXPORT RECT GetResourceRect(int id) {
    switch (id) {
    case 1: return RECT{0, 0, 9, 4};          // 10 x 5
    case 2: return RECT{20, 20, 10, 30};      // inverted
    case 3: return RECT{90, 60, 200, 100};    // beyond the 100 x 70 bitmap
    case 4: return RECT{-5, -5, 3, 3};        // negative
    case 5: return RECT{0, 0, 99, 69};        // the whole bitmap
    case 6: return RECT{50, 10, 50, 10};      // one pixel
    default: return RECT{-1, -1, -1, -1};
    }
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
