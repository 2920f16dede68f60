#include "wnd_list.h"

#include <vector>

#include "skin_wnd.h"

namespace {

RECT Grown(HWND hwnd) {
    RECT r = {0, 0, 0, 0};
    if (hwnd) GetWindowRect(hwnd, &r);
    InflateRect(&r, 1, 1);
    return r;
}

struct DockEntry {
    unsigned long id;
    RECT rect;
};

cSkinWnd* AsWindow(cListElement* e) { return static_cast<cSkinWnd*>(e); }

}  // namespace

cWindowList::cWindowList() {}
cWindowList::~cWindowList() {}

cWindowList& GetWindowList() {
    static cWindowList list;
    return list;
}

void cWindowList::PostToAll(UINT message, WPARAM wParam, LPARAM lParam) {
    cIterator* it = GetIterator();
    if (!it) return;
    while (cListElement* e = it->Next()) {
        HWND hwnd = AsWindow(e)->GetWindow();
        if (hwnd) PostMessageA(hwnd, message, wParam, lParam);
    }
    FreeIterator(it);
}

void cWindowList::UpdateDocking() {
    cSkinWnd* main = Find(WND_ID_MAIN);
    cSkinWnd* nav = Find(WND_ID_NAVIGATOR);
    bool navBarred = nav && nav->GetSkinData()->GetNavAnimType() == NAV_ANIM_NO_DOCKING;

    cIterator* it = GetIterator();
    if (!it) return;
    while (cListElement* e = it->Next()) {
        cSkinWnd* w = AsWindow(e);
        w->SetDocked(w == main && !navBarred ? 1 : 0);
    }
    if (!main) {
        FreeIterator(it);
        return;
    }
    std::vector<DockEntry> set;
    set.push_back({WND_ID_MAIN, Grown(main->GetWindow())});
    bool added = true;
    while (added) {
        added = false;
        it->First();
        while (cListElement* e = it->Next()) {
            cSkinWnd* w = AsWindow(e);
            unsigned long id = w->GetId();
            // A navigator that animates out of the main window never docks.
            if (navBarred && w == nav) continue;
            bool inSet = false;
            for (const DockEntry& d : set) inSet = inSet || d.id == id;
            if (inSet) continue;
            RECT mine = Grown(w->GetWindow());
            for (const DockEntry& d : set) {
                RECT overlap;
                if (d.id == id) continue;
                if (IntersectRect(&overlap, &mine, &d.rect)) {
                    w->SetDocked(1);
                    set.push_back({id, mine});
                    added = true;
                    break;
                }
            }
        }
    }
    FreeIterator(it);
}
