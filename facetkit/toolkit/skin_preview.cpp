#include "skin_preview.h"

#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "library_entry.h"
#include "library_state.h"
#include "resource_manager.h"
#include "skindata.h"

namespace {

// A skin's file name comes from a version record the skin itself wrote: it
// must name a file in the skins folder, nothing above or beside it.
bool IsPlainFileName(const char* name) {
    if (!name || !name[0]) return false;
    if (strpbrk(name, "\\/:")) return false;
    return strcmp(name, ".") != 0 && strcmp(name, "..") != 0;
}

}  // namespace

cSkinPreview::cSkinPreview()
    : height_(0), width_(0), info_{}, owner_(nullptr) {}

cSkinPreview::~cSkinPreview() {}

void cSkinPreview::CreateDC(HDC like, cPreviewOwner* owner) {
    owner_ = owner;
    picture_.Create(like, THUMB_WIDTH, THUMB_HEIGHT);
}

void cSkinPreview::FreeDC() { picture_.Free(); }

bool cSkinPreview::Load(const char* fileName) {
    width_ = 0;
    height_ = 0;
    if (!IsPlainFileName(fileName)) {
        DebugLog(DL_WAR, "cSkinPreview::Load: refused file name");
        return false;
    }
    char path[MAX_PATH];
    if (!bk::TextCopy(path, sizeof path, Library().skinsFolder) || !bk::TextAppend(path, sizeof path, "\\") ||
        !bk::TextAppend(path, sizeof path, fileName)) {
        DebugLog(DL_WAR, "cSkinPreview::Load: path too long");
        return false;
    }
    info_ = MyFileInfo{};
    if (!GetFileVersion(path, &info_)) info_ = MyFileInfo{};
    HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        DebugLog(DL_WAR, "cSkinPreview::Load: %s not readable", fileName);
        return false;
    }
    HBITMAP picture = LoadBitmapA(module, "BM_THUMB");
    if (picture && picture_.Dc()) {
        picture_.Replace(picture);
        BITMAP bm = {};
        if (GetObjectA(picture, sizeof bm, &bm)) {
            width_ = bm.bmWidth;
            height_ = bm.bmHeight;
        }
    } else if (picture) {
        DeleteObject(picture);
    }
    FreeLibrary(module);
    if (owner_) owner_->RepaintPreviewArea();
    return true;
}

void cSkinPreview::Show(HDC dc, int left, int top) {
    if (!owner_ || !dc) return;
    RECT area = owner_->GetPreviewArea();
    cVelmoSkinData* skin = owner_->GetPreviewSkinData();
    const int right = area.left - 5 + (skin ? skin->GetSkinauswahlLinks() : 0);
    const int x = left + (right - left - width_) / 2;
    const int y = top + ((area.bottom - 25 - top) - (height_ + 50)) / 2;
    if (picture_.Dc() && width_ > 0 && height_ > 0) BitBlt(dc, x, y, width_, height_, picture_.Dc(), 0, 0, SRCCOPY);

    int mode = SetBkMode(dc, TRANSPARENT);
    COLORREF colour = SetTextColor(dc, skin ? skin->GetTextcolorN() : RGB(0, 0, 0));
    cResourceManager* res = GetResourceManager();
    HGDIOBJ font = res ? SelectObject(dc, res->GetFont(2)) : nullptr;
    char version[sizeof info_.FileVersion + 16];
    bk::TextFormat(version, sizeof version, "Version %s", info_.FileVersion);
    RECT line = {left, y + height_ + TEXT_GAP, right, y + height_ + TEXT_GAP + LINE_HEIGHT};
    DrawTextA(dc, info_.InternalName, -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    OffsetRect(&line, 0, LINE_HEIGHT);
    DrawTextA(dc, version, -1, &line, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (font) SelectObject(dc, font);
    SetTextColor(dc, colour);
    SetBkMode(dc, mode);
}
