// One installed skin in the skin list: icon, name and version in the play
// row's layout, and buttons to recommend or delete the skin. The standard
// skin has no buttons; the skin in use cannot be deleted.
#pragma once

#include <windows.h>

#include "rows_base.h"

// The standard skin's file name.
constexpr const char* kStandardSkinFile = "stockface.dll";

class FACETKIT_API cSkinRowElement : public cPlayRowElement {
public:
    explicit cSkinRowElement(cRowOwner* owner);
    ~cSkinRowElement() override;

    void BuildButtons(cListe* list) override;
    using cPlayRowElement::Paint;
    int Paint(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY) override;
    HDC GetTemplate(RECT* out) override;
    // The skin's file name (the row text after its first 0x05), or null.
    const char* FileName() const;

private:
    HDC iconDc_;
    RECT iconRect_;
};
