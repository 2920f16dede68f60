#include "memory_picture.h"

bool cMemoryPicture::Create(HDC like, int width, int height) {
    Free();
    dc_.Reset(CreateCompatibleDC(like));
    if (!dc_) return false;
    if (width > 0 && height > 0) Replace(CreateCompatibleBitmap(like, width, height));
    return true;
}

void cMemoryPicture::Replace(HBITMAP bitmap) {
    if (!dc_ || !bitmap) return;
    HGDIOBJ previous = SelectObject(dc_.Get(), bitmap);
    if (!first_) first_ = previous;
    bitmap_.Reset(bitmap);
}

void cMemoryPicture::Free() {
    if (dc_ && first_) SelectObject(dc_.Get(), first_);
    first_ = nullptr;
    dc_.Reset();
    bitmap_.Reset();
}
