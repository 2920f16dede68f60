// The content view's part of the navigator's mouse handling: which row,
// button or scroll-bar part of the text-list panel is under the mouse, and
// scrolling the view's list by lines.
#include "nav_view.h"
#include "rows_base.h"
#include "skin_scrollbar.h"
#include "table_ctrl.h"
#include "text_list_panel.h"

NavViewHit cNavView::Check(POINT pt, HWND wnd, DWORD flag) {
    NavViewHit result;
    overLink_ = 0;
    if (closing_ || !panel_) return result;
    PanelHit hit = panel_->Check(pt, wnd, flag);
    if (hit.row) {
        result.element = 269;
        if (hit.button == static_cast<DWORD>(-1)) return result;
        result.entry = hit.id;
        result.action = static_cast<int>(hit.button);
        if (const char* text = hit.row->GetText()) result.text = text;
        if (builtKind_ == NV_SKINS) {
            // A skin row is chosen by a click anywhere on it.
            result.element = 27;
            overLink_ = 1;
        } else if (builtKind_ == NV_STATION_DETAILS && hit.button == 1) {
            // The first row is the station itself, the rows below it its streams.
            result.element = hit.row == panel_->First() ? 1 : 28;
            overLink_ = 1;
        }
        return result;
    }
    const RECT& panel = panel_->GetPanelRect();
    if (PtInRect(&panel, pt)) result.element = 269;
    if (bar_) {
        int part = bar_->Check(pt.x, pt.y, wnd, flag);
        if (part == SB_THUMB_ID || part == SB_TRACK_HIT) result.element = static_cast<DWORD>(part);
    }
    return result;
}

int cNavView::VisibleLines() const {
    if (table_) {
        RECT r = table_->GetRect();
        int height = table_->GetRowHeight();
        return height > 0 ? (r.bottom - r.top) / height : 0;
    }
    return panel_ ? panel_->GetVisibleRowCount() - 2 > 0 ? panel_->GetVisibleRowCount() - 2 : 1 : 0;
}

bool cNavView::ScrollLines(int lines) {
    if (closing_ || lines == 0) return false;
    if (table_) {
        int step = table_->GetRowHeight() * (lines < 0 ? -lines : lines);
        if (lines > 0) table_->ScrollDown(step);
        else table_->ScrollUp(step);
        return true;
    }
    if (!panel_ || !bar_) return false;
    int step = panel_->GetRowHeight() * (lines < 0 ? -lines : lines);
    if (lines > 0) bar_->LineDown(step);
    else bar_->LineUp(step);
    return true;
}
