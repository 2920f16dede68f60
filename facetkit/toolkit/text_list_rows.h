// Row geometry and row walks of a text-list panel: rows of one height in a
// fixed grid, scrolled by whole rows. The panel (its painting, hit test and
// buttons) builds on this; a row tells its buttons and display state
// through the two hooks.
#pragma once

#include <windows.h>

#include "facetkit_api.h"
#include "liste.h"

class cButtonListe;

class FACETKIT_API cTextListRows : public cListe {
public:
    enum { ROW_UNDER_POINTER = 4 };
    cTextListRows() = default;
    ~cTextListRows() override = default;

    // Rewinds the iterator and steps it over the rows above the first visible
    // one; answers the steps that yielded a row.
    int SkipToFirstVisible(cIterator* it);
    // An iterator whose next step yields the hot row (the caller frees it);
    // null when the list hands out none.
    cIterator* GetHotRowIterator();
    // Panel coordinates (relative 0) or the off-screen page's (non-zero).
    RECT GetRowRect(int row, int relative) const;
    void SetRowHeight(int height);
    // A count below 1 counts as 1.
    void SetRowCount(int count);
    // Empties every row's own buttons; the rows stay.
    void Delete() override;
    using cListe::Delete;
    // The row the mouse is on, or null (also while over the panel's own
    // buttons).
    cListElement* GetRowUnderMouse();

    void SetPanelRect(const RECT& r) { rect_ = r; }
    const RECT& GetPanelRect() const { return rect_; }
    void SetFirstVisible(int row) { firstVisible_ = row; }
    int GetFirstVisible() const { return firstVisible_; }
    void SetHotRowIndex(int row) { hotRow_ = row; }
    int GetHotRowIndex() const { return hotRow_; }
    int GetRowHeight() const { return rowHeight_; }
    int GetVisibleRowCount() const { return visibleRows_; }

protected:
    virtual cButtonListe* OwnButtons() = 0;
    virtual cButtonListe* RowButtons(cListElement* row) = 0;
    virtual int RowState(cListElement* row) = 0;

private:
    RECT rect_ = {0, 0, 0, 0};
    int firstVisible_ = 0;
    int hotRow_ = 0;
    int rowHeight_ = 14;
    int visibleRows_ = 0;
};
