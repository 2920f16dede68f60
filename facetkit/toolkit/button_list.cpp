#include "button_list.h"

#include <new>

#include "debugtext.h"
#include "motion_picture.h"
#include "resource_manager.h"
#include "scroll_text.h"
#include "skin_button.h"
#include "volume_slider.h"
#include "wnd_button.h"

namespace {

// How long emptying or destroying a list waits for walks of other threads.
const DWORD kIteratorWaitMs = 2000;

cActiveElement* AsActive(cListElement* e) { return static_cast<cActiveElement*>(e); }

bool WaitForWalkers(const cListe* list, const char* what) {
    DWORD start = GetTickCount();
    while (list->GetNumIterators() != 0) {
        if (GetTickCount() - start > kIteratorWaitMs) {
            DebugLog(DL_WAR, "cButtonListe %s: %d walks still open", what, list->GetNumIterators());
            return false;
        }
        Sleep(1);
    }
    return true;
}

// A null window would mean every window of the desktop: nothing is asked then.
void InvalidateElement(HWND wnd, cActiveElement* e) {
    RECT r = e->GetRect();
    if (wnd) InvalidateRect(wnd, &r, FALSE);
}

void InvalidateWindow(HWND wnd) {
    if (wnd) InvalidateRect(wnd, nullptr, FALSE);
}

}  // namespace

void ReleaseGroupIn(cListe* list, int group, const cActiveElement* except) {
    if (!list) return;
    cIterator* it = list->GetIterator();
    if (!it) return;
    while (cListElement* e = it->Next())
        if (AsActive(e) != except && AsActive(e)->GetGroup() == group) AsActive(e)->SetStatus(ES_NORMAL);
    list->FreeIterator(it);
}

cButtonListe::cButtonListe() {}

cButtonListe::~cButtonListe() {
    // The base waits for the rest; a walk that never ends gets a log line.
    WaitForWalkers(this, "destroyed");
}

void cButtonListe::Delete(void* element) { cListe::Delete(element); }

void cButtonListe::Delete() {
    MarkForDelete(true);
    bool alone = WaitForWalkers(this, "emptied");
    cListElement* e = First();
    RemoveWithoutDelete();
    // A walk still open goes on through these elements: they are left to it
    // (a leak, logged above) rather than freed under it.
    if (!alone) e = nullptr;
    while (e) {
        cListElement* next = e->Next();
        delete e;
        e = next;
    }
    MarkForDelete(false);
}

void cButtonListe::Add(void* element) {
    if (!element) return;
    cActiveElement* e = static_cast<cActiveElement*>(static_cast<cListElement*>(element));
    e->SetListe(this);
    cListe::Add(element);
}

DWORD cButtonListe::Check(POINT pt, HWND wnd, DWORD flag) {
    cIterator* it = GetIterator();
    if (!it) return 0;
    DWORD result = 0;
    while (cListElement* le = it->Next()) {
        cActiveElement* e = AsActive(le);
        int typ = e->GetTyp();
        int status = e->GetStatus();
        RECT r = e->GetRect();
        if (typ == ET_VOLUME_SLIDER) {
            DWORD answer = static_cast<cVolumeSlider*>(e)->Check(pt, wnd, flag);
            if (result == 0) result = answer;
            continue;
        }
        if (typ == ET_WINDOW_BUTTON) continue;
        if (PtInRect(&r, pt)) {
            bool latching = typ == ET_BUTTON && static_cast<cSkinButton*>(e)->GetLatching();
            if (latching && (status == ES_SELECTED || status == ES_PRESSED)) {
                // A click on a selected latching button unselects it to mouse
                // over; moving over it shows it pressed.
                if (flag == ES_PRESSED) {
                    e->SetStatus(ES_MOUSEOVER);
                    InvalidateElement(wnd, e);
                } else if (flag == ES_MOUSEOVER) {
                    e->SetStatus(ES_PRESSED);
                }
            } else if (typ == ET_BUTTON) {
                if (status != static_cast<int>(flag) && e->IsEnabled()) {
                    e->SetStatus(static_cast<int>(flag));
                    InvalidateWindow(wnd);
                }
            }
            if (e->IsEnabled())
                result = e->GetId();
            else if (result == 0)
                result = static_cast<DWORD>(-1);
        } else if (status == ES_MOUSEOVER) {
            e->SetStatus(ES_NORMAL);
            InvalidateWindow(wnd);
        } else if (status == ES_PRESSED) {
            if (typ == ET_BUTTON)
                e->SetStatus(static_cast<cSkinButton*>(e)->GetLatching() ? ES_SELECTED : ES_NORMAL);
            else
                e->SetStatus(ES_SELECTED);
            InvalidateWindow(wnd);
        }
    }
    FreeIterator(it);
    return result;
}

void cButtonListe::Release(HWND wnd, DWORD id) {
    cIterator* it = GetIterator();
    if (!it) return;
    while (cListElement* le = it->Next()) {
        cActiveElement* e = AsActive(le);
        if (e->GetTyp() == ET_WINDOW_BUTTON) continue;
        int status = e->GetStatus();
        if (id != 0 && e->GetId() == id) {
            if (status != ES_SELECTED) {
                e->SetStatus(ES_SELECTED);
                InvalidateElement(wnd, e);
            }
        } else if (status == ES_SELECTED || status == ES_PRESSED) {
            e->SetStatus(ES_NORMAL);
            InvalidateElement(wnd, e);
        }
    }
    FreeIterator(it);
}

void cButtonListe::ReleaseGroup(int group, const cActiveElement* except) { ReleaseGroupIn(this, group, except); }

void cButtonListe::Invoke(HWND wnd, DWORD id) {
    cIterator* it = GetIterator();
    if (!it) return;
    while (cListElement* le = it->Next()) {
        cActiveElement* e = AsActive(le);
        if (e->GetTyp() != ET_BUTTON || e->GetId() != id) continue;
        if (!static_cast<cSkinButton*>(e)->GetLatching()) continue;
        e->SetStatus(ES_SELECTED);
        InvalidateElement(wnd, e);
    }
    FreeIterator(it);
}

void cButtonListe::ShowAll(HDC dc) {
    cIterator* it = GetIterator();
    if (!it) return;
    while (cListElement* le = it->Next()) AsActive(le)->Show(dc);
    FreeIterator(it);
}

int cButtonListe::HasMouseOver() {
    cIterator* it = GetIterator();
    if (!it) return 0;
    int over = 0;
    while (cListElement* le = it->Next()) {
        if (AsActive(le)->GetStatus() & (ES_MOUSEOVER | ES_PRESSED)) {
            over = 1;
            break;
        }
    }
    FreeIterator(it);
    return over;
}

void cButtonListe::AddButton(cElementHost* win, cResourceManagerInterface* res, DWORD sprite, POINT pos, DWORD id,
                             int latching) {
    Add(new (std::nothrow) cSkinButton(nullptr, win, res, sprite, pos.x, pos.y, id, nullptr, latching));
}

void cButtonListe::AddButton(cElementHost* win, cResourceManagerInterface* res, DWORD sprite, RECT rect, DWORD id,
                             int latching) {
    Add(new (std::nothrow) cSkinButton(nullptr, win, res, sprite, rect, id, nullptr, latching));
}

cWndButton* cButtonListe::AddWndButton(cElementHost* win, cResourceManager* res, DWORD sprite, POINT pos, DWORD id,
                                       int group, HRGN* regions, int flags) {
    cWndButton* b = new (std::nothrow) cWndButton(win, nullptr, res, sprite, pos, id, nullptr, group, regions,
                                                  static_cast<DWORD>(flags));
    Add(b);
    return b;
}

cMotionPicture* cButtonListe::AddMotionPicture(HWND parent, cResourceManagerInterface* res, POINT pos, DWORD id,
                                               DWORD sprite, HRGN* regions, int count) {
    cMotionPicture* p = new (std::nothrow) cMotionPicture(parent, res, pos, id, sprite, regions, count);
    Add(p);
    return p;
}

void cButtonListe::AddScrollText(cResourceManagerInterface* res, DWORD kept, int mainFont, int secondFont,
                                 HWND parent, DWORD id, RECT rect, DWORD colour, int unused1, int unused2) {
    Add(new (std::nothrow) cScrollText(res, kept, mainFont, secondFont, parent, id, rect,
                                       static_cast<COLORREF>(colour), unused1, unused2));
}

void cButtonListe::AddVolume(cElementHost* win, cResourceManager* res, DWORD kind, RECT knob, POINT first,
                             POINT second, RECT own, POINT trackStart, POINT trackEnd, HRGN* knobRegions,
                             HRGN* secondRegions, HRGN* firstRegions, DWORD knobId, DWORD secondId, DWORD firstId,
                             DWORD ownId) {
    if (kind != 0) {
        DebugLog(DL_WAR, "cButtonListe::AddVolume: kind %lu unknown", static_cast<unsigned long>(kind));
        return;
    }
    Add(new (std::nothrow) cVolumeSlider(win, res, knob, first, second, own, trackStart, trackEnd, knobRegions,
                                         secondRegions, firstRegions, knobId, secondId, firstId, ownId));
}
