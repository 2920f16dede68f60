// The scrollable panel of list rows the navigator's content views show:
// row elements painted into an off-screen page one row at a time, scrolled
// by a skinned scroll bar, with hover and button hit tests per row, and
// buttons of its own drawn over it.
#pragma once

#include <windows.h>

#include "button_list.h"
#include "facetkit_api.h"
#include "memory_picture.h"
#include "rows_base.h"
#include "skin_scrollbar.h"
#include "liste.h"
#include "text_list_rows.h"

class cResourceManager;
class cSkinWnd;

// What a hit test of the panel found: the row's id, the id of the row's
// button under the point (0 none, (DWORD)-1 a disabled one) and the row.
struct PanelHit {
    unsigned long id = 0;
    DWORD button = 0;
    cRowElement* row = nullptr;
};

class FACETKIT_API cTextListPanel : public cTextListRows, public cScrollClient, public cRowOwner {
public:
    enum { BACKGROUND_SPRITE = 83 };

    // The background is the colour of the sprite's top-left pixel.
    explicit cTextListPanel(cResourceManager* res, unsigned backgroundSprite = BACKGROUND_SPRITE);
    ~cTextListPanel() override;
    cTextListPanel(const cTextListPanel&) = delete;
    cTextListPanel& operator=(const cTextListPanel&) = delete;

    // Deletes the panel's buttons and its rows and frees the page.
    void Clear();
    void SetOwner(cSkinWnd* owner) { owner_ = owner; }
    cSkinWnd* GetOwner() const { return owner_; }
    // A new rectangle rebuilds the page.
    void SetRect(int left, int top, int right, int bottom);
    // Repaints the page (when there is an owner) and the panel's area.
    void Invalidate(int erase);
    void SetHotRow(int index) { SetHotRowIndex(index); }
    // Repaints one row into the page.
    void PaintRow(int index);
    // The panel's buttons, then the page at the panel's place.
    void Show(HDC dc);
    // Hover and button test of the rows (flag: the status a button under
    // the point takes, 4 move, 8 press).
    PanelHit Check(POINT pt, HWND wnd, DWORD flag);
    // The line query of element_query.h for the panel's rows, answered for
    // the owner's window `from`: the row's id and text, its rectangle and
    // its buttons' in that window, visible while scrolled into view. 0 past
    // the last row.
    LRESULT AnswerLineQuery(int position, HWND from, HWND asker);

    int GetFirstVisibleRow() const { return GetFirstVisible(); }
    int GetRowCount() const { return GetAnzElement(); }
    int GetPixelOffset() const { return pixelOffset_; }
    cButtonListe* GetButtons() { return &buttons_; }
    HDC GetPageDC() const { return page_.Dc(); }
    HBRUSH GetBackground() const { return static_cast<HBRUSH>(brush_.Get()); }

    // cScrollClient
    void SetPosition(int pos, int vertical) override;
    int GetContentHeight() override { return GetAnzElement() * GetRowHeight(); }
    int GetVPosition() override { return GetFirstVisible() * GetRowHeight() + pixelOffset_; }
    void OnScrollBarShown(HDC like) override;
    void Refresh(int full) override;

    // cRowOwner
    int GetRowScrollPos() override { return GetVPosition(); }
    cVelmoSkinData* GetRowSkinData() override;
    cElementHost* GetRowHost() override;

protected:
    cButtonListe* OwnButtons() override { return &buttons_; }
    cButtonListe* RowButtons(cListElement* row) override;
    int RowState(cListElement* row) override;

private:
    // Paints one row into the page; answers whether it drew its highlight.
    int PaintInto(cRowElement* row, int index);

    cResourceManager* res_;
    HDC like_;
    cMemoryPicture page_;
    cSkinWnd* owner_;
    int pixelOffset_;
    DWORD lastButton_;
    bk::ScopedGdiObject brush_;
    cButtonListe buttons_;
};
