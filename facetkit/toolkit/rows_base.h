// Row elements: what the player's lists and tables draw for one entry. A row
// is a text element (its text the entry's, its id the entry's id) with its
// own list of small windowless buttons, a display state and a painter.
#pragma once

#include <windows.h>

#include "button_list.h"
#include "facetkit_api.h"
#include "txtelement.h"

class cElementHost;
class cResourceManager;
class cVelmoSkinData;
class cSkinButton;

// Row display states (shared by every list and table).
enum { ROW_SELECTED = 1, ROW_NORMAL = 2, ROW_HOVER = 4 };

// Where a row's buttons live and what draws them: a table's window gives
// the table's owner and resources, any other window the main window's.
struct FACETKIT_API RowContext {
    cElementHost* host = nullptr;
    cResourceManager* res = nullptr;
    cVelmoSkinData* skin = nullptr;
};
FACETKIT_API RowContext RowContextFor(HWND window);

// The play row's text layout read from its marks: 0x02 ends the title, 0x03
// starts a second line, 0x01 ends the shown part of a text without title,
// 0x05 ends a version text.
struct FACETKIT_API PlayRowText {
    enum { SIZE = 2048 };
    int hasTitle = 0;
    int cut = 0;            // no title, shown only up to 0x01 (font 0, indented)
    char title[SIZE] = {};  // the title, or the whole shown text without one
    char first[SIZE] = {};  // what follows the title on its line
    char second[SIZE] = {}; // the second line
};
FACETKIT_API void SplitPlayRowText(const char* text, PlayRowText* out);

// What a click on a row's buttons gave: the row id and the button's id (0
// none, -1 a disabled one).
struct RowHit {
    unsigned long id = 0;
    DWORD element = 0;
    DWORD unused = 0;
};

// The view that shows play rows (the text list panel): its vertical scroll
// position shifts the buttons' tool tips, its window lends its metrics.
class FACETKIT_API cRowOwner {
public:
    virtual ~cRowOwner() {}
    virtual int GetRowScrollPos() = 0;
    virtual cVelmoSkinData* GetRowSkinData() = 0;
    // The window the rows lie in, whose tool tips their buttons join; null
    // for the main window.
    virtual cElementHost* GetRowHost() { return nullptr; }
};

class FACETKIT_API cRowElement : public cTextElement {
public:
    cRowElement();
    ~cRowElement() override;

    void SetState(int state) { state_ = state; }
    int GetState() const { return state_; }
    void SetParentId(unsigned long id) { parentId_ = id; }
    unsigned long GetParentId() const { return parentId_; }
    void AddButton(cSkinButton* button) { buttons_.Add(button); }
    cButtonListe* GetButtons() { return &buttons_; }

    virtual void BuildButtons(cListe* reference);
    virtual int Paint(HDC dc, int left, int top, int right, int bottom);
    virtual int GetHeight() { return 1; }

    // First button with this id, or null.
    cSkinButton* FindButton(DWORD id);
    int ButtonCount() const { return buttons_.GetAnzElement(); }
    void ClearButtons() { buttons_.Delete(); }

protected:
    // Creates a windowless button in `window`; null when it cannot be made.
    cSkinButton* MakeButton(HWND window, const RowContext& ctx, DWORD sprite, DWORD id, const char* toolTip,
                            int latching);
    // A catalogue text in the user's language.
    static void CatalogueText(unsigned id, char* buffer, int size);

private:
    int state_;
    unsigned long parentId_;
    cButtonListe buttons_;
};

// The row of the content views' station lists: a play button at the left,
// buttons at the right and a two-line text layout.
class FACETKIT_API cPlayRowElement : public cRowElement {
public:
    // owner: the view object (its window's metrics are used when skin is
    // null); may be null.
    cPlayRowElement(cRowOwner* owner, cVelmoSkinData* skin, int buttonsWanted);
    ~cPlayRowElement() override;

    void SetRowFlag() { rowFlag_ = 1; }
    int GetRowFlag() const { return rowFlag_; }
    void AddPlayButton();
    void BuildButtons(cListe* favourites) override;
    using cRowElement::Paint;
    virtual int Paint(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY);
    int GetHeight() override;
    virtual void SetRect(int left, int top, int right, int bottom) { rect_ = RECT{left, top, right, bottom}; }
    virtual void Draw(HDC dc) { Paint(dc, rect_.left, rect_.top, rect_.right, rect_.bottom, 0, 0); }
    virtual HDC GetTemplate(RECT* out);
    virtual void SetHoverBackground(int on) { hoverBackground_ = on; }

    int ButtonsWanted() const { return buttonsWanted_; }
    RECT GetRowRect() const { return rect_; }
    cVelmoSkinData* Skin() const { return skin_; }

protected:
    RowContext Context() const;
    cRowOwner* Owner() const { return owner_; }

private:
    int buttonsWanted_;
    int hoverBackground_;
    int height_;
    int rowFlag_;
    cVelmoSkinData* skin_;
    RECT rect_;
    cRowOwner* owner_;
};
