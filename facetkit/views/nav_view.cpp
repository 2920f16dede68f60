#include "nav_view.h"

#include <climits>
#include <cstring>
#include <functional>

#include "../../tunerdeck/core/settings_interface.h"
#include "activeelement.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "library_state.h"
#include "list_store.h"
#include "nav_rows.h"
#include "nav_window.h"
#include "resource_manager.h"
#include "table_ctrl.h"
#include "fill_bars.h"
#include "profiles.h"
#include "skin_combo.h"
#include "skin_edit.h"
#include "skin_preview.h"
#include "skin_scrollbar.h"
#include "text_list_panel.h"
#include "volume_slider.h"
#include "wnd_button.h"
#include "timerentry.h"
#include "library_entry.h"
#include "podcast_feed.h"
#include "search_criteria.h"
#include "textutil.h"
#include "txtelement.h"
#include "win_handles.h"
#include "window_binding.h"
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
    cResourceManager* res = Resources();
    for (auto& m : meters_) {
        m.reset(new cPeakMeter(nav_));
        if (res && nav_) m->Init(res);
        m->SetVisible(0);
    }
    InitializeCriticalSection(&lock_);
    if (cSettingsInterface* host = Library().host) {
        const char* quality = host->GetQualityMuster();
        char name[512];
        bk::TextCopy(name, quality ? quality : "");
        quality_.quality = name;
        int language = -1;
        GetRecQualitySettings(name, &quality_.rate, &quality_.bits, &quality_.channels, &language);
        quality_.format = host->GetRecordingFormat() == 0 ? "WAV" : "MP3";
    }
    HostCallback(44, 0, nullptr);
    OutputDebugStringA("display konstructor-term\n");
}

cNavView::~cNavView() {
    closing_ = 1;
    DropElements();
    preview_.reset();
    previewOwner_.reset();
    for (auto& m : meters_) m.reset();
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
    // The boxes on screen carry their choices over; without boxes the
    // values the caller reported stand for them.
    int current[cNavHistory::kSelections] = {};
    int count = boxes_.empty() ? onScreenCount_ : CurrentSelections(current);
    const int* onScreen = boxes_.empty() ? onScreen_ : current;
    if (!boxes_.empty() && nameBox_ && builtKind_ == NV_SEARCH_FORM) {
        char name[301] = {};
        nameBox_->GetText(name, sizeof name);
        SetValue("NAME", name);
    }
    int panelRow = panel_ ? panel_->GetFirstVisibleRow() : 0;
    NavShowPlan plan = history_.Plan(kind, onScreen, count);
    // Read after the plan stored the boxes now on screen: a refresh, a
    // resize or a slide keeps what the user chose.
    int saved[cNavHistory::kSelections] = {};
    if (const int* atPos = history_.Selections(history_.Pos())) memcpy(saved, atPos, sizeof saved);
    if (plan.handTimerList) HostCallback(53, 0, GetListStore().List(LS_TIMER_ENTRIES));

    int button = NavViewButton(plan.kind);
    if (button) {
        auto* e = static_cast<cActiveElement*>(nav->GetButtonList()->GetById(static_cast<unsigned long>(button)));
        if (e && e->GetStatus() != 1 && e->GetStatus() != 8) e->SetStatus(1);
    }
    // The search form shown again opens with the selections saved for its
    // history position.
    if (plan.sameKind && plan.kind == NV_SEARCH_FORM) {
        char name[301] = {};
        GetValue("NAME", name, sizeof name);
        StoreCriteriaSelections(saved, nameBox_ ? name : nullptr);
    }
    if (plan.pushed && Library().host) Library().host->SetScreen(static_cast<short>(plan.kind));

    if (builtKind_ == NV_PODCASTS && plan.kind != NV_PODCASTS) SetPodcastViewShown(false);
    if (table_ && !(plan.sameKind && plan.tableToTop)) history_.SetFirstRow(builtKind_, table_->GetTopRow());
    builtKind_ = plan.kind;
    if (plan.kind == NV_PODCASTS) {
        SetPodcastViewShown(true);
        SyncPodcastFeeds();
    }
    // Table views start at row 0 unless shown again through back, forward
    // or a refresh.
    if (kind != 0 || plan.tableToTop) history_.SetFirstRow(plan.kind, 0);
    bool keepRow = kind == 0 && !plan.tableToTop;
    DropElements();
    BuildHeader();
    BuildBody(plan.kind);
    BuildTable(plan.kind, keepRow);
    if (plan.kind == NV_RECORDING) HostCallback(79, 0, nullptr);
    // A panel shown again keeps its place; a short list moves up one row so
    // the last page stays full.
    if (panel_) {
        int row = plan.sameKind ? panelRow : 0;
        if (row > 0 && panel_->GetRowCount() - row < panel_->GetVisibleRowCount()) --row;
        panel_->SetFirstVisible(row < 0 ? 0 : row);
        // The bar measures the rows the body added.
        if (bar_) bar_->UpdateMetrics();
        panel_->Invalidate(0);
    }
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
    {
        bk::ScopedLock hold(&lock_);
        recorded_ = recorded;
        size_ = size;
        remaining_ = remaining;
        state_ = state;
    }
    if (!fkwin::PostedToWindowThread(nav_, WM_NAV_RECORDING_INFO)) ShowRecordingInfo();
}

void cNavView::ShowRecordingInfo() {
    if (builtKind_ != NV_RECORDING) return;
    ShowRecordingTexts();
    if (nav_) InvalidateRect(nav_, &rect_, FALSE);
}

void cNavView::SetLevelSlider(int value, int maximum, int minimum) {
    if (maximum == 0) return;
    {
        bk::ScopedLock hold(&lock_);
        level_ = value < minimum ? minimum : value > maximum ? maximum : value;
        levelMax_ = maximum;
        levelMin_ = minimum;
    }
    // The host reports on its own threads; the slider is a window element
    // of the navigator's thread, which ShowView may be replacing.
    if (!fkwin::PostedToWindowThread(nav_, WM_NAV_LEVEL_SLIDER)) ShowLevelSlider();
}

void cNavView::ShowLevelSlider() {
    bk::ScopedLock hold(&lock_);
    if (slider_ && levelMax_ != 0) slider_->SetValue(level_, levelMax_, levelMin_, 0);
}

void cNavView::SetPeakLevels(int left, int right) {
    if (builtKind_ != NV_RECORDING) return;
    peakLeft_ = left;
    peakRight_ = right;
    const int levels[2] = {left, right};
    for (int i = 0; i < 2; ++i)
        if (meters_[i]) meters_[i]->SetBufferPos(levels[i], levels[i] == 100 ? 1 : 0);
}

void cNavView::ShowHelp() {
    const char* page = NavHelpPage(history_.Kind());
    if (page) HostCallback(10, 0, const_cast<char*>(page));
}

void cNavView::DropTable() {
    if (!table_) return;
    history_.SetFirstRow(builtKind_, table_->GetTopRow());
    delete table_;
    table_ = nullptr;
}

void cNavView::BuildTable(int kind, bool keepRow) {
    // The row kept for this kind was taken when its table last went.
    int keptRow = history_.FirstRow(kind);
    if (table_) {
        delete table_;
        table_ = nullptr;
    }
    rows_ = 0;
    static const struct {
        int kind, mode;
        unsigned titles;
    } kTables[] = {{3, 2, 419}, {4, 1, 419}, {6, 0, 419}, {9, 4, 418}, {10, 8, 489}, {11, 1, 419}, {12, 16, 540}};
    int mode = -1;
    unsigned titles = 0;
    for (const auto& t : kTables)
        if (t.kind == kind) {
            mode = t.mode;
            titles = t.titles;
        }
    cResourceManager* res = Resources();
    cNavWindow* nav = NavWindow();
    if (mode < 0 || !res || !nav) return;
    RECT r = {rect_.left + 4, rect_.top + 27, rect_.right - 4, rect_.bottom - 4};
    table_ = new cTableCtrl(nav, res, mode, r, static_cast<unsigned long>(kind));
    char text[600] = {};
    GetResourceString(nullptr, titles, UiLanguage(), text, sizeof text);
    table_->SetColumnTitles(text);
    const int* saved = history_.Selections(history_.Pos());
    cListStore& store = GetListStore();
    auto addStations = [&](int slot, const std::function<bool(cListElement*)>& pass, int most) {
        bk::ScopedLock hold(store.Lock());
        for (cListElement* e = store.List(slot)->First(); e && rows_ < most; e = e->Next()) {
            if (!pass(e)) continue;
            table_->AddText(StationRowText(static_cast<cTxtElement*>(e)->GetText()).c_str(), e->GetId());
            ++rows_;
        }
    };
    auto all = [](cListElement*) { return true; };
    switch (kind) {
        case 3: {
            unsigned long folder = 0;
            {
                bk::ScopedLock hold(store.Lock());
                cListElement* f = store.List(LS_FAVOURITE_FOLDERS)->GetByIndex(saved ? saved[0] : 0);
                folder = f ? f->GetId() : 0;
            }
            if (folder == 0xFFFF0001ul)
                addStations(LS_USER_STATIONS, all, INT_MAX);
            else
                addStations(LS_FAVOURITES, [folder](cListElement* e) {
                    return folder == 0 || static_cast<cFavoritenElement*>(e)->GetOrdner() == folder;
                }, INT_MAX);
            break;
        }
        case 4: {
            std::vector<CriteriaChoice> genres = CriteriaBoxChoices(0);
            int index = saved ? saved[0] : 0;
            CriteriaChoice pick = index >= 0 && static_cast<size_t>(index) < genres.size()
                                      ? genres[static_cast<size_t>(index)] : CriteriaChoice{"", 0, 0};
            std::vector<int> wanted;
            if (pick.lower) {
                wanted.push_back(static_cast<int>(pick.lower));
            } else if (pick.upper) {
                wanted.push_back(static_cast<int>(pick.upper));
                for (const CriteriaChoice& c : genres)
                    if (c.upper == pick.upper && c.lower && wanted.size() < 49) wanted.push_back(static_cast<int>(c.lower));
            }
            addStations(LS_TOP_STATIONS, [&](cListElement* e) {
                if (wanted.empty()) return true;
                char name[1024], place[1024], genres[1024];
                char* fields[3] = {name, place, genres};
                int n = 3;
                ConvertListToArray(static_cast<cTxtElement*>(e)->GetText(), fields, &n, sizeof genres);
                if (n < 3) return false;
                int ids[20];
                int count = 20;
                ConvertListToArray(genres, ids, &count);
                for (int i = 0; i < count; ++i)
                    for (int w : wanted)
                        if (ids[i] == w) return true;
                return false;
            }, 20);
            break;
        }
        case 6: addStations(LS_SEARCH_HITS, all, INT_MAX); break;
        case 11: addStations(LS_SKIN_STATIONS, all, INT_MAX); break;
        case 9: {
            bk::ScopedLock hold(store.Lock());
            for (cListElement* e = store.List(LS_TIMER_ENTRIES)->First(); e; e = e->Next(), ++rows_)
                table_->AddText(TimerRowText(*static_cast<cTimerEntry*>(e)).c_str(), e->GetId());
            break;
        }
        case 10: {
            SYSTEMTIME t;
            GetLocalTime(&t);
            char now[16], today[12], tomorrow[12];
            bk::TextFormat(now, sizeof now, "%04d%02d%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
            bk::TextFormat(today, sizeof today, "%04d%02d%02d", t.wYear, t.wMonth, t.wDay);
            FILETIME f;
            SystemTimeToFileTime(&t, &f);
            ULARGE_INTEGER u;
            u.LowPart = f.dwLowDateTime;
            u.HighPart = f.dwHighDateTime;
            u.QuadPart += 86400ULL * 10000000ULL;
            f.dwLowDateTime = u.LowPart;
            f.dwHighDateTime = u.HighPart;
            SYSTEMTIME n;
            FileTimeToSystemTime(&f, &n);
            bk::TextFormat(tomorrow, sizeof tomorrow, "%04d%02d%02d", n.wYear, n.wMonth, n.wDay);
            bk::ScopedLock hold(store.Lock());
            for (cListElement* e = store.List(LS_PROGRAMME_TIPS)->First(); e; e = e->Next()) {
                const char* tip = static_cast<cTxtElement*>(e)->GetText();
                bool past = false;
                std::string row = TipRowText(tip, now, &past);
                if (!TipPassesFilter(saved ? saved[0] : 0, row, tip, today, tomorrow)) continue;
                table_->AddText(row.c_str(), e->GetId());
                ++rows_;
            }
            break;
        }
        case 12: {
            SyncPodcastFeeds();
            bk::ScopedLock hold(PodcastFeedsLock());
            for (cListElement* e = PodcastFeeds().First(); e; e = e->Next()) {
                for (const PodcastRow& row : PodcastRows(*static_cast<cPodcastFeed*>(e), true)) {
                    if (row.episode == 0)
                        table_->AddText(row.text.c_str(), row.id);
                    else
                        // The table makes the episode line's id from the feed's
                        // and the episode's number.
                        table_->AddRow(row.text.c_str(), e->GetId(), static_cast<unsigned long>(row.episode));
                }
                ++rows_;
            }
            break;
        }
        default: break;
    }
    table_->SetTopRow(keepRow ? keptRow : 0);
    if (table_->GetWindow()) PostMessageA(table_->GetWindow(), WM_TABLE_REBUILD, kind == 4 ? 0 : 1, 0);
}
