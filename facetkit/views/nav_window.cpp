#include "nav_window.h"

#include <cstring>

#include "../../tunerdeck/core/settings_interface.h"
#include "activeelement.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "hint_wnds.h"
#include "library_entry.h"
#include "library_state.h"
#include "list_store.h"
#include "main_window.h"
#include "message_popup.h"
#include "motion_picture.h"
#include "playlist_text.h"
#include "podcast_feed.h"
#include "profiles.h"
#include "skin_scrollbar.h"
#include "text_list_panel.h"
#include "mp3_quality_wnd.h"
#include "nav_menus.h"
#include "new_folder_wnd.h"
#include "podcast_url_wnd.h"
#include "profile_editors.h"
#include "recording_display.h"
#include "registry.h"
#include "resource_manager.h"
#include "search_criteria.h"
#include "skin_plugin.h"
#include "splash_window.h"
#include "status_intake.h"
#include "vltime.h"
#include "win_handles.h"
#include "wnd_list.h"

namespace {

// The navigator's own pop-ups run modally and go with their loop.
void RunModalPopup(cPopUpWnd* popup) {
    popup->MessageLoop();
    delete popup;
}

cNavWindow* volatile g_navigator = nullptr;
// The open update dialogs (one each for the whole process).
cMessageWnd* volatile g_databaseDialog = nullptr;
cMessageWnd* volatile g_tipsDialog = nullptr;
volatile LONG g_startupChecksDone = 0;
volatile LONG g_skinChangePending = 0;
NavQuestionFn g_question = nullptr;

int Ask(const char* text) {
    if (g_question) return g_question(text);
    cResourceManager* res = GetResourceManager();
    cNavWindow* nav = NavWindow();
    if (!res || !nav) return 0;
    cMessageWnd question(nav, nav->GetWindow(), res);
    question.SetTitleDC(257);
    question.SetCountdown(-1);
    question.SetText(text);
    question.AddButton(289, 289);
    question.AddButton(290, 290);
    question.MessageLoop();
    return question.GetResult() ? 1 : 0;
}

// A file name from a row text: no folder part may come with it.
bool PlainFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..";
}

enum { kTimerScrollDown = 10, kTimerScrollUp = 20 };
// The button that folds the navigator in and out; it stays through a slide.
constexpr unsigned long kSlideButton = 58;
// Sprite ids of the frame table at positions 1 to 20 and of the banner frame.
const unsigned kFrameSprites[21] = {0,   97,  106, 105, 104, 103, 102, 101, 100, 99, 98,
                                    96,  95,  248, 249, 250, 253, 252, 251, 247, 246};
const unsigned kBannerSprites[8] = {200, 202, 199, 201, 203, 206, 205, 204};

cSettingsInterface* Host() { return Library().host; }

std::string Text(unsigned id) {
    char text[500] = {};
    GetResourceString(nullptr, id, UiLanguage(), text, sizeof text);
    return text;
}

int FramePos(unsigned sprite) {
    for (int i = 1; i < 21; ++i)
        if (kFrameSprites[i] == sprite) return i;
    return 0;
}

bool HasElementIn(void* context, int id) {
    return static_cast<cButtonListe*>(context)->GetById(static_cast<unsigned long>(id)) != nullptr;
}

void OpenPage(const char* path) { OpenMakerPage(path); }

void SetLevelPicture(cButtonListe* list, DWORD id, int percent) {
    auto* picture = dynamic_cast<cMotionPicture*>(static_cast<cActiveElement*>(list->GetById(id)));
    if (picture) picture->SetPercent(percent < 0 ? 0 : percent > 100 ? 100 : percent);
}

// What the table's buttons and lines and the details page ask of the main
// window, which carries them out (favourites, details, playing, timer
// entries).
bool IsMainWindowRowMessage(UINT msg) {
    switch (msg) {
    case 1126: case 1127: case 1128: case 1129: case 1130:
    case 1174: case 1175: case 1176: case 1177: return true;
    default: return false;
    }
}

cStatusDisplay* MainDisplay() { return dynamic_cast<cStatusDisplay*>(GetWindowList().Find(WND_ID_MAIN)); }

}  // namespace

cNavWindow* NavWindow() { return g_navigator; }
void SetNavQuestion(NavQuestionFn fn) { g_question = fn; }
int NavAsk(const char* text) { return Ask(text); }
bool NavSkinChangePending() { return g_skinChangePending != 0; }

bool WriteEpisodePlaylist(const char* path, int kind, const char* episodeFile, const char* title) {
    std::string text;
    if (kind == 2) {
        text = std::string("<ASX version=\"3.0\">\r\n<ENTRY>\r\n<TITLE>") + XmlSafe(title) +
               "</TITLE>\r\n<REF HREF=\"" + XmlSafe(episodeFile) + "\"/>\r\n</ENTRY>\r\n</ASX>\r\n";
    } else {
        text = std::string("#EXTM3U\r\n#EXTINF:-1,") + M3uSafe(title) + "\r\n" + M3uSafe(episodeFile) + "\r\n";
    }
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    BOOL ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(f);
    return ok && put == text.size();
}

cNavWindow* CreateNavWindow(HMODULE skinModule, HWND owner, int bannerShown) {
    auto* nav = new cNavWindow(bannerShown);
    if (!nav->Create(skinModule, owner)) {
        delete nav;
        return nullptr;
    }
    return nav;
}

cNavWindow::cNavWindow(int bannerShown) {
    // The host is asked for both lists while the skin is built.
    device_.requested = 1;
    input_.requested = 1;
    bannerShown_ = bannerShown && GetSkinData()->GetVelmoaddieType() != 5;
    SetLayoutDone(1);
    SIZE minimum = GetSkinData()->GetMinSizeNavWnd();
    SetMinSize(minimum.cx, minimum.cy);
    SetWndFlags(3);
    GetSkinData()->SetResizeBtnPos(POINT{-1, -1});
}

cNavWindow::~cNavWindow() {
    {
        bk::ScopedLock hold(PodcastFeedsLock());
        for (cListElement* e = PodcastFeeds().First(); e; e = e->Next()) {
            auto* feed = static_cast<cPodcastFeed*>(e);
            for (int i = 0; i < 100 && feed->IsBusy(); ++i) Sleep(5);
            // Download threads set row texts; the table's lines go with this window.
            feed->ClearRows();
        }
    }
    StopRefreshingArrivals();
    HostCallback(41, 0, nullptr);
    if (g_navigator == this) g_navigator = nullptr;
    SetContentView(nullptr);
    delete view_;
    view_ = nullptr;
    ReleaseBackBuffer();
    if (boxBrush_) DeleteObject(boxBrush_);
    // A deleted navigator must not stay in the window list, where the status
    // intake and the main window look it up.
    GetWindowList().RemoveWithoutDelete(this);
    HWND hwnd = GetWindow();
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
}

bool cNavWindow::Create(HMODULE skinModule, HWND owner) {
    HINSTANCE module = Library().module ? Library().module : GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(module, kNavigatorWindowClass, &wc)) {
        wc.lpfnWndProc = &cSkinWnd::StaticWndProc;
        wc.hInstance = module;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(4));
        wc.lpszClassName = kNavigatorWindowClass;
        RegisterClassA(&wc);
    }
    HWND hwnd = CreateWindowExA(0, kNavigatorWindowClass, "", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0,
                                0, owner, nullptr, module, this);
    if (!hwnd) return false;
    SetSkinModule(skinModule);
    InitWindow(hwnd, WND_ID_NAVIGATOR);
    return true;
}

bool cNavWindow::MainExists() const { return MainWindow() != nullptr; }

HWND cNavWindow::MainWindow() const {
    cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
    return main && main->GetWindow() && IsWindow(main->GetWindow()) ? main->GetWindow() : nullptr;
}

// ------------------------------------------------------------------ replies

void cNavWindow::SetReply(Reply* reply, const char* text) {
    bk::ScopedLock hold(replyLock_);
    bk::TextCopy(reply->text, text ? text : "");
    // The host's answers carry no request number: the newest answers every
    // request made before it.
    reply->answered = reply->requested;
}

void cNavWindow::ExpectReply(Reply* reply) {
    bk::ScopedLock hold(replyLock_);
    ++reply->requested;
}

bool cNavWindow::WaitReply(Reply* reply, char* out, int size, DWORD timeoutMs, const volatile LONG* stop) {
    if (!out || size <= 0) return false;
    out[0] = 0;
    LONG target;
    {
        bk::ScopedLock hold(replyLock_);
        target = reply->requested;
    }
    // The host answers only when its recording pipe exists: a reply that
    // never comes counts as an empty list. The windows stay painted and
    // usable meanwhile.
    const DWORD start = GetTickCount();
    for (;;) {
        {
            bk::ScopedLock hold(replyLock_);
            if (reply->answered >= target) {
                bk::TextCopy(out, static_cast<size_t>(size), reply->text);
                return true;
            }
            if (GetTickCount() - start >= timeoutMs || (stop && *stop)) {
                // A late reply to this request must not answer the next one.
                if (reply->answered < target) reply->answered = target;
                return false;
            }
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

void cNavWindow::SetRecDeviceList(const char* text) { SetReply(&device_, text); }
void cNavWindow::SetRecSourceList(const char* text) { SetReply(&input_, text); }
bool cNavWindow::WaitRecDeviceList(char* out, int size, DWORD timeoutMs, const volatile LONG* stop) {
    return WaitReply(&device_, out, size, timeoutMs, stop);
}
bool cNavWindow::WaitRecSourceList(char* out, int size, DWORD timeoutMs, const volatile LONG* stop) {
    return WaitReply(&input_, out, size, timeoutMs, stop);
}
void cNavWindow::ExpectRecDeviceList() { ExpectReply(&device_); }
void cNavWindow::ExpectRecSourceList() { ExpectReply(&input_); }

// ------------------------------------------------------------------ layout

void cNavWindow::ApplySkinSizes() {
    cVelmoSkinData* skin = GetSkinData();
    cSettingsInterface* host = Host();
    int kind = skin->GetVelmoaddieType();
    bannerShown_ = host && host->GetVelmoAddy() && kind != 5 ? 1 : 0;
    int w = 0, h = 0;
    if (host)
        NavBannerSize(host->GetLanguage(), host->GetAdBannerCX(), host->GetAdBannerCY(), host->GetAdBannerCX_ENG(),
                      host->GetAdBannerCY_ENG(), &w, &h);
    skin->SetBannerHeight(h);
    OnBannerHeight(h);
    skin->SetBannerHeight(h);
    SIZE minimum = skin->GetMinSizeNavWnd();
    int minHeight = minimum.cy;
    if (!bannerShown_ || kind == 1 || kind == 5) {
        w = h = 0;
        if (!bannerShown_) skin->SetBannerHeight(0);
    } else {
        minHeight = minimum.cy + h - skin->getVelmoaddieUeberlappungCY();
    }
    bannerHeight_ = h;
    bannerWidth_ = w;
    int minWidth = minimum.cx > w ? minimum.cx : w;
    SetMinSize(minWidth, minHeight);
    int width = GetWidth(), height = GetHeight();
    if (host) {
        if (host->GetNavWinCX() > width) width = host->GetNavWinCX();
        if (host->GetNavWinCY() > height) height = host->GetNavWinCY();
    }
    SetSize(width < minWidth ? minWidth : width, height < minHeight ? minHeight : height);
    if (auto* slide = static_cast<cActiveElement*>(GetButtonList()->GetById(58))) {
        RECT r = slide->GetRect();
        slideBottom_ = r.bottom;
        slideWidth_ = r.right - r.left;
        slideHeight_ = r.bottom - r.top;
    }
    g_navigator = this;
    cResourceManager* res = GetResourceManager();
    for (int i = 1; i < 21; ++i)
        frame_[i] = res ? SIZE{res->GetGfxWidth(kFrameSprites[i]), res->GetGfxHeight(kFrameSprites[i])} : SIZE{0, 0};
    for (int i = 0; i < 8; ++i)
        bannerFrame_[i] = res && bannerShown_ ? SIZE{res->GetGfxWidth(kBannerSprites[i]), res->GetGfxHeight(kBannerSprites[i])}
                                              : SIZE{0, 0};
    if (!bannerShown_)
        for (unsigned s : {249u, 252u, 250u, 253u, 246u}) frame_[FramePos(s)] = SIZE{0, 0};
    LayoutPass();
    UpdateLayout(0);
    if (GetWindow()) InvalidateRect(GetWindow(), nullptr, FALSE);
}

HRGN cNavWindow::RegionForState(int width, int height) {
    SkinGetSkinRegionExtWndFn region = CurrentSkin().entry.GetSkinRegionExtWnd;
    if (!region) return nullptr;
    int side = IsResizing() ? 2 : collapsed_ ? 0 : 1;
    return region(this, side, width, height, width, height);
}

void cNavWindow::ReleaseBackBuffer() {
    if (backDC_) {
        if (backOld_) SelectObject(backDC_, backOld_);
        DeleteDC(backDC_);
    }
    if (backBitmap_) DeleteObject(backBitmap_);
    backDC_ = nullptr;
    backBitmap_ = nullptr;
    backOld_ = nullptr;
}

void cNavWindow::PlaceBesideMain() {
    cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
    if (!main) return;
    POINT offset = GetSkinData()->GetNavWndOffset();
    int x = main->GetPosX() + main->GetWidth() + offset.x, y = main->GetPosY() + offset.y;
    char text[128];
    bk::TextFormat(text, sizeof text, "PosMain (X:%d Y:%d) NeuPosExt(X:%d Y:%d)", main->GetPosX(), main->GetPosY(), x, y);
    HostCallback(28, 7, text);
    SetWindowPosition(x, y);
}

void cNavWindow::OnBannerHeight(int height) {
    cVelmoSkinData* skin = GetSkinData();
    if (skin->GetVelmoaddieType() != 2) return;
    const int d = height - skin->GetBannerHeight();
    if (d != 0) {
        for (cListElement* e = GetButtonList()->First(); e; e = e->Next()) {
            auto* element = static_cast<cActiveElement*>(e);
            RECT r = element->GetRect();
            OffsetRect(&r, 0, d);
            element->SetRect(r, 0);
        }
        if (view_) {
            RECT content = view_->Rect();
            content.top += d;
            if (view_->SetRect(content)) view_->ShowView(0);
        }
        auto down = [d](POINT p) { return POINT{p.x, p.y + d}; };
        skin->SetDisplayLeftTop(down(skin->GetDisplayLeftTop()));
        skin->SetTitelPos(down(skin->GetTitelPos()));
        skin->SetListenCounterPos(down(skin->GetListenCounterPos()));
        POINT offset = skin->GetNavWndOffset();
        skin->SetNavWndOffset(POINT{offset.x, offset.y - d});
    }
    PlaceBesideMain();
}

void cNavWindow::LayoutPass() {
    cVelmoSkinData* skin = GetSkinData();
    cSettingsInterface* host = Host();
    int first = host ? static_cast<int>(static_cast<unsigned short>(host->GetScreen())) : static_cast<int>(NV_SEARCH_FORM);
    ReleaseBackBuffer();
    PlaceBesideMain();
    int width = GetWidth(), height = GetHeight();
    POINT lt = skin->GetDisplayLeftTop();
    RECT content = {lt.x, lt.y, width - skin->GetDisplayRandRechts(), height - skin->GetDisplayRandUntenOhneBanner()};
    if (bannerShown_ && skin->GetVelmoaddieType() == 0 && bannerHeight_ > 0 && bannerHeight_ < 3000)
        content.bottom -= bannerHeight_;
    if (view_ && view_->SetRect(content)) view_->ShowView(0);
    if (skin->GetHasDisplay() == 1 && !view_) {
        view_ = new cNavView(GetWindow(), content);
        SetContentView(view_);
        view_->ShowView(NavFirstView(first, &HasElementIn, GetButtonList()));
    }
    HWND hwnd = GetWindow();
    if (hwnd && width > 0 && height > 0) {
        HDC dc = GetDC(hwnd);
        backDC_ = CreateCompatibleDC(dc);
        SetBkMode(backDC_, TRANSPARENT);
        backBitmap_ = CreateCompatibleBitmap(dc, width, height);
        backOld_ = SelectObject(backDC_, backBitmap_);
        ReleaseDC(hwnd, dc);
        MoveWindow(hwnd, GetPosX(), GetPosY(), width, height, FALSE);
        SkinGetSkinRegionExtWndFn region = CurrentSkin().entry.GetSkinRegionExtWnd;
        HRGN rgn = region ? region(this, collapsed_ ? 0 : 1, collapsed_ ? 0 : width, height, width, height) : nullptr;
        InvalidateRect(hwnd, nullptr, FALSE);
        if (rgn) SetWindowRgn(hwnd, rgn, TRUE);
    }
}

// ------------------------------------------------------------------ slide

void cNavWindow::Slide() {
    if (sliding_) return;
    HWND hwnd = GetWindow();
    cVelmoSkinData* skin = GetSkinData();
    cSettingsInterface* host = Host();
    int bannerKind = skin->GetVelmoaddieType();
    if (!collapsed_ && bannerShown_ && bannerKind != 5) HostCallback(25, 0, nullptr);
    LARGE_INTEGER frequency, last, now;
    bool counter = QueryPerformanceFrequency(&frequency) != 0;
    DWORD lastTick = GetTickCount();
    if (counter) QueryPerformanceCounter(&last);
    MSG msg;
    while (hwnd && PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    sliding_ = 1;
    collapsed_ = !collapsed_;
    int width = GetWidth(), height = GetHeight();
    SkinGetSkinRegionExtWndFn region = CurrentSkin().entry.GetSkinRegionExtWnd;
    if (MainExists() && skin->GetNavAnimEnabled() == 1 && host && host->GetNAVAnimEnabled() == 1 && region && hwnd) {
        travel_ = width - skin->GetNavWndPaintRandLinks() - skin->GetNavWndPaintRandRechts();
        SetElementsVisible(0);
        while (PeekMessageA(&msg, hwnd, WM_SKIN_SHOW_ELEMENT, WM_SKIN_SHOW_ELEMENT, PM_REMOVE)) DispatchMessageA(&msg);
        NavSlideSteps plan = NavSlidePlan(travel_, height, skin->GetNavAnimType());
        int side = collapsed_ ? 0 : 1;
        for (int n = 0; n <= plan.steps; ++n) {
            int i = collapsed_ ? plan.steps - n : n;
            extentX_ = i * plan.stepWidth;
            extentY_ = static_cast<int>(i * plan.verticalStep);
            HRGN rgn = region(this, side, extentX_, extentY_, width, height);
            RECT box;
            int kind = rgn ? GetRgnBox(rgn, &box) : ERROR;
            if (kind == NULLREGION || kind == ERROR) {
                if (rgn) DeleteObject(rgn);
                continue;
            }
            SetWindowRgn(hwnd, rgn, TRUE);
            InvalidateRect(hwnd, nullptr, FALSE);
            UpdateWindow(hwnd);
            while (PeekMessageA(&msg, hwnd, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&msg);
            DWORD elapsed;
            if (counter) {
                QueryPerformanceCounter(&now);
                elapsed = static_cast<DWORD>((now.QuadPart - last.QuadPart) * 1000 / frequency.QuadPart);
                last = now;
            } else {
                DWORD t = GetTickCount();
                elapsed = t - lastTick;
                lastTick = t;
            }
            if (elapsed < 12) Sleep(12 - elapsed);
        }
    }
    if (region && hwnd) {
        HRGN rgn = region(this, collapsed_ ? 0 : 1, width, height, width, height);
        if (rgn) SetWindowRgn(hwnd, rgn, TRUE);
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    if (host) host->SetNavOpen(collapsed_ ? 0 : 1);
    UpdateLayout(0);
    SetElementsVisible(collapsed_ ? 0 : 1);
    if (!collapsed_ && view_) view_->ShowView(0);
    sliding_ = 0;
    if (hwnd) UpdateWindow(hwnd);
    if (!collapsed_ && bannerShown_ && bannerKind != 5) HostCallback(48, 0, nullptr);
}

void cNavWindow::SetElementsVisible(int show) {
    auto apply = [show](cButtonListe* list) {
        for (cListElement* e = list ? list->First() : nullptr; e; e = e->Next()) {
            if (e->GetId() == kSlideButton) continue;
            // An element with a window of its own is shown by its window's messages.
            auto* element = static_cast<cActiveElement*>(e);
            if (HWND own = element->GetWindow())
                PostMessageA(own, WM_SKIN_SHOW_ELEMENT, static_cast<WPARAM>(show), 0);
            else
                element->SetVisible(show);
        }
    };
    apply(GetButtonList());
    if (cTextListPanel* panel = view_ ? view_->Panel() : nullptr) apply(panel->GetButtons());
    if (view_) view_->SetElementsVisible(show);
}

void cNavWindow::ExtendIfFolded() {
    if (!collapsed_) return;
    Slide();
    HostCallback(48, 0, nullptr);
}

void cNavWindow::OnEndResize() {
    for (int i = 0; sliding_ && i < 200; ++i) Sleep(50);
    RECT r;
    if (!GetWindowRect(GetWindow(), &r)) return;
    SetSize(r.right - r.left, r.bottom - r.top);
    if (auto* slide = static_cast<cActiveElement*>(GetButtonList()->GetById(58))) {
        RECT s = slide->GetRect();
        slideBottom_ = s.bottom;
        slideWidth_ = s.right - s.left;
        slideHeight_ = s.bottom - s.top;
    }
    LayoutPass();
    if (cSettingsInterface* host = Host()) {
        host->SetNavWinCX(GetWidth());
        host->SetNavWinCY(GetHeight());
        host->Save();
    }
    HostCallback(48, 0, nullptr);
}

void cNavWindow::ToggleBanner() {
    cSettingsInterface* host = Host();
    if (!host) return;
    int was = host->GetVelmoAddy();
    host->SetVelmoAddy(!was);
    HostCallback(25, 0, nullptr);
    int w = 0, h = 0;
    NavBannerSize(host->GetLanguage(), host->GetAdBannerCX(), host->GetAdBannerCY(), host->GetAdBannerCX_ENG(),
                  host->GetAdBannerCY_ENG(), &w, &h);
    int height = GetHeight() + (was ? -h : h);
    SetSize(GetWidth(), height < 0 ? 0 : height);
    ApplySkinSizes();
    HostCallback(24, 0, nullptr);
}

// ------------------------------------------------------------------ actions

void cNavWindow::RunSearch(int fromForm, int marked) {
    if (!collapsed_) HostCallback(26, 0, nullptr);
    {
        cListStore& store = GetListStore();
        bk::ScopedLock hold(store.Lock());
        store.List(LS_SEARCH_HITS)->Delete();
    }
    SearchRecord record;
    memset(&record, 0, sizeof record);
    record.marked = marked ? 1 : 0;
    if (fromForm) {
        int selections[kCriteriaBoxes] = {};
        if (view_) view_->CaptureForm();
        int* saved = view_ ? view_->History().Selections(view_->History().Pos()) : nullptr;
        if (saved) memcpy(selections, saved, sizeof selections);
        char name[300] = {};
        GetValue("NAME", name, sizeof name);
        FillSearchRecord(&record, name, selections, UiLanguage());
    }
    if (cStatusDisplay* main = MainDisplay()) main->SetSearchFinished(0);
    HostCallback(6, 0, &record);
    Sleep(50);
    if (view_) view_->ShowView(NV_SEARCH_RESULTS);
}

void cNavWindow::SearchIfFormShown() {
    if (view_ && view_->BuiltKind() == NV_SEARCH_FORM) RunSearch(1, 0);
}

void cNavWindow::PageBack() {
    if (view_) view_->Back();
    if (!collapsed_) HostCallback(26, 0, nullptr);
}

void cNavWindow::SetElementState(DWORD id, int value) {
    if (auto* e = static_cast<cActiveElement*>(GetButtonList()->GetById(id))) e->SetStatus(value);
}

void cNavWindow::ShowViewButton(int kind) {
    if (!view_) return;
    if (view_->BuiltKind() != kind) view_->ShowView(kind);
    if (!collapsed_) HostCallback(26, 0, nullptr);
}

void cNavWindow::UpdateDialog(bool tips, int stage, int count) {
    cMessageWnd* volatile& slot = tips ? g_tipsDialog : g_databaseDialog;
    if (stage == 0) {
        if (slot) return;
        cResourceManager* res = GetResourceManager();
        if (!tips) updateRunning_ = 1;
        if (!res) {
            // No dialog can be shown; the update itself still runs.
            HostCallback(tips ? 65 : 35, 0, nullptr);
            return;
        }
        auto* dialog = new cMessageWnd(this, GetWindow(), res);
        dialog->SetTitleDC(359);
        dialog->SetCountdown(-1);
        dialog->SetText(Text(tips ? 493 : 347).c_str());
        dialog->SetWaitAnimation(1);
        slot = dialog;
        dialog->RunMessageLoop();
        for (int i = 0; i < 300; ++i) {
            HWND w = dialog->GetWindow();
            if (w && IsWindowVisible(w)) break;
            PumpMessages();
            Sleep(10);
        }
        dialog->SetMinHeight(dialog->GetSize().cy);
        HostCallback(tips ? 65 : 35, 0, nullptr);
        return;
    }
    if (stage != 3 && stage != 4) return;
    if (!slot) {
        if (!tips && updateRunning_) updateRunning_ = quietUpdate_ = 0;
        return;
    }
    cMessageWnd* dialog = slot;
    std::string text;
    if (stage == 4) {
        text = Text(tips ? 496 : 352);
    } else if (count < 1) {
        text = Text(tips ? 495 : 349);
    } else {
        char formatted[500];
        bk::TextFormat(formatted, sizeof formatted, Text(tips ? 494 : 348).c_str(), count);
        text = formatted;
    }
    dialog->SetText(text.c_str());
    dialog->SetWaitAnimation(0);
    dialog->AddButton(187, 289);
    if (!tips && quietUpdate_) dialog->SetCountdown(4);
    dialog->SetDeleteOnClose();
    dialog->InitWndSize();
    dialog->Invalidate();
    slot = nullptr;
    if (!tips) {
        updateRunning_ = 0;
        quietUpdate_ = 0;
    }
}

void cNavWindow::DatabaseUpdateProgress(int stage, int count) { UpdateDialog(false, stage, count); }
void cNavWindow::TipsUpdateProgress(int stage, int count) { UpdateDialog(true, stage, count); }

void cNavWindow::StartupChecks() {
    char stamp[20] = {};
    HostCallback(74, 20, stamp);
    stamp[19] = 0;
    cVLTime time(stamp);
    ULARGE_INTEGER dbTime = time.GetAsULargeInteger();
    FILETIME nowFile;
    SYSTEMTIME local;
    GetLocalTime(&local);
    SystemTimeToFileTime(&local, &nowFile);
    ULARGE_INTEGER now;
    now.LowPart = nowFile.dwLowDateTime;
    now.HighPart = nowFile.dwHighDateTime;
    // The database time has whole seconds: so has the comparison.
    now.QuadPart -= now.QuadPart % 10000000ULL;
    const ULONGLONG fifteenDays = 1296000ULL * 10000000ULL;
    if (dbTime.QuadPart + fifteenDays < now.QuadPart) {
        quietUpdate_ = 1;
        DatabaseUpdateProgress(0, 0);
    }
    if (Host() && Host()->GetAutoupdatePrgTipps() == 1) HostCallback(65, 0, nullptr);
    if (PodcastFeature()) RefreshSubscribedFeeds();
    InterlockedExchange(&g_startupChecksDone, 1);
}

void cNavWindow::RowAction(int kind, unsigned long entryId, int action, const char* rowText) {
    if (!view_) return;
    if (view_->BuiltKind() == NV_SKINS) {
        const char* five = rowText ? strchr(rowText, 5) : nullptr;
        if (!five) return;
        std::string file = five + 1, shown(rowText, five);
        size_t cut = shown.find('\x02');
        if (cut != std::string::npos) shown.resize(cut);
        // The file name comes from the skin's version texts: it must name a
        // file in the skins folder and nothing outside it.
        if (!PlainFileName(file)) return;
        std::string path = std::string(Library().skinsFolder);
        if (!path.empty() && path.back() != '\\') path += '\\';
        path += file;
        if (action == 186) {
            char question[600];
            bk::TextFormat(question, sizeof question, Text(420).c_str(), shown.c_str());
            if (Ask(question) == 1) {
                DeleteFileA(path.c_str());
                view_->ShowView(0);
            }
        } else if (action == 195) {
            Recommend(2, 0, shown.c_str());
        } else if (action != -1) {
            GetSkinData()->SetBannerHeight(0);
            InterlockedExchange(&g_skinChangePending, 1);
            HostCallback(16, 0, const_cast<char*>(file.c_str()));
            if (HWND main = MainWindow()) PostMessageA(main, WM_CLOSE, 0, 0);
            Sleep(100);
        }
        return;
    }
    HWND main = MainWindow();
    if (!main) return;
    WPARAM id = static_cast<WPARAM>(entryId);
    switch (action) {
        case 195:
        case 316:
            HostCallback(14, static_cast<int>(entryId), nullptr);
            Recommend(1, static_cast<int>(entryId), rowText);
            break;
        case 29:
        case 30: PostMessageA(main, 1127, id, 0); break;
        case 32:
        case 33: PostMessageA(main, 1126, id, 0); break;
        case 39:
        case 40:
            HostCallback(14, static_cast<int>(entryId), nullptr);
            Sleep(20);
            view_->ShowView(NV_STATION_DETAILS, static_cast<int>(entryId));
            break;
        case 189:
        case 315: HostCallback(5, static_cast<int>(entryId), nullptr); break;
        case 332:
        case 333: PostMessageA(main, 1177, id, 0); break;
        default: PostMessageA(main, kind == 0 ? 1130 : 1129, id, 0); break;
    }
}

void cNavWindow::OnPodcastRowAction(uint32_t rowId) {
    unsigned long feedId = 0;
    int index = 0;
    bool episode = DecodePodcastRowId(rowId, &feedId, &index);
    if (!episode) feedId = rowId;
    bk::ScopedLock hold(PodcastFeedsLock());
    cPodcastFeed* feed = static_cast<cPodcastFeed*>(PodcastFeeds().GetById(feedId));
    if (!feed) return;
    if (!episode) {
        feed->SetExpanded(feed->IsExpanded() ? 0 : 1);
        if (view_) view_->ShowView(0);
        return;
    }
    if (feed->IsEpisodeDownloading(index)) {
        feed->CancelEpisodeDownload(index);
        return;
    }
    if (!feed->IsEpisodeDownloaded(index)) {
        feed->StartDownload(index);
        return;
    }
    feed->IncPlayCount(index);
    // Code 80 answers 1 when the RealAudio engine is there: it plays the
    // M3U playlist (kind 1); otherwise Media Player plays an ASX (kind 2).
    // The table's play button decides the same way.
    int32_t answer = 0;
    HostCallback(80, 1, &answer);
    int kind = answer == 1 ? 1 : 2;
    char file[MAX_PATH * 2], folder[MAX_PATH], path[MAX_PATH * 2];
    if (!feed->GetEpisodeFilePath(index, file, sizeof file) || !GetTempPathA(sizeof folder, folder)) return;
    bk::TextFormat(path, sizeof path, "%sepisode%s", folder, kind == 2 ? ".asx" : ".m3u");
    std::string title = feed->GetTitle(index);
    if (!WriteEpisodePlaylist(path, kind, file, title.c_str())) return;
    if (auto* main = dynamic_cast<cVelmoWin*>(GetWindowList().Find(WND_ID_MAIN))) main->PlayEpisode(kind, path, title.c_str(), 0);
}

bool cNavWindow::OnViewPress(cNavView* view, POINT pt) {
    NavViewHit hit = view->Check(pt, GetWindow(), 8);
    switch (hit.element) {
    case 0: return false;
    case 1:
        if (HWND main = MainWindow()) PostMessageA(main, 1130, static_cast<WPARAM>(hit.entry), 0);
        return true;
    case 27:
    case 28:
        RowAction(hit.element == 27 ? 0 : 1, hit.entry, hit.action, hit.text.c_str());
        return true;
    case 24:
    case 22:
        if (cScrollBar* bar = view->Bar()) {
            if (hit.element == 24) {
                RECT t = bar->GetThumbRect();
                bar->DragThumb(pt.y - (t.bottom - t.top) / 2);
            }
            thumbOffset_ = pt.y - bar->GetThumbRect().top;
            thumbDrag_ = 1;
            SetCapture(GetWindow());
        }
        return true;
    default: return true;
    }
}

void cNavWindow::VolumeChanged(int value) {
    cVolumeSlider* slider = view_ ? view_->LevelSlider() : nullptr;
    HostCallback(45, slider ? NavLevelFromValue(value, slider->GetMax()) : value, nullptr);
}

void cNavWindow::ApplyRecordingChoices() {
    if (!view_) return;
    if (view_->BuiltKind() != NV_RECORDING) {
        // A table view's box chose another folder, genre or filter.
        if (view_->BuiltKind() != NV_SEARCH_FORM) view_->ShowView(0);
        return;
    }
    char format[512] = {}, quality[512] = {}, cut[1024] = {};
    if (!view_->GetRecordingChoices(format, quality, cut, 512)) return;
    cSettingsInterface* host = Host();
    if (!host) return;
    host->SetRecordingFormat(strcmp(format, "WAV") != 0 ? 1 : 0);
    host->SetAutoCutMuster(cut);
    host->SetQualityMuster(quality);
    int rate = 0, bits = 0, channels = 0, language = 0;
    GetRecQualitySettings(quality, &rate, &bits, &channels, &language);
    view_->SetQualityInfo(format, quality, rate, bits, channels);
    host->Save();
    HostCallback(46, 0, nullptr);
}

void cNavWindow::StartAutoScroll(DWORD id) {
    if (view_) view_->ScrollLines(id == 20 ? -5 : 5);
    SetCapture(GetWindow());
    if (autoScrolling_) return;
    scrollInterval_ = 100;
    SetTimer(GetWindow(), id == 20 ? kTimerScrollUp : kTimerScrollDown, static_cast<UINT>(scrollInterval_), nullptr);
    autoScrolling_ = 1;
}

void cNavWindow::StopAutoScroll() {
    KillTimer(GetWindow(), kTimerScrollDown);
    KillTimer(GetWindow(), kTimerScrollUp);
    if (autoScrolling_) ReleaseCapture();
    autoScrolling_ = 0;
}

void cNavWindow::OnTimer(UINT_PTR id) {
    int step = NavAutoScrollStep(&scrollInterval_);
    if (view_) view_->ScrollLines(id == kTimerScrollUp ? -step : step);
    SetTimer(GetWindow(), id, static_cast<UINT>(scrollInterval_), nullptr);
}

void cNavWindow::OnClick(DWORD id) {
    switch (id) {
        case 4: HostCallback(5, 0, nullptr); break;
        case 5: ShowViewButton(NV_TOP_STATIONS); break;
        case 6: ShowViewButton(NV_FAVOURITES); break;
        case 7:
            if (view_ && view_->BuiltKind() != NV_SEARCH_FORM) ResetSearchCriteria(UiLanguage());
            ShowViewButton(NV_SEARCH_FORM);
            break;
        case 8:
            if (!collapsed_) HostCallback(26, 0, nullptr);
            if (view_) view_->ShowView(NV_SKINS);
            break;
        case 20:
        case 21: StartAutoScroll(id); break;
        case 36: RunSearch(1, 0); break;
        case 37: RunSearch(0, 0); break;
        case 38:
        case 41: PageBack(); break;
        case 58: Slide(); break;
        case 169: HostCallback(32, 0, nullptr); break;
        case 184:
            if (view_) view_->Forward();
            if (!collapsed_) HostCallback(26, 0, nullptr);
            break;
        case 185: RunModalPopup(new cNewFolderWnd(this, GetWindow(), GetResourceManager(), 0)); break;
        case 186:
            if (view_) view_->DeleteFolderQuestion();
            break;
        case 268:
            if (cVolumeSlider* slider = view_ ? view_->LevelSlider() : nullptr) {
                SetCapture(GetWindow());
                slider->BeginDrag();
            }
            break;
        case 255:
            // Renames the chosen folder; the host refreshes the lists (1132).
            if (unsigned long folder = view_ ? view_->ChosenFolder() : 0)
                RunModalPopup(new cNewFolderWnd(this, GetWindow(), GetResourceManager(), folder));
            break;
        case 270:
        case 370: {
            char format[260] = {}, quality[260] = {}, cut[260] = {};
            if (view_) view_->GetRecordingChoices(format, quality, cut, 260);
            if (id == 270)
                RunModalPopup(new cRecQualityWnd(this, GetWindow(), GetResourceManager(), quality));
            else
                RunModalPopup(new cCutProfileWnd(this, GetWindow(), GetResourceManager(), cut));
            if (view_) view_->ShowView(0);
            break;
        }
        case 329:
            RunModalPopup(new cMp3QualityWnd(this, GetWindow(), GetResourceManager()));
            if (view_) view_->ShowView(0);
            break;
        case 190: RunSearch(0, 1); break;
        case 193:
            ResetSearchCriteria(UiLanguage());
            if (view_) view_->ResetSearchForm();
            if (view_) view_->ShowView(0);
            break;
        case 265: ShowViewButton(NV_RECORDING); break;
        case 322:
            if (!collapsed_) HostCallback(26, 0, nullptr);
            if (view_) view_->ShowView(NV_TIMERS);
            break;
        case 330:
            if (HWND main = MainWindow()) PostMessageA(main, 1174, 0, 0);
            break;
        case 356:
            if (view_) view_->ShowView(NV_TIPS);
            break;
        case 368:
            if (view_) view_->ShowView(NV_SKIN_STATIONS);
            break;
        case 373: ToggleBanner(); break;
        case 59:
            if (auto* grip = static_cast<cActiveElement*>(GetButtonList()->GetById(59))) {
                RECT r = grip->GetRect();
                POINT drag = GetDragOffset();
                SetLastMousePos(r.left + drag.x, r.top + drag.y);
                SetDragOffset(r.left + drag.x, r.top + drag.y);
                SetCapture(GetWindow());
                SetResizing(1);
            }
            break;
        case 383: {
            const char* address = GetSkinData()->GetPodcastURL();
            if (!IsOEMPlayer() || !address || strlen(address) < 3)
                OpenPage(UiLanguage() == 2 ? "/podcast/index.php" : "/pages/radiomagazin/podcasts/");
            else
                OpenPodcastSearchSplash(this, GetResourceManager());
            break;
        }
        case 404: OpenPage("/pages/radiomagazin/radioprogramm/"); break;
        case 377: OpenPodcastUrlWnd(this, GetWindow(), GetResourceManager()); break;
        case 375:
            if (view_) view_->ShowView(NV_PODCASTS);
            break;
        case 400:
            if (view_) view_->ShowHelp();
            break;
        case 317: {
            SkinGetSkinPoweredByFn powered = CurrentSkin().entry.GetSkinPoweredBy;
            HostCallback(5, 0, powered ? const_cast<char*>(powered()) : nullptr);
            break;
        }
        default:
            if (id >= 159 && id <= 168) {
                SkinSkinSpecificBtnFn specific = CurrentSkin().entry.SkinSpecificBtn;
                cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
                if (specific && main)
                    specific(GetResourceManager(), main, main->GetButtonList(), static_cast<int>(id));
            }
            break;
    }
}

// ------------------------------------------------------------------ paint

void cNavWindow::PaintFrame(HDC dc) {
    cResourceManager* res = GetResourceManager();
    cVelmoSkinData* skin = GetSkinData();
    if (!res) return;
    auto w = [&](unsigned s) { return frame_[FramePos(s)].cx; };
    auto h = [&](unsigned s) { return frame_[FramePos(s)].cy; };
    auto put = [&](unsigned s, int x, int y) {
        if (w(s) > 0 && h(s) > 0) res->BitBlt(dc, x, y, w(s), h(s), s, 0, 0, SRCCOPY);
    };
    auto stretch = [&](unsigned s, int x, int y, int cx, int cy) {
        if (cx > 0 && cy > 0 && w(s) > 0 && h(s) > 0) res->StretchBlt(dc, x, y, cx, cy, s, 0, 0, SRCCOPY);
    };
    auto mx = [](int v) { return v >= 1 ? v : 0; };
    int P = GetWidth() - skin->GetNavWndPaintRandLinks() - skin->GetNavWndPaintRandRechts();
    int H = GetHeight();
    int kind = skin->GetVelmoaddieType();
    int B = !bannerShown_ || kind == 1 || kind == 5 ? 0 : bannerHeight_ - h(250) - skin->getVelmoaddieUeberlappungCY();
    int L = H - h(97) - h(106) - h(104) - h(248) - h(250) - B;
    int R = H - h(99) - h(100) - h(102) - h(253) - h(251) - B;
    stretch(246, w(249), H - h(104) - h(250) - B, P - w(249), B + h(250));
    put(97, 0, 0);
    put(106, 0, h(97));
    put(104, 0, H - h(104));
    put(96, w(104), H - h(96));
    if (L > 0) stretch(105, 0, h(97) + h(106), w(105), L);
    put(248, 0, h(97) + h(106) + mx(L));
    stretch(249, 0, h(97) + h(106) + mx(L) + h(248), w(249), L < 1 ? B + L : B);
    if (bannerShown_) put(250, 0, H - h(104) - h(250));
    stretch(247, w(248), h(97) + h(106) + mx(L + h(248) - h(247)), P - w(248) - w(251), h(247));
    put(251, P - w(251), h(99) + h(100) + mx(R));
    stretch(252, P - w(252), h(99) + h(100) + mx(R) + h(251), w(252), R < 1 ? B + R : B);
    if (bannerShown_) put(253, P - w(253), H - h(102) - h(253));
    put(102, P - w(102), H - h(102));
    if (H - h(103) > 0) stretch(103, w(104) + w(96), H - h(103), P - w(104) - w(102) - w(96), h(103));
    put(99, P - w(99), 0);
    put(100, P - w(100), h(99));
    if (P - w(101) > 0 && R > 0) stretch(101, P - w(101), h(99) + h(100), w(101), R);
    put(95, P - w(99) - w(95), 0);
    stretch(98, w(97), 0, P - w(97) - w(99) - w(95), h(98));
}

POINT cNavWindow::GetBannerPos() {
    cVelmoSkinData* skin = GetSkinData();
    POINT at = skin->GetBannerPos();
    int bw = 0, bh = 0;
    if (cSettingsInterface* host = Host())
        NavBannerSize(host->GetLanguage(), host->GetAdBannerCX(), host->GetAdBannerCY(), host->GetAdBannerCX_ENG(),
                      host->GetAdBannerCY_ENG(), &bw, &bh);
    int paint = GetWidth() - skin->GetNavWndPaintRandLinks() - skin->GetNavWndPaintRandRechts();
    switch (skin->GetVelmoaddieType()) {
    case 5: return POINT{(GetWidth() - bw) / 2 + at.x, GetHeight() - at.y - bh};
    case 2: return POINT{paint / 2 + at.x - bw / 2, at.y};
    default: return POINT{paint / 2 + at.x - bw / 2, GetHeight() - at.y - bh};
    }
}

void cNavWindow::PaintBannerFrame(HDC dc) {
    cResourceManager* res = GetResourceManager();
    if (!res || !bannerShown_ || bannerWidth_ <= 0 || bannerHeight_ <= 0) return;
    cVelmoSkinData* skin = GetSkinData();
    POINT at = GetBannerPos();
    RECT b = {at.x, at.y, at.x + bannerWidth_, at.y + bannerHeight_};
    // Positions 0..7: corners 200, 202, 199, 201, edges 203 (left), 206
    // (bottom), 205 (right), 204 (top).
    auto w = [&](int i) { return bannerFrame_[i].cx; };
    auto h = [&](int i) { return bannerFrame_[i].cy; };
    auto put = [&](int i, int x, int y) {
        if (w(i) > 0 && h(i) > 0) res->BitBlt(dc, x, y, w(i), h(i), kBannerSprites[i], 0, 0, SRCCOPY);
    };
    auto stretch = [&](int i, int x, int y, int cx, int cy) {
        if (cx > 0 && cy > 0 && w(i) > 0 && h(i) > 0) res->StretchBlt(dc, x, y, cx, cy, kBannerSprites[i], 0, 0, SRCCOPY);
    };
    put(0, b.left - w(0), b.top - h(0));
    put(1, b.right, b.top - h(1));
    put(2, b.left - w(2), b.bottom);
    put(3, b.right, b.bottom);
    stretch(4, b.left - w(4), b.top + skin->GetAddyRandOffsetLO(), w(4),
            b.bottom - b.top - skin->GetAddyRandOffsetLO() - skin->GetAddyRandOffsetLU());
    stretch(6, b.right, b.top + skin->GetAddyRandOffsetRO(), w(6),
            b.bottom - b.top - skin->GetAddyRandOffsetRO() - skin->GetAddyRandOffsetRU());
    stretch(5, b.left + skin->GetAddyRandOffsetUL(), b.bottom,
            b.right - b.left - skin->GetAddyRandOffsetUL() - skin->GetAddyRandOffsetUR(), h(5));
    stretch(7, b.left + skin->GetAddyRandOffsetOL(), b.top - h(7),
            b.right - b.left - skin->GetAddyRandOffsetOL() - skin->GetAddyRandOffsetOR(), h(7));
}

void cNavWindow::Paint() {
    HWND hwnd = GetWindow();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!backDC_) {
        EndPaint(hwnd, &ps);
        return;
    }
    static volatile LONG firstPaint = 1;
    bool full = !sliding_ || InterlockedExchange(&firstPaint, 0);
    if (full) {
        PaintFrame(backDC_);
        PaintBannerFrame(backDC_);
        // The view lays its ground: the skin and the elements paint over it.
        if (view_) view_->Paint(backDC_);
        SkinPaintFn paint = CurrentSkin().entry.PaintNav;
        RECT area = ps.rcPaint;
        if (paint) paint(backDC_, &area, GetResourceManager());
        ShowElements(backDC_);
        ::BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                 ps.rcPaint.bottom - ps.rcPaint.top, backDC_, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    } else {
        int offset = travel_ - extentX_;
        int width = GetWidth(), height = GetHeight();
        if (offset != lastSlideOffset_ && ps.rcPaint.right > ps.rcPaint.left) {
            int kind = GetSkinData()->GetNavAnimType();
            if (kind == 2) {
                ::BitBlt(dc, width / 2 - extentX_ / 2, 0, extentX_ / 2, height, backDC_, 0, 0, SRCCOPY);
                ::BitBlt(dc, width / 2, 0, extentX_ / 2, height, backDC_, width - extentX_ / 2, 0, SRCCOPY);
            } else if (kind == 3) {
                ::BitBlt(dc, 0, 0, width, extentY_, backDC_, 0, height - extentY_, SRCCOPY);
            } else if (kind == 5) {
                ::BitBlt(dc, 0, 0, width, height, backDC_, 0, 0, SRCCOPY);
            } else {
                ::BitBlt(dc, 0, 0, extentX_, height, backDC_, offset, 0, SRCCOPY);
            }
            lastSlideOffset_ = offset;
        }
    }
    EndPaint(hwnd, &ps);
}

// ------------------------------------------------------------------ messages

LRESULT cNavWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    SetMouseParams(wParam, lParam);
    cNavView* view = view_;
    switch (msg) {
        case WM_CREATE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_CAPTURECHANGED:
            return 0;
        case WM_ACTIVATE: {
            DWORD pid = 0;
            if ((LOWORD(wParam) == 1 || LOWORD(wParam) == 2) && lParam)
                GetWindowThreadProcessId(reinterpret_cast<HWND>(lParam), &pid);
            if (pid && pid != GetCurrentProcessId()) HostCallback(26, 0, nullptr);
            return 0;
        }
        case WM_PAINT:
            Paint();
            return 1;
        case WM_CLOSE:
            if (HWND main = MainWindow()) PostMessageA(main, WM_CLOSE, 0, 0);
            return 0;
        case WM_ERASEBKGND:
        case WM_NCACTIVATE:
        case WM_SYSCHAR:
        case WM_INITDIALOG:
            return 1;
        case WM_COMMAND:
            if (LOWORD(wParam) == 0 && HIWORD(wParam) == 8) {
                SetFocus(hwnd);
                return 0;
            }
            if (LOWORD(wParam) == 1) {
                EndDialog(hwnd, 1);
                return 1;
            }
            return LOWORD(wParam) == 2 ? 1 : 0;
        case WM_TIMER:
            if (wParam == kTimerScrollDown || wParam == kTimerScrollUp) {
                OnTimer(wParam);
                return 0;
            }
            return 1;
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd, 0};
            TrackMouseEvent(&track);
            TakeMousePosFromLParam();
            if (IsMoving()) DragTo(1);
            else if (IsResizing()) UpdateResizeFrame();
            else if (thumbDrag_ && view && view->Bar()) view->Bar()->DragThumb(GetMouseY() - thumbOffset_);
            else if (view && view->LevelSlider() && view->LevelSlider()->GetDragState()) {
                view->LevelSlider()->Drag(GetMouseX(), GetMouseY());
                return 0;
            }
            else if (view && !NavSkinChangePending()) {
                POINT pt = {GetMouseX(), GetMouseY()};
                DWORD flag = wParam == MK_LBUTTON ? 8 : 4;
                GetButtonList()->Check(pt, hwnd, flag);
                view->Check(pt, hwnd, flag);
                SelectCursor(nullptr);
            }
            return 1;
        }
        case WM_LBUTTONDOWN: {
            TakeMousePosFromLParam();
            SetLastMousePos(GetMouseX(), GetMouseY());
            SetDragOffset(GetMouseX(), GetMouseY());
            POINT pt = {GetMouseX(), GetMouseY()};
            DWORD id = GetButtonList()->Check(pt, hwnd, 8);
            if (id == ELEMENT_RESIZE_GRIP) {
                SetCapture(hwnd);
                SetResizing(1);
            } else if (id == 4) {
                HostCallback(5, 0, nullptr);
            } else if (id == ELEMENT_EXTEND_BUTTON) {
                if (!collapsed_) Slide();
                InvalidateRect(nullptr, nullptr, FALSE);
            } else if (id == 317) {
                OnClick(317);
            } else if (id == 0 && !(view && OnViewPress(view, pt))) {
                SetMoving(1);
                SetCapture(hwnd);
            }
            return 1;
        }
        case WM_LBUTTONUP:
            thumbDrag_ = 0;
            if (view && view->LevelSlider() && view->LevelSlider()->EndDrag()) return 0;
            if (IsMoving()) EndDrag();
            if (IsResizing()) {
                EndResize();
                OnEndResize();
            }
            if (autoScrolling_) StopAutoScroll();
            ReleaseCapture();
            return 1;
        case WM_MOUSELEAVE: {
            POINT out = {-1, -1};
            GetButtonList()->Check(out, hwnd, 4);
            if (view) view->Check(out, hwnd, 4);
            return 1;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            cVelmoSkinData* skin = GetSkinData();
            if (msg == WM_CTLCOLORLISTBOX)
                if (cResourceManager* res = GetResourceManager())
                    if (HFONT font = res->GetFont(2)) SelectObject(dc, font);
            const COLORREF ground = skin->GetTextboxcolorBG();
            if (!boxBrush_ || boxColour_ != ground) {
                if (boxBrush_) DeleteObject(boxBrush_);
                boxBrush_ = CreateSolidBrush(ground);
                boxColour_ = ground;
            }
            SetTextColor(dc, skin->GetTextcolorN());
            SetBkColor(dc, ground);
            return reinterpret_cast<LRESULT>(boxBrush_);
        }
        case WM_MOUSEWHEEL:
            if (view) {
                int lines = view->VisibleLines();
                if (lines < 1) lines = 1;
                if (view->ScrollLines(GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -lines : lines))
                    InvalidateRect(hwnd, &view->Rect(), FALSE);
            }
            return 1;
        case WM_NAV_DOCK_MOVED:
            SetWindowPosition(GetPosX() + static_cast<int>(wParam), GetPosY() + static_cast<int>(lParam));
            return 1;
        case WM_NAV_PODCASTS:
            // The host pushed its podcasts: feeds that arrived are refreshed.
            if (PodcastFeature()) SyncPodcastFeeds();
            if (view) {
                view->ShowView(0);
                // A deletion asked in pop-ups over the list: the rebuilt
                // list must replace what showed under them.
                RedrawWindow(hwnd, &view->Rect(), nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            }
            return 1;
        case WM_NAV_TOPLISTS:
        case WM_NAV_LISTS:
            if (view) view->ShowView(0);
            return 1;
        case WM_NAV_LISTS_SPLASH:
            if (view) view->ShowView(0);
            PostToSplashSlot(cSplashWnd::KIND_LOADING, WM_SPLASH_CLOSE, 0, 0);
            return 1;
        case WM_NAV_CLICK:
            OnClick(static_cast<DWORD>(lParam));
            return 1;
        case WM_NAV_RELEASE:
            if (lParam == 268 && view && view->LevelSlider()) return view->LevelSlider()->EndDrag() ? 0 : 1;
            if (lParam == 20 || lParam == 21) StopAutoScroll();
            if (lParam == 357) TipsUpdateProgress(0, 0);
            return 1;
        case WM_NAV_SIZES:
            ApplySkinSizes();
            HostCallback(24, 0, nullptr);
            return 1;
        case WM_NAV_PEAKS:
            if (!sliding_) {
                if (view) view->SetPeakLevels(static_cast<int>(wParam), static_cast<int>(lParam));
                SetLevelPicture(GetButtonList(), 277, static_cast<int>(wParam));
                SetLevelPicture(GetButtonList(), 278, static_cast<int>(lParam));
            }
            return 1;
        case WM_CONTEXTMENU: {
            POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            POINT client = pt;
            ScreenToClient(hwnd, &client);
            RECT area;
            GetClientRect(hwnd, &area);
            auto* main = dynamic_cast<cVelmoWin*>(GetWindowList().Find(WND_ID_MAIN));
            if (!main || !PtInRect(&area, client)) return 0;
            hoveredEntry_ = 0;
            cTextListPanel* panel = view && view->BuiltKind() != NV_SKINS ? view->Panel() : nullptr;
            if (cListElement* row = panel ? panel->GetRowUnderMouse() : nullptr) {
                hoveredEntry_ = static_cast<int>(row->GetId());
                main->ShowContextMenu(hwnd, pt.x, pt.y, 11);
                return 1;
            }
            main->ShowContextMenu(hwnd, pt.x, pt.y, 10);
            return 1;
        }
        case WM_NAV_LEVEL_REQUEST: {
            MSG more;
            while (PeekMessageA(&more, hwnd, WM_NAV_LEVEL_REQUEST, WM_NAV_LEVEL_REQUEST, PM_REMOVE)) {
            }
            HostCallback(44, 0, nullptr);
            return 1;
        }
        case WM_NAV_BUTTON_STATE:
            NotifyBtnStateChanged(static_cast<int>(wParam), static_cast<int>(lParam));
            return 1;
        case WM_NAV_VIEW_ARG:
        case WM_NAV_VIEW_ARG2:
            if (view) view->ShowView(0, static_cast<int>(wParam));
            return 1;
        case WM_NAV_TIPS_PROGRESS:
            TipsUpdateProgress(static_cast<int>(wParam), static_cast<int>(lParam));
            return 1;
        case WM_NAV_DB_PROGRESS:
            DatabaseUpdateProgress(static_cast<int>(wParam), static_cast<int>(lParam));
            return 1;
        case WM_NAV_PODCAST_ROWS: {
            MSG more;
            while (PeekMessageA(&more, hwnd, WM_NAV_PODCAST_ROWS, WM_NAV_PODCAST_ROWS, PM_REMOVE)) {
            }
            // The rows are the table's, a child window: it paints them anew,
            // which also turns a finished episode's download button into play.
            if (view && view->BuiltKind() == NV_PODCASTS)
                RedrawWindow(hwnd, &view->Rect(), nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            return 1;
        }
        case WM_NAV_STARTUP_CHECKS:
            StartupChecks();
            return 1;
        case WM_NAV_PODCAST_ROW:
            OnPodcastRowAction(static_cast<uint32_t>(wParam));
            return 1;
        case WM_NAV_PLAYER_HINT:
            dlgs::OpenPlayerMissingHint(static_cast<int>(wParam));
            return 1;
        case WM_NAV_NO_CONNECTION_HINT:
            dlgs::OpenNoConnectionHint(static_cast<int>(wParam));
            return 1;
        case WM_NAV_QUALITY_LINE:
            if (view) view->UpdateQualityLine();
            return 1;
        case WM_NAV_RECORDING_INFO:
            if (view) view->ShowRecordingInfo();
            return 1;
        case WM_NAV_LEVEL_SLIDER:
            if (view) view->ShowLevelSlider();
            return 1;
        case WM_NAV_RECORDING_CHOICES:
            ApplyRecordingChoices();
            return 1;
        case WM_NAV_SLIDER_DRAG:
            if (wParam == 268 && view && view->LevelSlider())
                view->LevelSlider()->Drag(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            return 0;
        default:
            // The rows of the details and skins pages, asked as a table's lines are.
            if (IsLineQuery(msg)) {
                cTextListPanel* panel = view ? view->Panel() : nullptr;
                return panel ? panel->AnswerLineQuery(static_cast<int>(wParam), hwnd, reinterpret_cast<HWND>(lParam)) : 0;
            }
            if (IsMainWindowRowMessage(msg)) {
                if (HWND main = MainWindow()) PostMessageA(main, msg, wParam, lParam);
                return 1;
            }
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}
