#include "skin_exports.h"

#include <cstring>
#include <vector>

#include "button_list.h"
#include "debugtext.h"
#include "motion_picture.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "volume_slider.h"
#include "window_binding.h"
#include "wnd_button.h"

namespace {

cActiveElement* Find(cButtonListe* list, DWORD id) {
    return list ? static_cast<cActiveElement*>(list->GetById(id)) : nullptr;
}

// The element of this id when it is a window button: type 2 is also worn by
// other elements with windows of their own, so the class decides.
cWndButton* FindWndButton(cButtonListe* list, DWORD id) {
    cActiveElement* e = Find(list, id);
    return e && e->GetTyp() == ET_WINDOW_BUTTON ? dynamic_cast<cWndButton*>(e) : nullptr;
}

cVolumeSlider* FindVolume(cButtonListe* list, DWORD id) {
    cActiveElement* e = Find(list, id);
    return e && e->GetTyp() == ET_VOLUME_SLIDER ? dynamic_cast<cVolumeSlider*>(e) : nullptr;
}

RECT Rect(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

// How long ListeDeleteById waits for walks that are still open.
const DWORD kIteratorWaitMs = 2000;

}  // namespace

cWndButton* AddWndButtonToList(cButtonListe* list, cSkinWnd* window, cResourceManager* res, DWORD sprite, int x,
                               int y, DWORD id, int group, HRGN* regions, int flags) {
    if (!list || !window) {
        DebugLog(DL_ERR, "AddWndButtonToList: no list or window (id %lu)", static_cast<unsigned long>(id));
        return nullptr;
    }
    return list->AddWndButton(window, res, sprite, POINT{x, y}, id, group, regions, flags);
}

cMotionPicture* AddMotionPictureToList(cButtonListe* list, cSkinWnd* window, cResourceManager* res, int x, int y,
                                       DWORD id, DWORD sprite, HRGN* regions, int count) {
    if (!list || !window) {
        DebugLog(DL_ERR, "AddMotionPictureToList: no list or window (id %lu)", static_cast<unsigned long>(id));
        return nullptr;
    }
    return list->AddMotionPicture(window->GetWindow(), res, POINT{x, y}, id, sprite, regions, count);
}

void ButtonListAddScrollText(cButtonListe* list, cResourceManager* res, DWORD kept, int mainFont, int secondFont,
                             HWND parent, DWORD id, int left, int top, int right, int bottom, DWORD colour,
                             int unused1, int unused2) {
    if (!list) return;
    list->AddScrollText(res, kept, mainFont, secondFont, parent, id, Rect(left, top, right, bottom), colour,
                        unused1, unused2);
}

void ButtonListAddVolume(cButtonListe* list, cSkinWnd* window, cResourceManager* res, DWORD kind, int knobLeft,
                         int knobTop, int knobRight, int knobBottom, int firstX, int firstY, int secondX,
                         int secondY, int ownLeft, int ownTop, int ownRight, int ownBottom, int startX, int startY,
                         int endX, int endY, HRGN* knobRegions, HRGN* secondRegions, HRGN* firstRegions) {
    if (!list) return;
    list->AddVolume(window, res, kind, Rect(knobLeft, knobTop, knobRight, knobBottom), POINT{firstX, firstY},
                    POINT{secondX, secondY}, Rect(ownLeft, ownTop, ownRight, ownBottom), POINT{startX, startY},
                    POINT{endX, endY}, knobRegions, secondRegions, firstRegions, 9, 11, 10, 60);
}

void InvokeWndButton(cWndButton* button, int press) {
    if (!button) return;
    if (press)
        button->Invoke();
    else
        button->Uninvoke();
}

void WndButtonAddAnim(cWndButton* button, int steps, int sprite, int extra, HRGN* regions) {
    if (button) button->AddAnim(steps, sprite, extra, regions);
}

void WndButtonSetPos(cWndButton* button, int x, int y, int leftAligned) {
    if (button) button->SetPos(POINT{x, y}, leftAligned);
}

void ListeMarkForDelete(cButtonListe* list, bool mark) {
    if (list) list->MarkForDelete(mark);
}

void ListeDeleteById(cButtonListe* list, int count, const DWORD* ids) {
    if (!list || !ids || count <= 0) return;
    std::vector<cListElement*> found;
    for (int i = 0; i < count; ++i) {
        cListElement* e = list->GetById(ids[i]);
        bool twice = false;
        for (cListElement* f : found) twice = twice || f == e;
        if (e && !twice) found.push_back(e);   // an id given twice is deleted once
    }
    list->MarkForDelete(true);
    // Walks that are still open end first; a walk that never ends keeps its
    // elements (a leak is better than a walk over freed memory).
    DWORD start = GetTickCount();
    // A walk may be held by a window of this thread: its messages go on.
    while (list->GetNumIterators() > 0 && GetTickCount() - start < kIteratorWaitMs) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(1);
    }
    if (list->GetNumIterators() > 0) {
        DebugLog(DL_ERR, "ListeDeleteById: %d walks still open, nothing deleted", list->GetNumIterators());
    } else {
        for (cListElement* e : found) list->Delete(e);
    }
    list->MarkForDelete(false);
}

void ActiveElementSetVisible(cButtonListe* list, DWORD id, int visible) {
    cActiveElement* e = Find(list, id);
    if (!e) return;
    // An element with a window of its own is shown or hidden by its window's
    // thread.
    if (HWND window = e->GetWindow())
        PostMessageA(window, WM_SKIN_SHOW_ELEMENT, static_cast<WPARAM>(visible), 0);
    else
        e->SetVisible(visible);
}

void ActiveElementSetBtnLook(cButtonListe* list, DWORD id, int look) {
    if (cWndButton* b = FindWndButton(list, id)) {
        b->SetBtnLook(look);
        b->Invalidate();
    }
}

void ActiveElementSetRect(cButtonListe* list, DWORD id, int left, int top, int right, int bottom, int option) {
    if (cActiveElement* e = Find(list, id)) e->SetRect(Rect(left, top, right, bottom), option);
}

RECT ActiveElementGetRect(cButtonListe* list, DWORD id) {
    cActiveElement* e = Find(list, id);
    return e ? e->GetRect() : Rect(0, 0, 0, 0);
}

void ActiveElementSetTransparenz(cButtonListe* list, DWORD id, int flag, void* window) {
    if (cActiveElement* e = Find(list, id)) e->SetTransparent(flag, window);
}

int ActiveElementGetStatus(cButtonListe* list, DWORD id) {
    cActiveElement* e = Find(list, id);
    return e ? e->GetStatus() : 0;
}

void ActiveElementSetStatus(cButtonListe* list, DWORD id, int status) {
    if (cActiveElement* e = Find(list, id)) e->SetStatus(status);
}

void ActiveElementSetEnable(cButtonListe* list, DWORD id, int enable) {
    cActiveElement* e = Find(list, id);
    if (!e) return;
    // As for showing: a window button is enabled by its window's thread.
    HWND window = FindWndButton(list, id) ? e->GetWindow() : nullptr;
    if (!fkwin::PostedToWindowThread(window, WM_SKIN_ENABLE_ELEMENT, static_cast<WPARAM>(enable))) e->SetEnable(enable);
}

void VolumeGetPosition(cButtonListe* list, DWORD id, RECT* knob, POINT* first, POINT* second, RECT* own,
                       POINT* trackStart, POINT* trackEnd) {
    cVolumeSlider* v = FindVolume(list, id);
    if (!v) return;
    RECT k, o;
    POINT f, s, ts, te;
    v->GetPosition(&k, &f, &s, &o, &ts, &te);
    if (knob) *knob = k;
    if (first) *first = f;
    if (second) *second = s;
    if (own) *own = o;
    if (trackStart) *trackStart = ts;
    if (trackEnd) *trackEnd = te;
}

void VolumeSetPosition(cButtonListe* list, DWORD id, int knobLeft, int knobTop, int knobRight, int knobBottom,
                       int firstX, int firstY, int secondX, int secondY, int ownLeft, int ownTop, int ownRight,
                       int ownBottom, int startX, int startY, int endX, int endY) {
    if (cVolumeSlider* v = FindVolume(list, id))
        v->SetPosition(Rect(knobLeft, knobTop, knobRight, knobBottom), POINT{firstX, firstY},
                       POINT{secondX, secondY}, Rect(ownLeft, ownTop, ownRight, ownBottom), POINT{startX, startY},
                       POINT{endX, endY});
}

HWND VelmoWinGetWindow(cSkinWnd* window) { return window ? window->GetWindow() : nullptr; }
cButtonListe* VelmoWinGetButtonList(cSkinWnd* window) { return window ? window->GetButtonList() : nullptr; }
cVelmoSkinData* VelmoWinGetSkinData(cSkinWnd* window) { return window ? window->GetSkinData() : nullptr; }

void VelmoWinSetShowBuffer(cSkinWnd* window, int show) {
    if (window) window->SetShowBuffer(show);
}

void VelmoWinSetShowStatusSym(cSkinWnd* window, int show) {
    if (window) window->SetShowStatusSym(show);
}

void VelmoWinUpdateDisplayStrings(cSkinWnd* window) {
    if (window) window->UpdateDisplayStrings();
}

void SetSkinData(cSkinWnd* window, const char* key, void* value) {
    if (!window || !key) return;
    cVelmoSkinData* d = window->GetSkinData();
    // The value itself, as the plug-in passed it (a number in a pointer).
    int plain = static_cast<int>(reinterpret_cast<intptr_t>(value));
    const int32_t* number = static_cast<const int32_t*>(value);
    const char* text = static_cast<const char*>(value);
    enum Kind { PLAIN, NUMBER, PAIR, TEXT };
    struct Entry {
        const char* key;
        Kind kind;
        void (*apply)(cVelmoSkinData* d, int plain, const int32_t* number, const char* text);
    };
    static const Entry kEntries[] = {
        {"ResizeBtnPos", PAIR, [](cVelmoSkinData* d, int, const int32_t* n, const char*) {
             d->SetResizeBtnPos(POINT{n[0], n[1]});
         }},
        {"TableLineColor", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) {
             d->SetTableLineColor(static_cast<DWORD>(*n));
         }},
        {"UnableToPlayColor", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) {
             d->SetUnableToPlayColor(static_cast<DWORD>(*n));
         }},
        {"SetRasterOP", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) {
             d->SetRasterOP(static_cast<DWORD>(*n));
         }},
        {"NavAnimEnabled", PLAIN, [](cVelmoSkinData* d, int v, const int32_t*, const char*) { d->SetNavAnimEnabled(v); }},
        {"VelmoaddieType", PLAIN, [](cVelmoSkinData* d, int v, const int32_t*, const char*) { d->SetVelmoaddieType(v); }},
        {"NavAnimType", PLAIN, [](cVelmoSkinData* d, int v, const int32_t*, const char*) { d->SetNavAnimType(v); }},
        {"VelmoaddieUpdate", PLAIN,
         [](cVelmoSkinData* d, int v, const int32_t*, const char*) { d->SetVelmoaddieUpdateArt(v); }},
        {"SetSONGKaufen", TEXT, [](cVelmoSkinData* d, int, const int32_t*, const char* t) { d->SetSongKaufenURL(t); }},
        {"AddieRandRO", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) { d->SetAddyRandOffsetRO(*n); }},
        {"AddieRandRU", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) { d->SetAddyRandOffsetRU(*n); }},
        {"AddieRandLO", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) { d->SetAddyRandOffsetLO(*n); }},
        {"AddieRandLU", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) { d->SetAddyRandOffsetLU(*n); }},
        {"AddieRandOL", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) { d->SetAddyRandOffsetOL(*n); }},
        {"AddieRandOR", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) { d->SetAddyRandOffsetOR(*n); }},
        {"AddieRandUR", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) { d->SetAddyRandOffsetUR(*n); }},
        {"AddieRandUL", NUMBER, [](cVelmoSkinData* d, int, const int32_t* n, const char*) { d->SetAddyRandOffsetUL(*n); }},
        {"VelmoaddieUeberlappungCY", PLAIN,
         [](cVelmoSkinData* d, int v, const int32_t*, const char*) { d->SetVelmoaddieUeberlappungCY(v); }},
        {"PodcastURL", TEXT, [](cVelmoSkinData* d, int, const int32_t*, const char* t) { d->SetPodcastURL(t); }},
        {"SetLanguageSupport", PLAIN,
         [](cVelmoSkinData* d, int v, const int32_t*, const char*) { d->SetLanguageSupport(static_cast<DWORD>(v)); }},
    };
    for (const Entry& e : kEntries) {
        if (strcmp(key, e.key) != 0) continue;
        // A key that reads through its value needs one.
        if (e.kind != PLAIN && !value) {
            DebugLog(DL_ERR, "SetSkinData: %s without a value", key);
            return;
        }
        e.apply(d, plain, number, text);
        return;
    }
}

HDC ResourceManagerGetDC(cResourceManager* res, DWORD sprite, RECT* rect) {
    if (!res) return nullptr;
    RECT scratch;
    return res->GetDC(sprite, rect ? rect : &scratch);
}

BOOL CallResBitBlt(cResourceManager* res, HDC dc, int x, int y, int width, int height, DWORD sprite, int sourceX,
                   int sourceY, DWORD rop) {
    return res ? res->BitBlt(dc, x, y, width, height, sprite, sourceX, sourceY, rop) : 0;
}

BOOL CallResStretchBlt(cResourceManager* res, HDC dc, int x, int y, int width, int height, DWORD sprite,
                       int sourceX, int sourceY, DWORD rop) {
    return res ? res->StretchBlt(dc, x, y, width, height, sprite, sourceX, sourceY, rop) : 0;
}

BOOL CallResDrawBitmap(cResourceManager* res, HDC dc, int x, int y, DWORD sprite, DWORD rop) {
    return res ? res->DrawBitmap(dc, x, y, sprite, rop) : 0;
}
