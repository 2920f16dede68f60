#include "nav_history.h"

#include <cstring>

bool cNavHistory::Back() {
    if (pos_ < 1) return false;
    --pos_;
    return true;
}

bool cNavHistory::Forward() {
    if (pos_ >= top_) return false;
    ++pos_;
    return true;
}

int cNavHistory::RowSlot(int kind) {
    switch (kind) {
        case 3: return 0;
        case 4: return 1;
        case 6: return 2;
        case 9: return 3;
        case 10: return 4;
        case 11: return 5;
        case 12: return 6;
        default: return -1;
    }
}

int cNavHistory::FirstRow(int kind) const {
    int slot = RowSlot(kind);
    return slot < 0 ? 0 : firstRows_[slot];
}

void cNavHistory::SetFirstRow(int kind, int row) {
    int slot = RowSlot(kind);
    if (slot >= 0) firstRows_[slot] = row;
}

void cNavHistory::Push(int kind) {
    if (pos_ + 1 >= kSize) {
        // The oldest entry goes; its selections go with it, so every
        // position keeps the selections of its own view.
        memmove(kinds_, kinds_ + 1, sizeof(int) * (kSize - 1));
        memmove(selections_, selections_ + 1, sizeof(selections_[0]) * (kSize - 1));
        memset(selections_[kSize - 1], 0, sizeof(selections_[0]));
        pos_ = kSize - 1;
        shown_ = kSize - 1;
        top_ = kSize - 1;
        kinds_[pos_] = kind;
        return;
    }
    ++pos_;
    kinds_[pos_] = kind;
    if (top_ < pos_) top_ = pos_;
}

NavShowPlan cNavHistory::Plan(int kind, const int* current, int count) {
    NavShowPlan plan;
    if (count > kSelections) count = kSelections;
    if (count < 0 || !current) count = 0;
    bool table = RowSlot(kind == 0 ? kinds_[pos_] : kind) >= 0 && (kind == 0 ? kinds_[pos_] : kind) != 6;
    for (int i = 0; i < count; ++i) {
        if (current[i] != selections_[shown_][i]) {
            plan.tableToTop = true;
            if (table) SetFirstRow(kind == 0 ? kinds_[pos_] : kind, 0);
        }
        selections_[shown_][i] = current[i];
    }
    if (kind == 0 || kind == kinds_[pos_]) {
        kind = kinds_[pos_];
        plan.sameKind = true;
        for (int i = 0; i < count; ++i) {
            if (current[i] != selections_[pos_][i]) {
                plan.tableToTop = true;
                if (table) SetFirstRow(kind, 0);
            }
        }
    } else {
        plan.handTimerList = kind == NV_TIMERS;
        shown_ = pos_;
        top_ = pos_;
        if (pos_ + 1 < kSize) memset(selections_[pos_ + 1], 0, sizeof(selections_[0]));
        Push(kind);
        plan.pushed = true;
    }
    shown_ = pos_;
    plan.kind = kind;
    return plan;
}

void cNavHistory::RecordFolded(int kind) {
    if (kind != 0 && kind != kinds_[pos_]) {
        top_ = pos_;
        if (pos_ + 1 < kSize) memset(selections_[pos_ + 1], 0, sizeof(selections_[0]));
        Push(kind);
    }
    shown_ = pos_;
}

void cNavHistory::Restore(int pos, int shownPos, const int* kinds) {
    if (pos < 0 || pos >= kSize || shownPos < 0 || shownPos >= kSize || !kinds) return;
    memcpy(kinds_, kinds, sizeof kinds_);
    pos_ = pos;
    shown_ = shownPos;
    if (top_ < pos_) top_ = pos_;
}

int NavViewButton(int kind) {
    switch (kind) {
        case 2: return 7;
        case 3: return 6;
        case 4: return 5;
        case 7: return 8;
        case 8: return 265;
        case 9: return 322;
        case 10: return 356;
        case 11: return 368;
        case 12: return 375;
        default: return 0;
    }
}

const char* NavHelpPage(int kind) {
    switch (kind) {
        case 2: return "suche.htm";
        case 3: return "favoriten.htm";
        case 4: return "topsender.htm";
        case 5: return "infoszusendern.htm";
        case 6: return "suche.htm";
        case 7: return "skins.htm";
        case 8: return "aufnahme_uebersicht.htm";
        case 9: return "timer_uebersicht.htm";
        case 10: return "programmtipps.htm";
        case 12: return "podcast_uebersicht.htm";
        default: return nullptr;
    }
}

int NavFirstView(int view, NavHasElementFn has, void* context) {
    // Every number from 2 to 8 is tried at most once, so a skin without any
    // view button still ends.
    for (int tries = 0; tries < 16; ++tries) {
        // The skin-stations view needs no button of its own to come first.
        int button = view == NV_SKIN_STATIONS ? 0 : NavViewButton(view);
        if (button == 0 || (has && has(context, button))) return view;
        ++view;
        if (view > 8) view = 2;
    }
    return 2;
}

int NavAutoScrollStep(int* interval) {
    int next = *interval - 15;
    int lines = 5;
    if (next < 190) lines = 6;
    if (next < 170) lines = 7;
    if (next < 150) lines = 9;
    if (next < 90) lines = 15;
    if (next < 60) {
        next = 60;
        lines = 15;
    }
    *interval = next;
    return lines;
}

NavSlideSteps NavSlidePlan(int travel, int height, int animationKind) {
    NavSlideSteps s;
    s.stepWidth = animationKind == 2 || animationKind == 5 ? 12 : 6;
    s.steps = travel / s.stepWidth;
    // A navigator narrower than one step still slides in one frame.
    if (s.steps < 1) s.steps = 1;
    s.verticalStep = static_cast<double>(height) / s.steps;
    return s;
}

void NavBannerSize(int language, int cxGerman, int cyGerman, int cxEnglish, int cyEnglish, int* width, int* height) {
    int w = 0, h = 0;
    if (language == 1) {
        w = cxGerman;
        h = cyGerman;
    } else if (language == 2) {
        w = cxEnglish;
        h = cyEnglish;
    }
    *width = w < 0 || w > 3000 ? 0 : w;
    *height = h < 0 || h > 2000 ? 0 : h;
}
