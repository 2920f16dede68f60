// What the mouse does in a table: hover, column resizing, sorting, scroll
// bar drags, the buttons of the lines, the context menu, opening podcast
// lines and playing episodes through a written playlist.
#include <cstring>
#include <string>

#include "bounded_text.h"
#include "host_link.h"
#include "playlist_text.h"
#include "rows_table.h"
#include "skin_wnd.h"
#include "table_ctrl.h"
#include "tempfile.h"

namespace {

// The playlists handed to the player outlive the table that wrote them: a
// feed refresh rebuilds the podcast view, and with it the table, while the
// player may still be opening the last one. They go with the library.
cTempFile& Playlists() {
    static cTempFile files;
    return files;
}

// Host callback codes.
enum { HOST_OPEN_PAGE = 5, HOST_SUBSCRIBE = 71, HOST_PLAYLIST_KIND = 80, HOST_PLAYLIST_PATHS = 81 };
enum { PATH_LIST_SIZE = 20480 };

// Detail pages of a podcast (the feed's address is appended).
const char kPodcastPageGerman[] = "http://www.velmirant.de/podcast/details.php?url=";
const char kPodcastPageEnglish[] = "http://www.velmirant.com/podcast/details.php?url=";

bool WriteText(HANDLE file, const std::string& text) {
    DWORD written = 0;
    return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

void cTableCtrl::Post(UINT msg, WPARAM wParam) {
    if (owner_ && owner_->GetWindow()) PostMessageA(owner_->GetWindow(), msg, wParam, 0);
}

int cTableCtrl::CellFromPoint(int x, int y, TableCell* cell) {
    if (!hBar_ || !vBar_ || !cell) return 0;
    RECT v = vBar_->GetRect(), h = hBar_->GetRect();
    if (x < 0 || y < 0 || x >= v.left - 7 || y >= h.top - 4) return 0;
    int w0 = grid_.GetColumnWidth(0);
    if (x > w0) x += hPos_;
    int count = grid_.GetColumnCount();
    bool found = false;
    for (int c = 0, left = 0; c < count && c < TABLE_MAX_COLUMNS; ++c) {
        int width = grid_.GetColumnWidth(c);
        if (left + 1 < x && x < left + width - 1) {
            cell->column = c;
            cell->localX = x - left;
            found = true;
            break;
        }
        if (left + width - 2 < x && x < left + width + 2) {
            cell->column = -1;
            cell->localX = 0;
            borderColumn_ = c;
            found = true;
            break;
        }
        left += width;
    }
    if (!found) return 0;
    int hh = grid_.GetHeaderHeight();
    if (y > 0 && y <= hh) {
        cell->row = 0;
    } else {
        cell->row = (y - hh + rowOffset_) / grid_.GetRowHeight() + topRow_ + 1;
    }
    cell->localY = y - hh + rowOffset_;
    // A row past the last line has no line behind it.
    return cell->row <= GetRowCount() ? 1 : 0;
}

void cTableCtrl::OnMouse(int x, int y, int code) {
    if (!hBar_ || !vBar_) return;
    bool click = code == 8;
    if (!click && dragMode_) {
        if (dragMode_ == 1) {
            hBar_->DragThumb(x - dragX_);
        } else if (dragMode_ == 2) {
            vBar_->DragThumb(y - dragY_);
        } else if (dragMode_ == 3) {
            int c = borderColumn_;
            int requested = grid_.GetColumnWidth(c) + (x - dragX_);
            grid_.SetColumnWidth(c, requested);
            // A clamped width keeps its border where the clamp stopped it.
            dragX_ = x - (requested - grid_.GetColumnWidth(c));
            HDC dc = child_ ? GetDC(child_) : nullptr;
            if (dc) {
                grid_.CreateSurfaces(dc);
                ReleaseDC(child_, dc);
            }
            RECT r = GetRect();
            int w = r.right - r.left, h = r.bottom - r.top;
            if (background_.dc && brush_) {
                RECT fill = {0, 0, w + 1, h + 1};
                FillRect(background_.dc, &fill, brush_);
            }
            LayoutBars(w, h);
            hBar_->UpdateMetrics();
            Refresh(0);
        }
        return;
    }
    TableCell cell;
    if (CellFromPoint(x, y, &cell)) {
        if (grid_.SetHoverRow(cell.row - 1)) Invalidate();
        if (click) Sleep(0);
        RowHit hit = grid_.HitLineElements(cell.column, cell.row, cell.localX, cell.localY, click ? 8 : 4);
        if (owner_) owner_->SetCursor(owner_->GetCursor(cell.column == -1 && !click ? 4 : 2));
        if (click) {
            // A disabled button (-1) takes the click and does nothing.
            if (hit.element == static_cast<DWORD>(-1)) return;
            if (hit.element) {
                DispatchElement(hit.id, hit.element);
                return;
            }
            if (cell.column == -1) {
                dragMode_ = 3;
                dragX_ = x;
                dragY_ = y;
                if (child_) SetCapture(child_);
            } else if (cell.row == 0) {
                grid_.SortByColumn(cell.column);
                if (vBar_) vBar_->LineUp(0);
                Refresh(1);
            } else {
                LineClick(cell.row);
            }
        }
    }
    POINT p = {x, y};
    RECT v = vBar_->GetRect(), h = hBar_->GetRect();
    if (owner_ && (PtInRect(&v, p) || PtInRect(&h, p))) owner_->SetCursor(owner_->GetCursor(2));
    if (!click) return;
    int hitV = vBar_->Check(x, y, child_, 8);
    if (hitV == SB_TRACK_HIT || hitV == SB_THUMB_ID) {
        if (hitV == SB_TRACK_HIT) {
            RECT t = vBar_->GetThumbRect();
            vBar_->DragThumb(y - (t.bottom - t.top) / 2);
        }
        dragMode_ = 2;
        dragY_ = y - vBar_->GetThumbRect().top;
        if (child_) SetCapture(child_);
    }
    int hitH = hBar_->Check(x, y, child_, 8);
    if (hitH == SB_TRACK_HIT || hitH == SB_THUMB_ID) {
        if (hitH == SB_TRACK_HIT) {
            RECT t = hBar_->GetThumbRect();
            hBar_->DragThumb(x - (t.right - t.left) / 2);
        }
        dragMode_ = 1;
        dragX_ = x - hBar_->GetThumbRect().left;
        if (child_) SetCapture(child_);
    }
}

void cTableCtrl::LineClick(int row) {
    cTableLine* line = grid_.GetLine(row - 1);
    if (!line) return;
    unsigned long id = line->GetId();
    if (kind_ == TABLE_TIPS) {
        Post(TABLE_POST_TIP_LINE, id);
    } else if (kind_ == TABLE_PODCASTS) {
        Post(TABLE_POST_PODCAST_LINE, id);
    } else if (kind_ == TABLE_TIMERS) {
        cTimerRowElement* timer = line->GetTimerRow();
        if (timer && timer->HasButtons()) Post(TABLE_POST_TIMER, id + 1);
    } else {
        Post(TABLE_POST_STATION_LINE, id);
    }
}

void cTableCtrl::DispatchElement(unsigned long rowId, DWORD element) {
    cTablePodcasts* feeds = TablePodcasts();
    bool podcast = kind_ == TABLE_PODCASTS;
    // Own stations have ids from 0xFFFF0001 on: only a podcast table has
    // episode lines.
    bool episode = podcast && IsSubLineId(rowId);
    unsigned long feed = episode ? ParentOfSubLine(rowId) : rowId;
    int index = episode ? SubIndexOf(rowId) : -1;
    bool known = feeds && feeds->HasFeed(feed);
    switch (element) {
    case 1:
        if (episode) PlayEpisode(rowId);
        else Post(TABLE_POST_PLAY, rowId);
        break;
    case 29:
    case 30: Post(TABLE_POST_FAVOURITE_ADD, rowId); break;
    case 32:
    case 33: Post(TABLE_POST_FAVOURITE_REMOVE, rowId); break;
    case 39:
    case 40:
        if (podcast) {
            char url[1024] = {}, page[1400];
            if (!known || !feeds->GetUrl(feed, url, sizeof url)) break;
            bk::TextFormat(page, sizeof page, "%s%s",
                           GetHostLanguage() == 1 ? kPodcastPageGerman : kPodcastPageEnglish, url);
            TableEvents()->HostCallback(HOST_OPEN_PAGE, 0, page);
        } else {
            Post(TABLE_POST_DETAILS, rowId);
        }
        break;
    case 189:
    case 315: TableEvents()->HostCallback(HOST_OPEN_PAGE, static_cast<int>(rowId), nullptr); break;
    case 256:
        if (!podcast) {
            Post(TABLE_POST_DELETE, rowId);
        } else if (known) {
            HWND self = child_;
            if (episode) {
                feeds->DeleteWithConfirm(feed, index);
            } else if (feeds->DeleteWithConfirm(feed, -1)) {
                // The question ran a message loop: the table may be gone.
                if (FromWindow(self) != this) break;
                if (cTableLine* line = GetRowById(feed)) line->Expand(0, &grid_);
            }
        }
        break;
    case 316: Post(TABLE_POST_RECOMMEND, rowId); break;
    case 328: Post(TABLE_POST_TIMER, rowId + 1); break;
    case 332:
    case 333: Post(TABLE_POST_332, rowId); break;
    case 374: ToggleExpand(rowId); break;
    case 379:
    case 381:
        if (known) feeds->StartDownload(feed, index);
        break;
    case 380:
        if (known && !episode) {
            char one[] = "1";
            TableEvents()->HostCallback(HOST_SUBSCRIBE, static_cast<int>(feed), one);
            feeds->SetSubscribed(feed, 1);
        }
        break;
    case 382:
        if (known) feeds->CancelEpisodeDownload(feed, index);
        break;
    default: break;
    }
}

void cTableCtrl::PlayEpisode(unsigned long rowId) {
    cTablePodcasts* feeds = TablePodcasts();
    unsigned long feed = ParentOfSubLine(rowId);
    int episode = SubIndexOf(rowId);
    if (!feeds || !feeds->HasFeed(feed)) return;
    feeds->IncPlayCount(feed, episode);
    int answer = 0;
    TableEvents()->HostCallback(HOST_PLAYLIST_KIND, 1, &answer);
    bool m3u = answer == 1;
    char path[1024] = {};
    int index = 0;
    if (!Export(m3u, feed, episode, path, sizeof path, &index)) return;
    char title[512] = {};
    feeds->GetTitle(feed, 0, title, sizeof title);
    TableEvents()->PlayEpisode(m3u ? 1 : 2, path, title, index);
}

int cTableCtrl::ExportM3U(unsigned long feed, int episode, char* path, size_t pathSize, int* index) {
    return Export(true, feed, episode, path, pathSize, index);
}

int cTableCtrl::ExportASX(unsigned long feed, int episode, char* path, size_t pathSize, int* index) {
    return Export(false, feed, episode, path, pathSize, index);
}

int cTableCtrl::Export(bool m3u, unsigned long feed, int episode, char* path, size_t pathSize, int* index) {
    cTablePodcasts* feeds = TablePodcasts();
    char name[1024] = {};
    char* namePtr = name;
    void* handle = nullptr;
    if (Playlists().GenerateTempFile("vl_tmp", m3u ? "m3u" : "asx", &namePtr, &handle) != 1) return 0;
    HANDLE file = static_cast<HANDLE>(handle);
    if (path && pathSize) bk::TextCopy(path, pathSize, name);
    WriteText(file, m3u ? "#EXTM3U\r\n" : "<ASX version = \"3.0\">\n");
    std::string paths;
    bool requestedWritten = false;
    cTableLine* line = GetRowById(feed);
    if (feeds && feeds->HasFeed(feed) && line) {
        for (cListElement* e = line->GetSubLines()->First(); e; e = e->Next()) {
            int ep = static_cast<int>(e->GetId());
            char file_path[1024] = {}, title[1024] = {};
            feeds->GetEpisodeFilePath(feed, ep, file_path, sizeof file_path);
            feeds->IncPlayCount(feed, ep);
            int duration = feeds->GetEpisodeDuration(feed, ep);
            feeds->GetTitle(feed, ep, title, sizeof title);
            bool write = m3u ? duration >= 0 : duration > 0;
            if (!write) continue;
            if (m3u) {
                char head[32];
                bk::TextFormat(head, sizeof head, "#EXTINF:%d,", duration);
                WriteText(file, head + M3uSafe(title) + "\r\n" + M3uSafe(file_path) + "\r\n");
            } else {
                WriteText(file, "<ENTRY><TITLE>" + XmlSafe(title) + "</TITLE><REF HREF = \"" + XmlSafe(file_path) +
                                    "\" /></ENTRY>\r\n");
            }
            size_t need = strlen(file_path) + 1;
            if (paths.size() + need + 1 <= PATH_LIST_SIZE) paths.append(file_path, need);
            if (ep == episode) requestedWritten = true;
            else if (!requestedWritten && index) ++*index;
        }
    }
    if (!m3u) WriteText(file, "</ASX>");
    CloseHandle(file);
    paths.push_back('\0');
    if (paths.size() < 2) paths.push_back('\0');
    TableEvents()->HostCallback(HOST_PLAYLIST_PATHS, 0, &paths[0]);
    return 1;
}

void cTableCtrl::ToggleExpand(unsigned long rowId) {
    cTableLine* line = GetRowById(rowId);
    if (!line) return;
    bool open = !line->IsOpen();
    line->Expand(open ? 1 : 0, &grid_);
    if (cTablePodcasts* feeds = TablePodcasts())
        if (feeds->HasFeed(rowId)) feeds->SetExpanded(rowId, open ? 1 : 0);
    if (vBar_ && child_) {
        HDC dc = GetDC(child_);
        vBar_->SetVisible(dc, 1);
        ReleaseDC(child_, dc);
        vBar_->LineUp(0);
    }
    Refresh(0);
    Invalidate();
}

int cTableCtrl::OnContextMenu(int x, int y) {
    cTableEvents* events = TableEvents();
    TableCell cell;
    if (!events->HasMainWindow() || !CellFromPoint(x, y, &cell) || cell.row == 0) return 0;
    POINT p = {x, y};
    if (child_) ClientToScreen(child_, &p);
    cTableLine* line = grid_.GetLine(cell.row - 1);
    if (!line) return 0;
    unsigned long id = line->GetId();
    HWND window = owner_ ? owner_->GetWindow() : nullptr;
    if (kind_ == TABLE_TIMERS) {
        events->SetContextItemId(owner_, id + 1);
        cTimerRowElement* timer = line->GetTimerRow();
        if (timer && timer->HasButtons()) events->ShowContextMenu(window, p.x, p.y, 14);
    } else if (kind_ == TABLE_TIPS) {
        events->SetContextItemId(owner_, id);
        events->ShowContextMenu(window, p.x, p.y, 15);
    } else if (kind_ == TABLE_PODCASTS) {
        events->SetContextItemId(owner_, id);
        events->ShowContextMenu(window, p.x, p.y, 16);
    } else {
        events->SetContextItemId(owner_, id);
        events->ShowContextMenu(window, p.x, p.y, 11);
    }
    return 1;
}
