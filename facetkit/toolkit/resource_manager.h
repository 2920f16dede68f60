// The skin resource manager: the master bitmap of the loaded skin in a
// memory device context, the rectangles of its sprites, the skin engine's
// four fonts and the tool-tip texts of the elements. Every window, element
// and control paints through it.
#pragma once

#include <windows.h>

#include "facetkit_api.h"

// Number of sprite ids (0 .. kSpriteCount - 1); any other id is absent.
constexpr unsigned kSpriteCount = 413;

class FACETKIT_API cResourceManagerInterface {
public:
    cResourceManagerInterface() {}
    virtual HFONT GetFont(int index) = 0;
    // Loads a bitmap resource of the skin (the "_ENG" variant first when the
    // language is English) into a new memory DC compatible with `like`.
    // Both out-parameters are null when no bitmap of the name exists.
    virtual void LoadBitmapDC(HDC like, HDC* dc, HBITMAP* old, const char* name) = 0;
    virtual void FreeBitmapDC(HDC* dc, HBITMAP* old) = 0;
    // The master DC; the sprite's rectangle (inclusive, -1s when absent).
    virtual HDC GetDC(unsigned id, RECT* rect) = 0;
    virtual HBITMAP LoadBitmap(const char* name) = 0;
    virtual void GetToolTipText(unsigned id, char* buffer, int size) = 0;
    virtual ~cResourceManagerInterface() {}
};

class FACETKIT_API cResourceManager : public cResourceManagerInterface {
public:
    // language: 2 English, anything else German.
    cResourceManager(HMODULE skinModule, int language);
    ~cResourceManager() override;
    cResourceManager(const cResourceManager&) = delete;
    cResourceManager& operator=(const cResourceManager&) = delete;

    HFONT GetFont(int index) override;
    void LoadBitmapDC(HDC like, HDC* dc, HBITMAP* old, const char* name) override;
    void FreeBitmapDC(HDC* dc, HBITMAP* old) override;
    HDC GetDC(unsigned id, RECT* rect) override;
    HBITMAP LoadBitmap(const char* name) override;
    void GetToolTipText(unsigned id, char* buffer, int size) override;

    // Drawing; each returns the GDI call's result, or 1 without drawing for
    // an absent sprite. The source never reaches outside the sprite.
    BOOL DrawBitmap(HDC dc, int x, int y, unsigned id, DWORD rop);
    BOOL BitBlt(HDC dc, int x, int y, int cx, int cy, unsigned id, int offsetX, int offsetY, DWORD rop);
    BOOL StretchBlt(HDC dc, int x, int y, int cx, int cy, unsigned id, int offsetX, int offsetY, DWORD rop);

    // Top-left pixel of the sprite (a background colour); white when absent.
    COLORREF GetPixel(unsigned id);
    int GetGfxWidth(unsigned id) const;
    int GetGfxHeight(unsigned id) const;
    bool HasSprite(unsigned id) const;

    void SetLanguage(int language) { language_ = language; }
    int GetLanguage() const { return language_; }

    // False when the skin has no master bitmap: nothing it draws would show.
    bool IsValid() const { return masterDc_ != nullptr; }
    SIZE GetMasterSize() const { return masterSize_; }

private:
    void ReadSpriteTable();
    const RECT* Sprite(unsigned id) const;

    HMODULE module_;
    RECT sprites_[kSpriteCount];
    HDC masterDc_;
    HBITMAP masterOld_;
    HFONT fonts_[4];
    int language_;
    SIZE masterSize_;
    // A skin without a colour sprite is told once, not at every paint.
    volatile LONG absentColourLogged_ = 0;
};

// Copies part of a sprite (cx by cy from offset within it) to (x, y). The
// source is cut at the sprite's edges; an absent sprite draws nothing and
// counts as success (1).
FACETKIT_API BOOL SpriteBlt(cResourceManagerInterface* res, HDC dc, int x, int y, int cx, int cy, unsigned id,
                            int offsetX, int offsetY, DWORD rop);
// Width and height of a sprite (0 when absent) through any resource manager.
FACETKIT_API SIZE SpriteSize(cResourceManagerInterface* res, unsigned id);

// Catalogue string of an element's tool tip, 0 when the element has none.
FACETKIT_API unsigned ToolTipStringId(unsigned elementId);
