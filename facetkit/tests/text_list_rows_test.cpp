// Row geometry and walks of a text-list panel, on a panel of plain rows whose
// state and buttons the test sets.
#include <gtest/gtest.h>

#include <map>

#include "button_list.h"
#include "text_list_rows.h"

namespace {

class Rows : public cTextListRows {
public:
    std::map<cListElement*, int> state;
    cButtonListe own;
    cListElement* AddRow(unsigned long id) {
        auto* e = new cListElement();
        e->SetId(id);
        Add(e);
        return e;
    }

protected:
    cButtonListe* OwnButtons() override { return &own; }
    cButtonListe* RowButtons(cListElement*) override { return nullptr; }
    int RowState(cListElement* row) override { return state.count(row) ? state[row] : 2; }
};

TEST(TextListRows, Geometry) {
    Rows r;
    r.SetPanelRect(RECT{10, 20, 210, 160});
    r.SetRowHeight(14);
    EXPECT_EQ(r.GetVisibleRowCount(), 140 / 14 + 2);
    r.SetFirstVisible(3);
    RECT a = r.GetRowRect(5, 0);
    EXPECT_EQ(a.left, 10);
    EXPECT_EQ(a.top, 20 + 28);
    EXPECT_EQ(a.right, 210);
    EXPECT_EQ(a.bottom, 20 + 14 + 28);
    RECT b = r.GetRowRect(5, 1);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 28);
    EXPECT_EQ(b.right, 200);
    EXPECT_EQ(r.GetRowRect(1, 1).top, -28);  // above the first visible row
    r.SetRowHeight(0);
    EXPECT_EQ(r.GetRowHeight(), 5);
    EXPECT_EQ(r.GetFirstVisible(), 0);
    r.SetRowCount(5);
    EXPECT_EQ(r.GetRowHeight(), (140 - 39) / 5);
    r.SetRowCount(0);  // guarded: no division by zero
    EXPECT_EQ(r.GetVisibleRowCount(), 1);
}

TEST(TextListRows, WalksStopAtTheEnd) {
    Rows r;
    for (unsigned long i = 0; i < 4; ++i) r.AddRow(i);
    cIterator* it = r.GetIterator();
    r.SetFirstVisible(2);
    EXPECT_EQ(r.SkipToFirstVisible(it), 2);
    EXPECT_EQ(it->Next()->GetId(), 2u);
    r.SetFirstVisible(9);
    EXPECT_EQ(r.SkipToFirstVisible(it), 4);
    EXPECT_EQ(it->Next(), nullptr);
    r.FreeIterator(it);

    r.SetHotRowIndex(1);
    it = r.GetHotRowIterator();
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(it->Next()->GetId(), 1u);
    r.FreeIterator(it);
    r.SetHotRowIndex(10);
    it = r.GetHotRowIterator();
    EXPECT_EQ(it->Next(), nullptr);
    r.FreeIterator(it);
    r.MarkForDelete(true);
    EXPECT_EQ(r.GetHotRowIterator(), nullptr);
    r.MarkForDelete(false);
}

TEST(TextListRows, RowUnderMouseFromTheFirstVisibleRowOn) {
    Rows r;
    cListElement* rows[5];
    for (unsigned long i = 0; i < 5; ++i) rows[i] = r.AddRow(i);
    EXPECT_EQ(r.GetRowUnderMouse(), nullptr);
    r.state[rows[1]] = 4;
    r.state[rows[3]] = 4;
    EXPECT_EQ(r.GetRowUnderMouse(), rows[1]);
    r.SetFirstVisible(2);
    EXPECT_EQ(r.GetRowUnderMouse(), rows[3]);
    EXPECT_EQ(r.GetNumIterators(), 0);
    // Emptying the rows' buttons keeps the rows.
    r.Delete();
    EXPECT_EQ(r.GetAnzElement(), 5);
}

}  // namespace
