// The frame the skinned controls (edit box, combo box, list box) paint
// around their Win32 child: four corner sprites and 1-pixel edges stretched
// from an edge sample, drawn by the owner into its own device context.
#pragma once

#include <windows.h>

#include "facetkit_api.h"

class cResourceManager;

// Frame pieces by index.
enum { FRAME_TOP_LEFT = 0, FRAME_TOP_RIGHT, FRAME_BOTTOM_RIGHT, FRAME_BOTTOM_LEFT, FRAME_EDGE, FRAME_PIECES };

// Sprite ids of the frame looks 0, 1 and 2, in piece order.
FACETKIT_API const unsigned* FrameLookSprites(int look);

// Lines at least this long are taken for garbage sizes and not drawn.
constexpr int kFrameLineLimit = 5000;

// The raster operation the controls draw their corners with: the
// navigator's skin data, else the main window's, else the base's default.
FACETKIT_API DWORD ControlRasterOp();

struct FACETKIT_API cSkinFrame {
    int width[FRAME_PIECES] = {};
    int height[FRAME_PIECES] = {};
    RECT rect[FRAME_PIECES] = {};
    HDC master = nullptr;

    // Loads the pieces of a look; a piece absent in looks 1 and 2 takes
    // look 0's sprite.
    void LoadLook(cResourceManager* res, int look);
    void LoadPiece(cResourceManager* res, unsigned sprite, int piece);
    bool Has(int piece) const { return master && rect[piece].right >= 0 && width[piece] > 0; }

    // The four corners of the frame (x, y, cx, cy).
    void DrawCorners(HDC dc, int x, int y, int cx, int cy, DWORD rop) const;
    // A horizontal or vertical 1-pixel edge from the edge sample's top-left
    // pixel; nothing for a length below 1.
    void EdgeH(HDC dc, int x, int y, int length) const;
    void EdgeV(HDC dc, int x, int y, int length) const;
    // The top and bottom edges between the corners.
    void DrawTopBottom(HDC dc, int x, int y, int cx, int cy) const;
    // The full-length right and left edges.
    void DrawSides(HDC dc, int x, int y, int cx, int cy) const;
};

// Pixel lines set one by one from first up to (not including) last.
FACETKIT_API void FrameLineV(HDC dc, int x, int first, int last, COLORREF colour);
FACETKIT_API void FrameLineH(HDC dc, int y, int first, int last, COLORREF colour);
// Pixel (3, 4) of a child window's own context: its background colour.
FACETKIT_API COLORREF ChildBackground(HWND child);

// How the controls sit on their Win32 child: the object in the child's user
// data, the control's procedure in place of the class's (answered, null
// when there is no child). Unsubclassing gives the child its own back.
FACETKIT_API WNDPROC SubclassControl(HWND child, const void* object, WNDPROC proc);
FACETKIT_API void UnsubclassControl(HWND child, const void* object, WNDPROC previous);
// A control's window text into a caller's buffer: at most min(size, 260)
// characters including the NUL; answers the length.
FACETKIT_API int ControlText(HWND child, char* buffer, int size);
// The instance a parent window belongs to (null without a parent).
FACETKIT_API HINSTANCE ParentInstance(HWND parent);
