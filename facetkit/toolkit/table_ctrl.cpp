#include "table_ctrl.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "bounded_text.h"
#include "element_query.h"
#include "library_state.h"
#include "main_window.h"
#include "list_store.h"
#include "resource_manager.h"
#include "rows_table.h"
#include "skin_button.h"
#include "skin_wnd.h"
#include "skindata.h"
#include "wnd_list.h"

namespace {

// Without the views' own events the context menu still comes from the main
// window, when there is one.
class cMainWindowEvents : public cTableEvents {
public:
    bool HasMainWindow() override { return Main() != nullptr; }
    int ShowContextMenu(HWND owner, int x, int y, int subMenu) override {
        cVelmoWin* main = Main();
        return main ? main->ShowContextMenu(owner, x, y, subMenu) : 0;
    }

private:
    static cVelmoWin* Main() { return dynamic_cast<cVelmoWin*>(GetWindowList().Find(WND_ID_MAIN)); }
};

cMainWindowEvents g_defaultEvents;
cTableEvents* g_events = &g_defaultEvents;

// The table behind its child window. A property, not the window procedure:
// the grid's tool tips subclass the window.
const char kTableProp[] = "facetkit.table";

enum { TIMER_DOWN = 10, TIMER_UP = 20, TIMER_LEFT = 40, TIMER_RIGHT = 80 };

}  // namespace

int cTableEvents::HostCallback(int code, int number, void* text) { return ::HostCallback(code, number, text); }

void SetTableEvents(cTableEvents* events) { g_events = events ? events : &g_defaultEvents; }
cTableEvents* TableEvents() { return g_events; }

cTableCtrl::cTableCtrl(cSkinWnd* owner, cResourceManager* resources, int kind, RECT rect, unsigned long id)
    : kind_(kind), res_(resources), owner_(owner), repeatInterval_(200), repeating_(0), child_(nullptr),
      grid_(kind, owner), hBar_(nullptr), vBar_(nullptr), topRow_(0), rowOffset_(0), hPos_(0), dragMode_(0),
      borderColumn_(0), dragX_(0), dragY_(0), backgroundSize_{0, 0}, brush_(nullptr) {
    SetId(id);
    HWND parent = owner_ ? owner_->GetWindow() : nullptr;
    child_ = CreateWindowExA(0, "Static", "", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | SS_NOTIFY | SS_OWNERDRAW,
                             1, 1, 2, 2, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (child_) {
        // The program sets the cursor itself on every move.
        SetClassLongPtrA(child_, GCLP_HCURSOR, 0);
        SetWindowLongPtrA(child_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetPropA(child_, kTableProp, this);
        SetWindowLongPtrA(child_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&cTableCtrl::TableProc));
    }
    grid_.SetWindow(child_);
    SetStatus(2);
    SetEnable(1);
    SetTyp(2);
    brush_ = CreateSolidBrush(res_ ? res_->GetPixel(83) : RGB(255, 255, 255));
    EnsureBackground(rect.right - rect.left, rect.bottom - rect.top);
    SetRect(rect, 1);
}

cTableCtrl::~cTableCtrl() {
    if (kind_ == TABLE_PODCASTS && TablePodcasts()) TablePodcasts()->ClearRows();
    if (child_) {
        SetWindowLongPtrA(child_, GWLP_USERDATA, 0);
        RemovePropA(child_, kTableProp);
        DestroyWindow(child_);
        child_ = nullptr;
    }
    // The lines' row buttons and tips go before the bars and surfaces.
    grid_.Clear();
    rows_.Delete();
    delete hBar_;
    delete vBar_;
    hBar_ = vBar_ = nullptr;
    background_.Free();
    if (brush_) DeleteObject(brush_);
}

cTableCtrl* cTableCtrl::FromWindow(HWND window) {
    if (!window || !IsWindow(window)) return nullptr;
    return static_cast<cTableCtrl*>(GetPropA(window, kTableProp));
}

void cTableCtrl::EnsureBackground(int w, int h) {
    // The surface grows with the table; a smaller one would leave stale areas.
    if (background_.dc && w <= backgroundSize_.cx && h <= backgroundSize_.cy) return;
    if (w < backgroundSize_.cx) w = backgroundSize_.cx;
    if (h < backgroundSize_.cy) h = backgroundSize_.cy;
    HWND ref = owner_ && owner_->GetWindow() ? owner_->GetWindow() : child_;
    HDC like = GetDC(ref);
    background_.Make(like, w + 2, h + 2);
    ReleaseDC(ref, like);
    backgroundSize_ = SIZE{w, h};
    if (background_.dc && brush_) {
        RECT r = {0, 0, w + 2, h + 2};
        FillRect(background_.dc, &r, brush_);
    }
}

void cTableCtrl::SetVisible(int visible) {
    cActiveElement::SetVisible(visible);
    if (child_) ShowWindow(child_, visible ? SW_SHOW : SW_HIDE);
}

void cTableCtrl::LayoutBars(int w, int h) {
    if (!hBar_ || !vBar_) return;
    int tv = vBar_->GetThickness(), th = hBar_->GetThickness();
    int hh = grid_.GetHeaderHeight(), w0 = grid_.GetColumnWidth(0);
    vBar_->SetRect(w - tv, hh, w, h - th - 7);
    hBar_->SetRect(w0, h - 3 - th, w - tv - 4, h - 3);
    grid_.SetViewSize(w - tv - 4 - w0, (h - th - 7) - hh);
}

void cTableCtrl::SetRect(RECT r, int) {
    cActiveElement::SetRect(r, 1);
    int w = r.right - r.left, h = r.bottom - r.top;
    grid_.SetViewSize(w, h);
    EnsureBackground(w, h);
    if (child_) {
        SetWindowPos(child_, nullptr, r.left, r.top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(child_, nullptr, FALSE);
        ShowWindow(child_, SW_SHOW);
    }
    LayoutBars(w, h);
}

void cTableCtrl::Invalidate() {
    if (child_) InvalidateRect(child_, nullptr, FALSE);
}

void cTableCtrl::AddText(const char* text, unsigned long id) {
    if (!text) return;
    texts_.Add(text, strlen(text), id);
}

void cTableCtrl::AddRow(const char* text, unsigned long parentId, unsigned long id) {
    if (!text) return;
    cRowElement* row = new (std::nothrow) cRowElement();
    if (!row) return;
    row->SetText(text);
    row->SetId(id);
    row->SetParentId(parentId);
    rows_.Add(row);
}

void cTableCtrl::SetColumnTitles(const char* titles) {
    if (titles) grid_.SetTitles(titles);
}

cTableLine* cTableCtrl::GetRowById(unsigned long id) { return grid_.GetLineById(id); }

void cTableCtrl::Rebuild(int sortable) {
    cTablePodcasts* feeds = kind_ == TABLE_PODCASTS ? TablePodcasts() : nullptr;
    // Feeds must not write into lines that are about to go.
    if (feeds) feeds->ClearRows();
    grid_.Clear();
    grid_.SetSortNumeric(5, 1);
    // The lines themselves are made as they come into view.
    grid_.Fill(&texts_, res_);
    if (feeds) {
        for (int i = 0; i < grid_.GetLineCount(); ++i) {
            cTableLine* line = grid_.GetLine(i);
            if (line && feeds->HasFeed(line->GetId())) feeds->SetEpisodeRow(line->GetId(), 0, line);
        }
    }
    cVelmoSkinData* skin = owner_ ? owner_->GetSkinData() : nullptr;
    auto makeLine = [&](unsigned long id, const char* text, size_t length, int favourite) {
        cTableLine* line = new (std::nothrow) cTableLine();
        if (!line) return line;
        line->SetId(id);
        line->SetKind(kind_);
        line->SetOwner(child_);
        line->SetSkinData(skin);
        line->SetResources(res_);
        line->SetData(text, length, favourite, 1);
        return line;
    };
    for (cListElement* e = rows_.First(); e; e = e->Next()) {
        cRowElement* entry = static_cast<cRowElement*>(e);
        cTableLine* parent = GetRowById(entry->GetParentId());
        if (!parent) continue;   // a row whose parent is not shown is dropped
        const char* text = entry->GetText();
        cTableLine* line = makeLine(entry->GetId(), text, strlen(text), 0);
        if (line) parent->AddSubLine(line);
    }
    grid_.Init(res_, sortable);
    if (!hBar_ && child_) {
        hBar_ = new (std::nothrow) cScrollBar(child_, 0, owner_, res_);
        vBar_ = new (std::nothrow) cScrollBar(child_, 1, owner_, res_);
        if (!hBar_ || !vBar_) {
            delete hBar_;
            delete vBar_;
            hBar_ = vBar_ = nullptr;
        }
    }
    SetRect(GetRect(), 1);
    if (hBar_) hBar_->SetClient(this);
    if (vBar_) vBar_->SetClient(this);
    HDC dc = child_ ? GetDC(child_) : nullptr;
    grid_.SetSortNumeric(5, 1);
    if (dc) grid_.CreateSurfaces(dc);
    if (feeds) {
        // Opening puts sub lines in: collect first.
        std::vector<cTableLine*> feedLines;
        for (int i = 0; i < grid_.GetLineCount(); ++i)
            if (cTableLine* line = grid_.GetLine(i)) feedLines.push_back(line);
        for (cTableLine* line : feedLines) {
            if (line->GetParentId() || !feeds->HasFeed(line->GetId()) || !feeds->IsExpanded(line->GetId()))
                continue;
            line->Expand(1, &grid_);
            if (cPodcastRowElement* row = line->GetPodcastRow()) row->ShowExpanded();
        }
    }
    if (vBar_) vBar_->SetVisible(dc, 1);
    if (hBar_) hBar_->SetVisible(dc, 1);
    if (dc) ReleaseDC(child_, dc);
    grid_.Render(topRow_, 1);
    Invalidate();
}

void cTableCtrl::SetTopRow(int row) { topRow_ = row > static_cast<int>(texts_.Count()) ? 0 : row; }

void cTableCtrl::SetPosition(int pos, int vertical) {
    int rowHeight = grid_.GetRowHeight();
    if (vertical) {
        if (pos < 1) {
            topRow_ = 0;
            rowOffset_ = 0;
        } else if (pos < rowHeight * GetRowCount()) {
            topRow_ = pos / rowHeight;
            rowOffset_ = pos % rowHeight;
        }
        grid_.SetRowOffset(rowOffset_);
    } else {
        if (pos < 1) hPos_ = 0;
        else if (pos < GetContentWidth()) hPos_ = pos;
        grid_.SetHOffset(hPos_);
    }
    Refresh(1);
    if (child_) InvalidateRect(child_, nullptr, FALSE);
}

int cTableCtrl::GetContentWidth() {
    int sum = 0;
    for (int c = 1; c < grid_.GetColumnCount() && c < TABLE_MAX_COLUMNS; ++c) sum += grid_.GetColumnWidth(c);
    return sum;
}

int cTableCtrl::GetContentHeight() { return grid_.GetRowHeight() * GetRowCount(); }

void cTableCtrl::Refresh(int full) {
    grid_.Render(topRow_, full);
    Invalidate();
}

int cTableCtrl::NextRepeat(int interval, int* step) {
    interval -= 10;
    int s = 1;
    if (interval < 190) s = 2;
    if (interval < 170) s = 4;
    if (interval < 150) s = 6;
    if (interval < 90) s = 8;
    if (interval < 10) {
        interval = 10;
        s = 20;
    }
    if (step) *step = s;
    return interval;
}

void cTableCtrl::StartRepeat(UINT_PTR timer) {
    if (child_) SetCapture(child_);
    if (!repeating_) {
        repeatInterval_ = 200;
        if (child_) SetTimer(child_, timer, repeatInterval_, nullptr);
        repeating_ = 1;
    }
}

void cTableCtrl::ScrollUpPressed() {
    ScrollUp(5);
    StartRepeat(TIMER_UP);
}
void cTableCtrl::ScrollDownPressed() {
    ScrollDown(5);
    StartRepeat(TIMER_DOWN);
}
void cTableCtrl::ScrollLeftPressed() {
    ScrollLeft(5);
    StartRepeat(TIMER_LEFT);
}
void cTableCtrl::ScrollRightPressed() {
    ScrollRight(5);
    StartRepeat(TIMER_RIGHT);
}

void cTableCtrl::ScrollUp(int step) {
    if (vBar_) vBar_->LineUp(step);
}
void cTableCtrl::ScrollDown(int step) {
    if (vBar_) vBar_->LineDown(step);
}
void cTableCtrl::ScrollLeft(int step) {
    if (hBar_) hBar_->LineUp(step);
}
void cTableCtrl::ScrollRight(int step) {
    if (hBar_) hBar_->LineDown(step);
}

void cTableCtrl::StopRepeat() {
    if (!repeating_) return;
    if (child_)
        for (UINT_PTR id : {TIMER_DOWN, TIMER_UP, TIMER_LEFT, TIMER_RIGHT}) KillTimer(child_, id);
    repeating_ = 0;
}

void cTableCtrl::OnRepeatTimer(UINT_PTR timer) {
    int step = 1;
    repeatInterval_ = NextRepeat(repeatInterval_, &step);
    switch (timer) {
    case TIMER_UP: ScrollUp(step); break;
    case TIMER_DOWN: ScrollDown(step); break;
    case TIMER_LEFT: ScrollLeft(step); break;
    default: ScrollRight(step); break;
    }
    if (child_) {
        KillTimer(child_, timer);
        SetTimer(child_, timer, repeatInterval_, nullptr);
    }
}

void cTableCtrl::OnPaint(HWND window) {
    RECT r = GetRect();
    int w = r.right - r.left, h = r.bottom - r.top;
    if (vBar_ && hBar_ && background_.dc) {
        w -= vBar_->GetThickness() + 4;
        h -= hBar_->GetThickness() + 7;
        grid_.Compose(background_.dc, 0, 0, w, h, hPos_, rowOffset_);
        vBar_->Show(background_.dc);
        hBar_->Show(background_.dc);
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc && background_.dc)
        ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, background_.dc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    EndPaint(window, &ps);
}

LRESULT CALLBACK cTableCtrl::TableProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cTableCtrl* self = reinterpret_cast<cTableCtrl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return msg == WM_NCDESTROY || msg == WM_DESTROY ? DefWindowProcA(hwnd, msg, wParam, lParam) : 0;
    return self->Handle(hwnd, msg, wParam, lParam);
}

LRESULT cTableCtrl::Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    auto track = [hwnd]() {
        TRACKMOUSEEVENT t = {sizeof t, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&t);
    };
    switch (msg) {
    case WM_PAINT:
        OnPaint(hwnd);
        return 1;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCPAINT:
        return 0;
    case WM_NOTIFY: {
        NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
        if (hdr && hdr->code == TTN_SHOW) {
            if (owner_ && owner_->GetToolTipWindow())
                SetWindowPos(owner_->GetToolTipWindow(), HWND_TOPMOST, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
            return 1;
        }
        return 0;
    }
    case WM_CONTEXTMENU: {
        POINT p = {x, y};
        ScreenToClient(hwnd, &p);
        if (OnContextMenu(p.x, p.y)) return 0;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    case WM_TIMER:
        if (wParam != TIMER_DOWN && wParam != TIMER_UP && wParam != TIMER_LEFT && wParam != TIMER_RIGHT) return 1;
        OnRepeatTimer(wParam);
        return 0;
    case WM_MOUSEMOVE: {
        track();
        if (owner_ && owner_->GetToolTipWindow()) {
            MSG m = {hwnd, msg, wParam, lParam, 0, POINT{x, y}};
            SendMessageA(owner_->GetToolTipWindow(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
        }
        if (owner_) owner_->SelectCursor(nullptr);
        OnMouse(x, y, 4);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        track();
        OnMouse(x, y, 8);
        // A row's action may run a modal question, during which a rebuild
        // (a feed refresh, another view) deletes this table.
        if (FromWindow(hwnd) != this) return 0;
        SetCapture(hwnd);
        if (owner_) owner_->SelectCursor(nullptr);
        Invalidate();
        return 0;
    case WM_LBUTTONUP:
        if (owner_ && owner_->GetWindow())
            PostMessageA(owner_->GetWindow(), WM_TABLE_ARROW_RELEASED, 0, static_cast<LPARAM>(GetId()));
        ReleaseCapture();
        dragMode_ = 0;
        StopRepeat();
        return 0;
    case WM_CAPTURECHANGED:
        // A drag or repeat must not outlive the capture: the button-up may go
        // to another window.
        if (reinterpret_cast<HWND>(lParam) != hwnd) {
            dragMode_ = 0;
            StopRepeat();
        }
        Invalidate();
        if (owner_) owner_->SelectCursor(nullptr);
        return 0;
    case WM_MOUSEHOVER:
        return 0;
    case WM_MOUSELEAVE:
        if (GetCapture() == hwnd) {
            ReleaseCapture();
            Invalidate();
        }
        if (owner_) owner_->SelectCursor(nullptr);
        return 0;
    case WM_TABLE_REBUILD:
        Rebuild(static_cast<int>(wParam));
        return 0;
    case WM_TABLE_ARROW_PRESSED:
        switch (lParam) {
        case SB_UP_ARROW: ScrollUpPressed(); break;
        case SB_DOWN_ARROW: ScrollDownPressed(); break;
        case SB_LEFT_ARROW: ScrollLeftPressed(); break;
        case SB_RIGHT_ARROW: ScrollRightPressed(); break;
        default: break;
        }
        return 0;
    case WM_TABLE_ARROW_RELEASED:
        if (lParam == SB_UP_ARROW || lParam == SB_DOWN_ARROW || lParam == SB_LEFT_ARROW || lParam == SB_RIGHT_ARROW) {
            StopRepeat();
            ReleaseCapture();
        }
        return 0;
    case WM_GETTEXTLENGTH:
    case WM_GETTEXT: {
        // The window's text is what the table lists, a row a line, so that
        // screen readers (and tests acting as the user) can read it.
        std::string all;
        for (size_t i = 0; i < texts_.Count(); ++i) {
            for (const char* c = texts_.Text(i); *c; ++c) all += static_cast<unsigned char>(*c) < 0x20 ? ' ' : *c;
            all += '\n';
        }
        if (msg == WM_GETTEXTLENGTH) return static_cast<LRESULT>(all.size());
        char* out = reinterpret_cast<char*>(lParam);
        if (!out || wParam == 0) return 0;
        const size_t n = all.size() < wParam - 1 ? all.size() : wParam - 1;
        memcpy(out, all.data(), n);
        out[n] = 0;
        return static_cast<LRESULT>(n);
    }
    default:
        if (IsLineQuery(msg)) return AnswerLineQuery(static_cast<int>(wParam), reinterpret_cast<HWND>(lParam));
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// Runs on the table's thread, so lines and buttons cannot change meanwhile.
LRESULT cTableCtrl::AnswerLineQuery(int position, HWND asker) {
    if (position < 0 || !IsWindow(asker)) return 0;
    cTableLine* line = grid_.GetLine(position);
    if (!line) return 0;
    const int hh = grid_.GetHeaderHeight(), rh = grid_.GetRowHeight();
    RECT area = {};
    if (child_) GetClientRect(child_, &area);
    const int bottom = hBar_ ? hBar_->GetRect().top : area.bottom;
    ElementReport report = {};
    report.id = static_cast<int32_t>(line->GetId());
    report.enabled = 1;
    report.left = 0;
    report.top = hh + (position - topRow_) * rh - rowOffset_;
    report.right = vBar_ ? vBar_->GetRect().left : area.right;
    report.bottom = report.top + rh;
    report.visible = report.top >= hh && report.bottom <= bottom;
    report.ownWindow = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(child_));
    std::string text;
    for (int c = 0; c < line->GetColumnCount() && c < TABLE_MAX_COLUMNS; ++c) {
        const char* column = line->GetColumnText(c);
        if (c) text += " | ";
        if (column) text += column;
    }
    bk::TextCopy(report.text, sizeof report.text, text.c_str());
    SendElementReport(child_, asker, report);
    cCellRowElement* row = line->GetRow();
    // Buttons are placed on the first column's surface; the table shows it
    // below the header, moved up by the part of the top line scrolled away.
    for (cListElement* b = row ? row->GetButtons()->First() : nullptr; b; b = b->Next())
        SendElementReport(child_, asker,
                          LineButtonReport(static_cast<cActiveElement*>(b), 0, hh - rowOffset_, report.visible != 0, child_));
    return 1;
}
