// Base of every on-screen element of the skin engine (buttons, pictures,
// sliders, scrolling texts, tables): type, place, status, enabled and
// visible flags, transparency over its window, and the list that holds it.
// Drawing is the derived class's.
#pragma once

#include <windows.h>

#include "basekit_api.h"
#include "liste.h"

// Element status codes: one bit each; mouse over or pressed is status & 12.
enum ElementStatus { ES_SELECTED = 1, ES_NORMAL = 2, ES_MOUSEOVER = 4, ES_PRESSED = 8 };
// Element types.
enum ElementType { ET_PASSIVE = 0, ET_BUTTON = 1, ET_WINDOW_BUTTON = 2, ET_VOLUME_SLIDER = 4 };

class BASEKIT_API cActiveElement : public cListElement {
public:
    cActiveElement();
    cActiveElement(const cActiveElement& other);
    cActiveElement& operator=(const cActiveElement& other);
    ~cActiveElement() override;

    virtual void SetTransparent(int flag, void* window);
    virtual int GetTransparent() const;
    virtual void* GetVelmowin() const;
    // Redraws (Invalidate) only when the flag changes.
    virtual void SetEnable(int flag);
    virtual void SetVisible(int flag);
    // The base ignores the second argument; elements interpret it themselves.
    virtual void SetRect(RECT rect, int option);
    virtual void SetStatus(int status);
    virtual void Show(HDC dc) = 0;
    virtual void Invalidate() = 0;
    virtual int GetGfxWidth() const;
    virtual int GetGfxHeight() const;
    virtual HWND GetWindow() const;
    virtual int GetGroup() const;

    void SetTyp(int typ) { typ_ = typ; }
    int GetTyp() const { return typ_; }
    int GetStatus() const { return status_; }
    void SetListe(void* list) { liste_ = list; }
    void* GetListe() const { return liste_; }
    int IsEnabled() const { return enabled_; }
    int IsVisible() const { return visible_; }
    RECT GetRect() const { return rect_; }

private:
    int typ_;
    RECT rect_;
    int status_;
    int enabled_;
    int visible_;
    void* liste_;
    int transparent_;
    void* velmowin_;
};
