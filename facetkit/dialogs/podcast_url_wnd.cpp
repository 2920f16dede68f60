#include "podcast_url_wnd.h"

#include <cstring>

#include "bounded_text.h"
#include "button_list.h"
#include "dialog_services.h"
#include "dialogs_b_strings.h"
#include "download.h"
#include "element_host.h"
#include "encoder_notices.h"
#include "library_state.h"
#include "podcast_feed.h"
#include "popup_paint.h"
#include "resource_manager.h"
#include "small_popup.h"
#include "window_binding.h"
#include "wnd_button.h"

namespace {
enum { SPRITE_TITLE = 384, SPRITE_OK = 187, SPRITE_CANCEL = 226, SPRITE_NOT_FOUND_TITLE = 257 };
enum { TXT_ENTER_ADDRESS = 596, TXT_EXAMPLE = 597, TXT_NOT_FOUND = 582 };
enum { CODE_ADD_PODCAST = 69, MAX_EPISODES_COUNTED = 50, TITLE_SIZE = 1024 };

void FreeAnswer(char** answer) {
    if (*answer) HeapFree(GetProcessHeap(), 0, *answer);
    *answer = nullptr;
}
}  // namespace

cPodcastUrlWnd::cPodcastUrlWnd(cElementHost* owner, HWND parent, cResourceManager* res)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), address_(nullptr), focusGiven_(false), busy_(false),
      cancelled_(false), white_(CreateSolidBrush(RGB(255, 255, 255))) {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    PreparePopup(this, &cPodcastUrlWnd::WndProc, WIDTH, HEIGHT, SPRITE_TITLE);
    ::ShowWindow(hwnd, SW_SHOW);
    if (cWndButton* ok = AddPopupButton(this, owner_, res_, BUTTON_OK, SPRITE_OK, 66, 10, 0, false)) {
        const int y = 161 - ok->GetGfxHeight();
        ok->SetPos(POINT{66, y}, 1);
        if (cWndButton* cancel = AddPopupButton(this, owner_, res_, BUTTON_CANCEL, SPRITE_CANCEL, 66, y, 0, false))
            cancel->SetPos(POINT{231 - cancel->GetGfxWidth(), y}, 1);
    }
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    address_ = new cVLEditBox(hwnd, res_, POINT{9, 69}, SIZE{280, 15}, 2, 0);
    SetActiveWindow(address_->GetWindow());
    Invalidate();
}

cPodcastUrlWnd::~cPodcastUrlWnd() {
    Close();
    if (white_) DeleteObject(white_);
}

int cPodcastUrlWnd::Fetch(char* url, char** answer, unsigned long* received) {
    *received = 0;
    cDownloadManager* dm = Library().downloads;
    if (!dm) return kDownloadFailed;
    unsigned long job = dm->Download(nullptr, 0, url, answer, FEED_LIMIT, 0, 0);
    if (!job) return kDownloadFailed;
    dm->StartJob(job);
    // The window keeps being answered while the feed comes; Cancel ends the
    // wait, and a server that never finishes cannot hold the pop-up.
    busy_ = true;
    int status = dm->GetStatus(job);
    const DWORD start = GetTickCount();
    // A job the manager no longer knows (status 0), or one whose thread
    // never began, cannot finish: no use waiting the full bound for it.
    while (status > kDownloadNone && status < kDownloadFinished && !cancelled_ &&
           GetTickCount() - start < kDownloadWaitMs &&
           !(status == kDownloadCreated && GetTickCount() - start >= kStartWaitMs)) {
        dlgs::PumpFor(5);
        status = dm->GetStatus(job);
    }
    busy_ = false;
    if (status == kDownloadFinished) *received = dm->GetAktSize(job);
    if (status == kDownloadNone || status == kDownloadCreated) status = kDownloadFailed;
    if (status < kDownloadFinished) status = kDownloadCancelled;
    dm->DeleteJob(job);
    Sleep(100);
    return status;
}

void cPodcastUrlWnd::NotFound(const char* url) {
    char format[512] = {}, text[1024] = {};
    dlgs::Text(TXT_NOT_FOUND, format, sizeof format);
    bk::TextFormat(text, sizeof text, format, url);
    cDownloadManager* dm = Library().downloads;
    HWND nav = dm ? dm->GetNavWindowHandle() : nullptr;
    dlgs::Notice(dlgs::MainWindowObject(), nav ? nav : GetWindow(), res_, text, SPRITE_NOT_FOUND_TITLE);
}

bool cPodcastUrlWnd::Subscribe() {
    if (busy_ || !address_) return false;
    char typed[cVLEditBox::TEXT_LIMIT] = {};
    address_->GetText(typed, sizeof typed);
    // The address goes into a file name and to the host; control bytes and
    // surrounding blanks are no part of it.
    char url[ADDRESS_SIZE] = {};
    size_t n = 0;
    for (const char* p = typed; *p && n < sizeof url - 1; ++p)
        if (static_cast<unsigned char>(*p) > 0x20 || (*p == ' ' && n > 0)) url[n++] = *p;
    while (n && url[n - 1] == ' ') --n;
    url[n] = 0;
    if (!url[0]) return false;

    char* answer = nullptr;
    unsigned long received = 0;
    const int status = Fetch(url, &answer, &received);
    if (cancelled_) {
        FreeAnswer(&answer);
        Close();
        return false;
    }
    if (status != kDownloadFinished || !answer) {
        FreeAnswer(&answer);
        NotFound(url);
        return false;
    }
    cPodcastFeed feed;
    feed.SetUrl(url);
    feed.SwapText(answer);
    int episodes = feed.GetEpisodeCount();
    if (episodes > MAX_EPISODES_COUNTED) episodes = MAX_EPISODES_COUNTED;
    char title[TITLE_SIZE] = {};
    if (episodes > 0) bk::TextCopy(title, sizeof title, feed.GetTitle(0));
    feed.SwapText(nullptr);
    if (episodes < 1) {
        FreeAnswer(&answer);
        NotFound(url);
        return false;
    }
    char path[MAX_PATH * 2] = {};
    if (feed.GetFeedFilePath(path, sizeof path)) {
        // A feed file that cannot be written is left out; the podcast is
        // added all the same and reads its feed again later.
        HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            // Byte for byte as it came, a zero byte inside included.
            const DWORD length = static_cast<DWORD>(received ? received : strlen(answer));
            DWORD written = 0;
            if (!WriteFile(file, answer, length, &written, nullptr) || written != length) {
                CloseHandle(file);
                file = INVALID_HANDLE_VALUE;
                DeleteFileA(path);
            } else {
                CloseHandle(file);
            }
        }
    }
    FreeAnswer(&answer);
    SetLastSubscribedTitle(title);
    SetResult(1);
    dlgs::Callback(CODE_ADD_PODCAST, 0, url);
    Close();
    return true;
}

void cPodcastUrlWnd::Close() {
    if (busy_) {
        // The running download's wait ends first and then closes.
        cancelled_ = true;
        return;
    }
    delete address_;
    address_ = nullptr;
    DestroyPopupWindow();
}

void cPodcastUrlWnd::OnButton(unsigned long id) {
    if (id == BUTTON_OK) Subscribe();
    if (id == BUTTON_CANCEL) Close();
}

LRESULT CALLBACK cPodcastUrlWnd::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cPodcastUrlWnd*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (msg == WM_CLOSE && self && self->busy_) {
        // The running download's wait ends first and then closes.
        self->cancelled_ = true;
        return 0;
    }
    return dlgs::SmallPopupProc<cPodcastUrlWnd>(hwnd, msg, wParam, lParam, &PopupProc);
}

void cPodcastUrlWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    if (!focusGiven_ && address_) {
        SetFocus(address_->GetWindow());
        focusGiven_ = true;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    const struct {
        unsigned id;
        bool own;
        int font;
        RECT r;
    } lines[] = {{TXT_ENTER_ADDRESS, false, 0, {9, 37, 280, 52}},
                 {TXT_EXAMPLE, false, 1, {9, 50, 280, 65}},
                 {DLG_TEXT_PODCAST_AT_ONCE, true, 1, {9, 101, 280, 116}}};
    for (const auto& l : lines) {
        HFONT f = res_ ? res_->GetFont(l.font) : nullptr;
        HGDIOBJ old = f ? SelectObject(dc, f) : nullptr;
        char text[200] = {};
        if (l.own)
            dlgs::OwnText(l.id, text, sizeof text);
        else
            dlgs::Text(l.id, text, sizeof text);
        RECT r = l.r;
        dlgs::DrawLabel(dc, text, &r, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
        if (old) SelectObject(dc, old);
    }
    if (address_) address_->Show(dc);
    cPopUpWnd::OnPaint(dc, ps);
}

void OpenPodcastUrlWnd(cElementHost* owner, HWND parent, cResourceManager* res) {
    cPodcastUrlWnd* wnd = new cPodcastUrlWnd(owner, parent, res);
    wnd->MessageLoop();
    delete wnd;
}
