#include "resource_manager.h"
#include "rows_table.h"
#include "skin_button.h"
#include "skindata.h"
#include "table_line.h"

cPodcastRowElement::cPodcastRowElement(HWND owner, cVelmoSkinData* skin, int viewValue, int buttonsWanted)
    : cCellRowElement(owner, skin, viewValue, buttonsWanted), busyPhase_(0) {}

unsigned long cPodcastRowElement::FeedId() const { return IsEpisode() ? ParentOfSubLine(GetId()) : GetId(); }

bool cPodcastRowElement::IsPlayable() const {
    if (IsEpisode()) return true;
    cTablePodcasts* feeds = TablePodcasts();
    return feeds && feeds->HasFeed(GetId()) && feeds->IsSubscribed(GetId()) > 0;
}

void cPodcastRowElement::ShowExpanded() {
    if (cSkinButton* b = FindButton(374)) b->SetStatus(1);
}

namespace {
void Hide(cSkinButton* b) {
    if (!b) return;
    b->SetVisible(0);
    b->SetEnable(0);
}
void Retarget(cSkinButton* b, DWORD spriteAndId) {
    b->SetSprite(spriteAndId);
    b->SetId(spriteAndId);
}
}  // namespace

void cPodcastRowElement::BuildButtons(cListe*) {
    SetState(ROW_NORMAL);
    if (!buttonsWanted_ || ButtonCount() > 0) return;
    RowContext ctx = Context();
    bool episode = IsEpisode();
    if (cSkinButton* expand = MakeButton(owner_, ctx, 374, 374, nullptr, 1)) expand->SetUserValue(1);
    cTablePodcasts* feeds = TablePodcasts();
    bool downloaded = episode && feeds && feeds->HasFeed(FeedId()) &&
                      feeds->IsEpisodeDownloaded(FeedId(), SubIndexOf(GetId()));
    cSkinButton* play = downloaded ? MakeButton(owner_, ctx, 35, 1, nullptr, 0)
                                   : MakeButton(owner_, ctx, 381, 381, nullptr, 0);
    if (!episode) Hide(play);
    MakeButton(owner_, ctx, 256, 256, nullptr, 0);
    char tip[1024];
    CatalogueText(581, tip, sizeof tip);
    cSkinButton* details = MakeButton(owner_, ctx, 40, 39, tip, 0);
    cSkinButton* subscribe = MakeButton(owner_, ctx, 379, 379, nullptr, 0);
    if (episode) {
        Hide(details);
        Hide(subscribe);
    }
}

int cPodcastRowElement::PaintCell(HDC dc, int left, int top, int right, int bottom, int offsetX, int offsetY, int,
                                  int, COLORREF* colour, int) {
    SetRect(left, top, right, bottom);
    RowContext ctx = Context();
    cTablePodcasts* feeds = TablePodcasts();
    unsigned long feed = FeedId();
    bool known = feeds && feeds->HasFeed(feed);
    bool episode = IsEpisode();
    int index = SubIndexOf(GetId());
    int h = bottom - top;
    int textStart = left;
    // Buttons by position: expand, play/download, delete, details, subscribe.
    cSkinButton* b[5] = {};
    int n = 0;
    for (cListElement* e = GetButtons()->First(); e && n < 5; e = e->Next()) b[n++] = static_cast<cSkinButton*>(e);

    if (b[0]) {
        if (hasSubLines_) {
            b[0]->SetVisible(1);
            Place(dc, b[0], left + 1, top + 4, offsetX, offsetY);
            textStart = left + 1 + b[0]->GetGfxWidth() + 3;
        } else {
            b[0]->SetVisible(0);
        }
    }
    bool busy = false, showNew = false, downloaded = false;
    if (!episode) {
        busy = known && feeds->IsBusy(feed);
        if (known && feeds->HasNewEpisodes(feed)) {
            showNew = true;
            busy = false;
        }
    } else if (known && b[1]) {
        if (feeds->IsEpisodeDownloading(feed, index)) {
            Retarget(b[1], 382);
            busy = true;
        } else {
            downloaded = feeds->IsEpisodeDownloaded(feed, index);
            if (downloaded && feeds->IsEpisodeNew(feed, index)) showNew = true;
            DWORD id = b[1]->GetId();
            if (!downloaded && (id == 1 || id == 382)) Retarget(b[1], 381);
            if (downloaded && id != 1) {
                b[1]->SetSprite(35);
                b[1]->SetId(1);
            }
        }
    }
    if (b[1] && b[1]->IsVisible()) {
        Place(dc, b[1], textStart + 1, top + (h - b[1]->GetGfxHeight()) / 2, offsetX, offsetY);
        textStart += 1 + b[1]->GetGfxWidth();
    }
    if (busy && ctx.res) {
        unsigned sprite = busyPhase_ ? 410 : 411;
        busyPhase_ = !busyPhase_;
        ctx.res->DrawBitmap(dc, textStart, top + (h - ctx.res->GetGfxHeight(sprite)) / 2, sprite, SRCCOPY);
        textStart += 5 + ctx.res->GetGfxWidth(410) + (episode ? 0 : 3);
    } else if (showNew && ctx.res) {
        ctx.res->DrawBitmap(dc, textStart, top + (h - ctx.res->GetGfxHeight(360)) / 2, 360, SRCCOPY);
        textStart += 2 + ctx.res->GetGfxWidth(360) + (episode ? 0 : 1);
    }
    int textEnd = right;
    if (b[2]) {
        bool show = downloaded || !episode;
        b[2]->SetVisible(show ? 1 : 0);
        b[2]->SetEnable(show ? 1 : 0);
        if (show) {
            Place(dc, b[2], right - b[2]->GetGfxWidth(), top + (h - b[2]->GetGfxHeight()) / 2, offsetX, offsetY);
            textEnd = b[2]->GetRect().left;
        }
    }
    if (b[3] && b[3]->IsVisible()) {
        int x = (b[2] && b[2]->IsVisible() ? b[2]->GetRect().left : right) - b[3]->GetGfxWidth();
        Place(dc, b[3], x, top + (h - b[3]->GetGfxHeight()) / 2, offsetX, offsetY);
        textEnd = x;
    }
    if (b[4] && b[4]->IsVisible()) {
        Retarget(b[4], known && feeds->IsSubscribed(feed) > 0 ? 379 : 380);
        int x = textEnd - 2 - b[4]->GetGfxWidth();
        Place(dc, b[4], x, top + (h - b[4]->GetGfxHeight()) / 2, offsetX, offsetY);
        textEnd = x;
    }
    COLORREF old = SetTextColor(dc, TextColour(colour));
    HGDIOBJ oldFont = ctx.res ? SelectObject(dc, ctx.res->GetFont(0)) : nullptr;
    RECT r = {textStart, top + 1, textEnd - (episode ? 0 : 1), bottom};
    DrawTextA(dc, GetText(), -1, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    if (oldFont) SelectObject(dc, oldFont);
    SetTextColor(dc, old);
    return 0;
}
