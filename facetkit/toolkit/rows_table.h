// The first-column rows of the table kinds: timer entries, programme tips,
// podcasts (feed and episode lines) and stations, and the section heading
// of the content views' lists.
#pragma once

#include <windows.h>

#include "rows_cell.h"

class FACETKIT_API cTimerRowElement : public cCellRowElement {
public:
    cTimerRowElement(HWND owner, cVelmoSkinData* skin, int viewValue, int buttonsWanted, int entryState,
                     int entryFlag, int entryMarker);
    void BuildButtons(cListe* unused) override;
    int PaintCell(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY, int unused1,
                  int unused2, COLORREF* colour, int iconVariant) override;
    // The state icon for a variant (0-3) and the entry's state and flag; 0
    // for a variant outside 0-3.
    static unsigned StateIcon(int variant, int state, int flag);
    int EntryState() const { return entryState_; }

protected:
    void PlaceButtons(HDC dc, int top, int right, int bottom, int offsetX, int offsetY);

    int entryState_;
    int entryFlag_;
    int entryMarker_;
};

class FACETKIT_API cProgrammTippRowElement : public cTimerRowElement {
public:
    cProgrammTippRowElement(HWND owner, cVelmoSkinData* skin, int viewValue, int buttonsWanted, int entryState,
                            int entryFlag, int entryMarker);
    int PaintCell(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY, int unused1,
                  int unused2, COLORREF* colour, int iconVariant) override;
};

class FACETKIT_API cPodcastRowElement : public cCellRowElement {
public:
    cPodcastRowElement(HWND owner, cVelmoSkinData* skin, int viewValue, int buttonsWanted);
    void BuildButtons(cListe* podcasts) override;
    int PaintCell(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY, int unused1,
                  int unused2, COLORREF* colour, int unused3) override;
    void ShowExpanded();
    bool IsPlayable() const;
    bool IsEpisode() const { return GetId() > 0xFF0000; }
    // The feed this row belongs to (its own id, or its episode's feed).
    unsigned long FeedId() const;
    int BusyPhase() const { return busyPhase_; }

private:
    int busyPhase_;
};

class FACETKIT_API cStationRowElement : public cCellRowElement {
public:
    cStationRowElement(HWND owner, cVelmoSkinData* skin, int viewValue, int buttonsWanted);
    void BuildButtons(cListe* favourites) override;
    int PaintCell(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY, int unused1,
                  int unused2, COLORREF* colour, int quality) override;
};

class FACETKIT_API cHeaderRowElement : public cRowElement {
public:
    explicit cHeaderRowElement(COLORREF textColour) : colour_(textColour) {}
    void BuildButtons(cListe*) override {}
    int Paint(HDC dc, int left, int top, int right, int bottom) override;
    COLORREF GetColour() const { return colour_; }

private:
    COLORREF colour_;
};
