// The list of one window's skin elements: it owns them, paints them in
// list order, hit-tests them for the window's mouse handling and selects
// and releases buttons. The skin plug-in fills it through the factories.
#pragma once

#include <windows.h>

#include "activeelement.h"
#include "element_host.h"
#include "facetkit_api.h"
#include "liste.h"

class cResourceManager;
class cResourceManagerInterface;
class cWndButton;
class cMotionPicture;

class FACETKIT_API cButtonListe : public cListe {
public:
    cButtonListe();
    ~cButtonListe() override;
    cButtonListe(const cButtonListe&) = delete;
    cButtonListe& operator=(const cButtonListe&) = delete;

    void Delete(void* element) override;
    // Empties the list; walks still open on other threads are waited for
    // (bounded) before their elements go.
    void Delete() override;
    // A null element is ignored; the element learns which list owns it.
    void Add(void* element) override;

    // Hit test and hover/press handling; flag is the status a button under
    // the mouse takes (4 move, 8 button down). The id of the element hit,
    // (DWORD)-1 when only a disabled one was hit, 0 for none.
    virtual DWORD Check(POINT pt, HWND wnd, DWORD flag);
    // Selects the element(s) with this id and releases every other selected
    // or pressed one; id 0 releases all. Window buttons are left alone.
    virtual void Release(HWND wnd, DWORD id);
    // Every element of the group back to normal (no repaint requested).
    // except: the button being pressed, which keeps its state.
    virtual void ReleaseGroup(int group, const cActiveElement* except = nullptr);
    // Latches the latching windowless buttons with this id.
    virtual void Invoke(HWND wnd, DWORD id);
    virtual void ShowAll(HDC dc);
    virtual int HasMouseOver();

    // Factories: each creates the element, adds it and (where it returns
    // one) hands it back; nothing is added when memory runs out.
    virtual void AddButton(cElementHost* win, cResourceManagerInterface* res, DWORD sprite, POINT pos, DWORD id,
                           int latching);
    // Only left and top of the rectangle count; the size is the sprite's.
    virtual void AddButton(cElementHost* win, cResourceManagerInterface* res, DWORD sprite, RECT rect, DWORD id,
                           int latching);
    virtual cWndButton* AddWndButton(cElementHost* win, cResourceManager* res, DWORD sprite, POINT pos, DWORD id,
                                     int group, HRGN* regions, int flags);
    virtual cMotionPicture* AddMotionPicture(HWND parent, cResourceManagerInterface* res, POINT pos, DWORD id,
                                             DWORD sprite, HRGN* regions, int count);
    // The ten values go unchanged to the scrolling text's constructor.
    virtual void AddScrollText(cResourceManagerInterface* res, DWORD kept, int mainFont, int secondFont,
                               HWND parent, DWORD id, RECT rect, DWORD colour, int unused1, int unused2);
    // Only kind 0 (the volume slider) exists; any other kind adds nothing.
    virtual void AddVolume(cElementHost* win, cResourceManager* res, DWORD kind, RECT knob, POINT first,
                           POINT second, RECT own, POINT trackStart, POINT trackEnd, HRGN* knobRegions,
                           HRGN* secondRegions, HRGN* firstRegions, DWORD knobId, DWORD secondId, DWORD firstId,
                           DWORD ownId);
};

// Sets every element of `list` whose group is `group` to normal: what the
// button list does for a radio group, for any list that holds elements.
FACETKIT_API void ReleaseGroupIn(cListe* list, int group, const cActiveElement* except = nullptr);
