#include "nav_view.h"

#include <cstring>

#include "../../tunerdeck/core/settings_interface.h"
#include "activeelement.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "library_state.h"
#include "list_store.h"
#include "nav_window.h"
#include "podcast_feed.h"
#include "search_criteria.h"
#include "win_handles.h"
#include "wnd_list.h"

std::string NavTimeText(int seconds) {
    if (seconds < 0) seconds = 0;
    char text[32];
    bk::TextFormat(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    return text;
}

std::string NavRecordingSizeText(int64_t bytes) {
    char text[64];
    // The recording display has always divided by 1,048,567; its hundredths
    // follow the same divisor.
    if (bytes > 1048567)
        bk::TextFormat(text, sizeof text, " |  %d,%02d MB", static_cast<int>(bytes / 1048567),
                       static_cast<int>(bytes % 1048567 / 10486));
    else if (bytes > 1024)
        bk::TextFormat(text, sizeof text, " |  %d kB", static_cast<int>(bytes / 1024));
    else
        bk::TextFormat(text, sizeof text, " |  %d Byte", static_cast<int>(bytes));
    return text;
}

unsigned NavRecordingStateText(int state) { return state >= 0 && state <= 3 ? 414u + static_cast<unsigned>(state) : 0u; }

std::string NavStatusLine(int kind, int rows, bool searching, int percent, const char* dateText, int language) {
    char format[200] = {}, text[300] = {};
    switch (kind) {
        case 3:
        case 9:
        case 11:
            GetResourceString(nullptr, rows == 1 ? 224 : 202, language, format, sizeof format);
            bk::TextFormat(text, sizeof text, format, rows);
            break;
        case 6:
            if (searching) {
                GetResourceString(nullptr, 205, language, format, sizeof format);
                bk::TextFormat(text, sizeof text, format, percent, rows);
            } else if (rows == 0) {
                GetResourceString(nullptr, 204, language, text, sizeof text);
            } else {
                GetResourceString(nullptr, 203, language, format, sizeof format);
                bk::TextFormat(text, sizeof text, format, rows);
            }
            break;
        case 4:
        case 10:
            if (dateText && *dateText) {
                GetResourceString(nullptr, kind == 4 ? 206 : 514, language, format, sizeof format);
                bk::TextFormat(text, sizeof text, format, dateText);
            }
            break;
        default:
            break;
    }
    return text;
}

int NavLevelFromValue(int value, int maximum) { return maximum == 0 ? 0 : static_cast<int>(int64_t(value) * 127 / maximum); }
int NavValueFromLevel(int level, int maximum) { return static_cast<int>(int64_t(level) * maximum / 127); }

uint32_t PodcastFeedRowId(unsigned long feedId) { return feedId < 0xFF00 ? static_cast<uint32_t>(feedId) : 0; }

uint32_t PodcastEpisodeRowId(unsigned long feedId, int index) {
    if (feedId >= 0xFF00 || index < 1 || index > 0xFFFF) return 0;
    return static_cast<uint32_t>((feedId + 255) * 65536 + static_cast<unsigned long>(index));
}

bool DecodePodcastRowId(uint32_t id, unsigned long* feedId, int* index) {
    if (id < 0xFF0001) return false;
    *feedId = (id >> 16) - 255;
    *index = static_cast<int>(id & 0xFFFF);
    return *index >= 1;
}

cNavView::cNavView(HWND navWindow, const RECT& rect) : nav_(navWindow), rect_(rect) {
    OutputDebugStringA("display konstructor\n");
    InitializeCriticalSection(&lock_);
    HostCallback(44, 0, nullptr);
    OutputDebugStringA("display konstructor-term\n");
}

cNavView::~cNavView() {
    closing_ = 1;
    if (builtKind_ == NV_PODCASTS) SetPodcastViewShown(false);
    DeleteCriticalSection(&lock_);
}

bool cNavView::SetRect(const RECT& rect) {
    if (EqualRect(&rect, &rect_)) return false;
    rect_ = rect;
    return true;
}

void cNavView::SetSelectionsOnScreen(const int* values, int count) {
    if (count > cNavHistory::kSelections) count = cNavHistory::kSelections;
    onScreenCount_ = count < 0 ? 0 : count;
    for (int i = 0; i < onScreenCount_; ++i) onScreen_[i] = values[i];
}

void cNavView::ShowView(int kind, int argument) {
    if (closing_) return;
    cNavWindow* nav = NavWindow();
    if (!nav || !GetWindowList().Find(WND_ID_NAVIGATOR)) return;
    if (nav->IsCollapsed()) {
        history_.RecordFolded(kind);
        return;
    }
    bk::ScopedLock hold(&lock_);
    int saved[cNavHistory::kSelections];
    int* atPos = history_.Selections(history_.Pos());
    memcpy(saved, atPos, sizeof saved);
    NavShowPlan plan = history_.Plan(kind, onScreen_, onScreenCount_);
    if (plan.handTimerList) HostCallback(53, 0, GetListStore().List(LS_TIMER_ENTRIES));

    int button = NavViewButton(plan.kind);
    if (button) {
        auto* e = static_cast<cActiveElement*>(nav->GetButtonList()->GetById(static_cast<unsigned long>(button)));
        if (e && e->GetStatus() != 1 && e->GetStatus() != 8) e->SetStatus(1);
    }
    // The search form shown again opens with the selections saved for its
    // history position.
    if (plan.sameKind && plan.kind == NV_SEARCH_FORM) StoreCriteriaSelections(saved, nullptr);
    if (plan.pushed && Library().host) Library().host->SetScreen(static_cast<short>(plan.kind));

    if (builtKind_ == NV_PODCASTS && plan.kind != NV_PODCASTS) SetPodcastViewShown(false);
    builtKind_ = plan.kind;
    if (plan.kind == NV_PODCASTS) {
        SetPodcastViewShown(true);
        SyncPodcastFeeds();
    }
    // Table views start at row 0 unless shown again through back, forward
    // or a refresh.
    if (kind != 0 || plan.tableToTop) history_.SetFirstRow(plan.kind, 0);
    if (plan.kind == NV_RECORDING) HostCallback(79, 0, nullptr);
    (void)argument;
    if (nav_) InvalidateRect(nav_, &rect_, FALSE);
}

void cNavView::Back() {
    if (history_.Back()) ShowView(0);
}

void cNavView::Forward() {
    if (history_.Forward()) ShowView(0);
}

void cNavView::SetRecordingInfo(int recorded, int size, int remaining, int state) {
    recorded_ = recorded;
    size_ = size;
    remaining_ = remaining;
    state_ = state;
    if (builtKind_ == NV_RECORDING && nav_) InvalidateRect(nav_, &rect_, FALSE);
}

void cNavView::SetLevelSlider(int value, int maximum, int minimum) {
    if (maximum == 0) return;
    bk::ScopedLock hold(&lock_);
    level_ = value < minimum ? minimum : value > maximum ? maximum : value;
    levelMax_ = maximum;
    levelMin_ = minimum;
}

void cNavView::SetPeakLevels(int left, int right) {
    if (builtKind_ != NV_RECORDING) return;
    peakLeft_ = left;
    peakRight_ = right;
}

void cNavView::ShowHelp() {
    const char* page = NavHelpPage(history_.Kind());
    if (page) HostCallback(10, 0, const_cast<char*>(page));
}
