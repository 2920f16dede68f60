#include <gtest/gtest.h>

#include <string>

#include "activeelement.h"
#include "txtelement.h"

namespace {

TEST(TextElementTest, HeapTextElement) {
    cTxtElement e;
    EXPECT_EQ(nullptr, e.GetText());
    e.SetText("Jazz");
    EXPECT_STREQ("Jazz", e.GetText());
    e.SetText(e.GetText());   // its own text again
    EXPECT_STREQ("Jazz", e.GetText());
    const std::string big(100000, 'b');
    e.SetText(big.c_str());
    EXPECT_EQ(big, e.GetText());
    e.SetText(nullptr);
    EXPECT_EQ(nullptr, e.GetText());

    cTxtElement a;
    a.SetText("eins");
    a.SetId(4);
    cTxtElement b(a);
    a.SetText("zwei");
    EXPECT_STREQ("eins", b.GetText());   // its own copy
    EXPECT_EQ(4u, b.GetId());
    b = a;
    EXPECT_STREQ("zwei", b.GetText());
    EXPECT_NE(a.GetText(), b.GetText());
}

TEST(TextElementTest, FavouriteStartsInFolderZero) {
    cFavoritenElement f;
    EXPECT_EQ(0u, f.GetOrdner());
    EXPECT_EQ(nullptr, f.GetText());
    f.SetOrdner(12);
    EXPECT_EQ(12u, f.GetOrdner());
    // Elements are freed through the list, as their base.
    cListe list;
    auto* g = new cFavoritenElement;
    g->SetText("folder");
    list.Add(g);
}

TEST(TextElementTest, FixedTextsAreCutToTheirFields) {
    cTextElement e;
    EXPECT_EQ(1, e.IsActive());
    EXPECT_STREQ("", e.GetText());
    EXPECT_STREQ("", e.GetText2());
    struct Case {
        size_t in, out1, out2;
    } cases[] = {{0, 0, 0}, {198, 198, 198}, {250, 250, 198}, {2047, 2047, 198}, {3000, 2047, 198}};
    for (const Case& c : cases) {
        const std::string text(c.in, 'q');
        e.SetText(text.c_str());
        e.SetText2(text.c_str());
        EXPECT_EQ(c.out1, std::string(e.GetText()).size()) << c.in;
        EXPECT_EQ(c.out2, std::string(e.GetText2()).size()) << c.in;
    }
    e.SetText("erste");
    e.SetText2("zweite");
    e.SetText(nullptr);
    e.SetText2(nullptr);
    EXPECT_STREQ("erste", e.GetText());
    EXPECT_STREQ("zweite", e.GetText2());
    e.SetActive(0);
    cTextElement copy(e);
    EXPECT_STREQ("erste", copy.GetText());
    EXPECT_STREQ("zweite", copy.GetText2());
    EXPECT_EQ(0, copy.IsActive());
}

class CountingElement : public cActiveElement {
public:
    void Show(HDC) override {}
    void Invalidate() override { ++invalidated; }
    int invalidated = 0;
};

TEST(ActiveElementTest, NewElementState) {
    CountingElement e;
    EXPECT_EQ(1, e.IsVisible());
    EXPECT_EQ(0, e.IsEnabled());
    EXPECT_EQ(0, e.GetTransparent());
    EXPECT_EQ(nullptr, e.GetVelmowin());
    EXPECT_EQ(nullptr, e.GetListe());
    EXPECT_EQ(0, e.GetGfxWidth());
    EXPECT_EQ(0, e.GetGfxHeight());
    EXPECT_EQ(0, e.GetTyp());
    EXPECT_EQ(0, e.GetStatus());
    EXPECT_EQ(nullptr, e.GetWindow());
    EXPECT_EQ(0, e.GetGroup());
}

TEST(ActiveElementTest, EnableRedrawsOnlyOnChange) {
    CountingElement e;
    struct Step {
        int flag, invalidatedAfter;
    } steps[] = {{0, 0}, {1, 1}, {1, 1}, {0, 2}, {0, 2}};
    for (const Step& s : steps) {
        e.SetEnable(s.flag);
        EXPECT_EQ(s.flag, e.IsEnabled());
        EXPECT_EQ(s.invalidatedAfter, e.invalidated) << s.flag;
    }
    e.SetVisible(0);
    EXPECT_EQ(0, e.IsVisible());
    EXPECT_EQ(2, e.invalidated);   // visibility does not redraw in the base
}

TEST(ActiveElementTest, RectTransparencyAndCopies) {
    CountingElement e;
    e.SetRect(RECT{50, 10, 20, 40}, 123);
    EXPECT_EQ(-30, e.GetGfxWidth());
    EXPECT_EQ(30, e.GetGfxHeight());
    int window = 0;
    e.SetTransparent(1, &window);
    e.SetTyp(ET_WINDOW_BUTTON);
    e.SetStatus(ES_MOUSEOVER);
    e.SetId(5);
    CountingElement copy(e);
    EXPECT_EQ(1, copy.GetTransparent());
    EXPECT_EQ(&window, copy.GetVelmowin());
    EXPECT_EQ(ET_WINDOW_BUTTON, copy.GetTyp());
    EXPECT_EQ(ES_MOUSEOVER, copy.GetStatus());
    EXPECT_EQ(50, copy.GetRect().left);
    EXPECT_EQ(5u, copy.GetId());
}

}  // namespace
