// The navigator content view's memory of what it showed: the back and
// forward history of view kinds, the selections of each history position,
// the first visible table row of each table kind, and the small fixed rules
// of the navigator (view buttons, help pages, the first view, the
// auto-scroll pace, the slide steps, the banner size limits).
#pragma once

#include <windows.h>

#include "facetkit_api.h"

// View kinds of the navigator's content view (0: the kind now shown).
enum NavViewKind {
    NV_CURRENT = 0,
    NV_SEARCH_FORM = 2,
    NV_FAVOURITES = 3,
    NV_TOP_STATIONS = 4,
    NV_STATION_DETAILS = 5,
    NV_SEARCH_RESULTS = 6,
    NV_SKINS = 7,
    NV_RECORDING = 8,
    NV_TIMERS = 9,
    NV_TIPS = 10,
    NV_SKIN_STATIONS = 11,
    NV_PODCASTS = 12,
};

// What a call of ShowView has to do after the history moved.
struct NavShowPlan {
    int kind = 0;               // the kind to build
    bool sameKind = false;      // shown again (0 or the kind at the position)
    bool tableToTop = false;    // a selection changed: table back to row 0
    bool handTimerList = false; // entering the timer view
    bool pushed = false;        // a new history entry (the Screen setting follows)
};

class FACETKIT_API cNavHistory {
public:
    enum { kSize = 20, kSelections = 20 };

    int Kind() const { return kinds_[pos_]; }
    int KindAt(int pos) const { return pos >= 0 && pos < kSize ? kinds_[pos] : 0; }
    int Pos() const { return pos_; }
    int Top() const { return top_; }
    int ShownPos() const { return shown_; }
    bool CanGoBack() const { return pos_ >= 1; }
    bool CanGoForward() const { return pos_ < top_; }
    bool Back();
    bool Forward();

    // Steps of ShowView up to the push: carries the selections of the
    // elements on screen (`current`, `count` of them) over, drops the
    // forward entries on a switch and pushes the kind.
    NavShowPlan Plan(int kind, const int* current, int count);
    // While the navigator is folded away only the history moves.
    void RecordFolded(int kind);

    int* Selections(int pos) { return pos >= 0 && pos < kSize ? selections_[pos] : nullptr; }
    // First visible table row of the kinds 3, 4, 6, 9, 10, 11 and 12.
    int FirstRow(int kind) const;
    void SetFirstRow(int kind, int row);

    // Writes the whole history back (navigator window); the top never falls
    // below the position.
    void Restore(int pos, int shownPos, const int* kinds);

private:
    void Push(int kind);
    static int RowSlot(int kind);

    int kinds_[kSize] = {};
    int pos_ = 0, top_ = 0, shown_ = 0;
    int selections_[kSize][kSelections] = {};
    int firstRows_[7] = {};
};

// The navigator's view button of a kind (0 for none), and back.
FACETKIT_API int NavViewButton(int kind);
// The help page of a kind, null for none.
FACETKIT_API const char* NavHelpPage(int kind);
// The first view the navigator shows: the stored one when its button is
// there, else the next number, numbers above 8 becoming 2.
typedef bool (*NavHasElementFn)(void* context, int elementId);
FACETKIT_API int NavFirstView(int stored, NavHasElementFn has, void* context);

// One auto-scroll tick: the new timer period (in and out) and the lines to
// scroll.
FACETKIT_API int NavAutoScrollStep(int* interval);

// Slide animation: step width, number of steps (at least 1) and the
// vertical step for a travel and a height.
struct NavSlideSteps {
    int stepWidth;
    int steps;
    double verticalStep;
};
FACETKIT_API NavSlideSteps NavSlidePlan(int travel, int height, int animationKind);

// The host's banner size for the UI language, 0 where out of range.
FACETKIT_API void NavBannerSize(int language, int cxGerman, int cyGerman, int cxEnglish, int cyEnglish, int* width,
                                int* height);
