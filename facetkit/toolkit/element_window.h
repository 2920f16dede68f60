// The child window a skin element draws itself in: a "Static" window of the
// element's style, subclassed with the element's procedure, with the element
// object in its user data.
#pragma once

#include <windows.h>

// No class cursor (the skinned window chooses the cursor). previous receives
// the replaced procedure. Null when the window cannot be made.
HWND CreateElementWindow(HWND parent, DWORD style, int x, int y, int width, int height, WNDPROC proc, void* owner,
                         WNDPROC* previous);
// Detaches the object first, so messages still on their way find none, then
// gives the window its procedure back and destroys it.
void DestroyElementWindow(HWND window, WNDPROC previous);
