// A stand-in for the skin engine's C functions, built as "facetkit.dll": it
// writes down every call a skin makes, one line each, so tests compare the
// skin's element set-up and reactions with what they expect. The engine's
// opaque objects are these small records here.
#pragma once

#include <windows.h>

struct EngineList {
    char name[16];   // shows in the call lines
};

struct EngineWindow {
    char name[16];
    HWND wnd;
    EngineList* list;
};

// The engine's extra exports for the tests.
typedef const char* (*EngineCallLogFn)();   // all lines so far, "\n" after each
typedef void (*EngineResetFn)();            // forgets the lines (the elements stay)
