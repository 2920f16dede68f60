// An off-screen picture: a memory device context with a bitmap of its own
// selected into it, given back in the right order (the DC's first bitmap
// selected again before the own one is deleted).
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "win_handles.h"

class FACETKIT_API cMemoryPicture {
public:
    cMemoryPicture() {}
    ~cMemoryPicture() { Free(); }
    cMemoryPicture(const cMemoryPicture&) = delete;
    cMemoryPicture& operator=(const cMemoryPicture&) = delete;

    // A DC compatible with `like` and, for a positive size, a bitmap of that
    // size; false without a DC.
    bool Create(HDC like, int width, int height);
    // Takes the bitmap over in place of the current one.
    void Replace(HBITMAP bitmap);
    void Free();
    HDC Dc() const { return dc_.Get(); }

private:
    bk::ScopedMemDC dc_;
    bk::ScopedGdiObject bitmap_;
    HGDIOBJ first_ = nullptr;
};
