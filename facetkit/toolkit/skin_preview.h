// The preview of a skin library in the skin-choice view: its 100 x 70
// thumbnail picture with the skin's name and version below it.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "memory_picture.h"
#include "registry.h"

class cVelmoSkinData;

// What the preview asks of the view that shows it.
class FACETKIT_API cPreviewOwner {
public:
    virtual ~cPreviewOwner() {}
    // The view's area in its window's client coordinates.
    virtual RECT GetPreviewArea() = 0;
    // The metrics of the view's window (the skin list's left margin, the
    // text colour).
    virtual cVelmoSkinData* GetPreviewSkinData() = 0;
    virtual void RepaintPreviewArea() = 0;
};

class FACETKIT_API cSkinPreview {
public:
    enum { THUMB_WIDTH = 100, THUMB_HEIGHT = 70, LINE_HEIGHT = 13, TEXT_GAP = 6 };

    cSkinPreview();
    ~cSkinPreview();
    cSkinPreview(const cSkinPreview&) = delete;
    cSkinPreview& operator=(const cSkinPreview&) = delete;

    void CreateDC(HDC like, cPreviewOwner* owner);
    void FreeDC();
    // Reads the skin file's version block and thumbnail ("BM_THUMB") from
    // the skins folder. The library is read as data: none of its code runs.
    // A file without a thumbnail leaves the picture in place but shows none.
    // False when the name leaves the folder or the file cannot be read.
    bool Load(const char* fileName);
    void Show(HDC dc, int left, int top);

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    const MyFileInfo& GetInfo() const { return info_; }
    HDC GetDC() const { return picture_.Dc(); }

private:
    cMemoryPicture picture_;
    int height_;
    int width_;
    MyFileInfo info_;
    cPreviewOwner* owner_;
};
