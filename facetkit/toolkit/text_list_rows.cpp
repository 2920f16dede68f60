#include "text_list_rows.h"

#include "button_list.h"

int cTextListRows::SkipToFirstVisible(cIterator* it) {
    if (!it) return 0;
    it->First();
    int steps = 0;
    for (int i = 0; i < firstVisible_; ++i) {
        if (!it->Next()) break;
        ++steps;
    }
    return steps;
}

cIterator* cTextListRows::GetHotRowIterator() {
    cIterator* it = GetIterator();
    if (!it) return nullptr;
    for (int i = 0; i < hotRow_; ++i)
        if (!it->Next()) break;
    return it;
}

RECT cTextListRows::GetRowRect(int row, int relative) const {
    const int d = rowHeight_ * (row - firstVisible_);
    RECT r;
    if (relative) {
        r.left = 0;
        r.top = d;
        r.right = rect_.right - rect_.left;
        r.bottom = rowHeight_ + d;
    } else {
        r.left = rect_.left;
        r.top = rect_.top + d;
        r.right = rect_.right;
        r.bottom = rect_.top + rowHeight_ + d;
    }
    return r;
}

void cTextListRows::SetRowHeight(int height) {
    if (height == 0) height = 5;
    firstVisible_ = 0;
    rowHeight_ = height;
    visibleRows_ = (rect_.bottom - rect_.top) / height + 2;
}

void cTextListRows::SetRowCount(int count) {
    if (count < 1) count = 1;
    firstVisible_ = 0;
    visibleRows_ = count;
    rowHeight_ = (rect_.bottom - rect_.top - 39) / count;
}

void cTextListRows::Delete() {
    cIterator* it = GetIterator();
    if (!it) return;
    it->First();
    while (cListElement* row = it->Next())
        if (cButtonListe* b = RowButtons(row)) b->Delete();
    FreeIterator(it);
}

cListElement* cTextListRows::GetRowUnderMouse() {
    if (cButtonListe* own = OwnButtons())
        if (own->HasMouseOver()) return nullptr;
    cIterator* it = GetIterator();
    if (!it) return nullptr;
    SkipToFirstVisible(it);
    cListElement* found = nullptr;
    while (cListElement* row = it->Next()) {
        cButtonListe* b = RowButtons(row);
        if ((b && b->HasMouseOver()) || RowState(row) == ROW_UNDER_POINTER) {
            found = row;
            break;
        }
    }
    FreeIterator(it);
    return found;
}
