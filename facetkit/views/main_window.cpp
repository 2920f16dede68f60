#include "main_window.h"

#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "activeelement.h"
#include "../../tunerdeck/core/settings_interface.h"
#include "catalogue.h"
#include "fill_bars.h"
#include "list_store.h"
#include "message_popup.h"
#include "podcast_feed.h"
#include "popup_wnd.h"
#include "wnd_button.h"
#include "bounded_text.h"
#include "library_state.h"
#include "main_menu.h"
#include "nav_menus.h"
#include "recording_display.h"
#include "recording_record.h"
#include "timer_entries.h"
#include "txtelement.h"
#include "nav_window.h"
#include "encoder_notices.h"
#include "motion_picture.h"
#include "protocol_commands.h"
#include "registry.h"
#include "resource_manager.h"
#include "scroll_text.h"
#include "skin_button.h"
#include "skin_plugin.h"
#include "view_notices.h"
#include "win_handles.h"
#include "wnd_list.h"

namespace {

constexpr unsigned kSpriteBackground = 294;
constexpr unsigned kSpriteTimeBar = 71;
constexpr unsigned kSpriteTimePlayed = 72;
constexpr unsigned kSpriteTimeDisabled = 73;
constexpr unsigned kSpritePlaying = 84;
constexpr unsigned kSpriteStopped = 85;
constexpr unsigned kSpriteState3 = 86;
constexpr unsigned kSpriteRecording = 282;
constexpr unsigned kSpriteWaitFirst = 87;
constexpr int kStatusSymbolSize = 18;
constexpr int kMaxArtistTitle = 1020;

cActiveElement* Element(cButtonListe* list, DWORD id) {
    return list ? static_cast<cActiveElement*>(list->GetById(id)) : nullptr;
}

void Repaint(HWND hwnd, const RECT& r) {
    if (hwnd) InvalidateRect(hwnd, &r, FALSE);
}

MainWindowHooks g_hooks;
std::mutex g_copiesLock;
std::set<const void*> g_copies;
// The records out with the host, with the timer entry each was made for.
std::map<const void*, int32_t> g_records;
// Host reports beyond this many wait for the window only as the newest ones.
constexpr size_t kMaxStreamUpdates = 256;
// The channel whose database question was answered yes: it is asked once.
volatile LONG g_askedUpdateChannel = 0;
// 25 ms apart: how long a play waits for the navigator's database update.
constexpr int kDatabaseUpdateWaits = 2400;

// The start-up puts the mark-up box in (seams.cpp); a window without it,
// as in the tests of other pieces, takes yes.
int AskQuestion(unsigned textId, unsigned titleSprite, int countdown) {
    return g_hooks.question ? g_hooks.question(textId, titleSprite, countdown) : 1;
}

DWORD WINAPI CommandLineThread(void*) {
    char text[4098] = {};
    GetValue("CmdLine", text, sizeof text);
    text[sizeof text - 1] = 0;
    SetValue("CmdLine", static_cast<const char*>(nullptr));
    if (g_hooks.startParams && text[0]) g_hooks.startParams(text);
    return 0;
}

bool DeleteEpisodeFile(cPodcastFeed* feed, int index) {
    char path[MAX_PATH * 2];
    return feed->GetEpisodeFilePath(index, path, sizeof path) && path[0] && DeleteFileA(path);
}

// The folder of this library, where its companion programs lie.
void OwnFolder(char* out, size_t size) {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(Library().module, path, sizeof path);
    if (n == 0 || n >= sizeof path) path[0] = 0;
    char* slash = strrchr(path, '\\');
    if (slash) *slash = 0;
    bk::TextCopy(out, size, path);
}

// The navigator when it is the real one (a stand-in has none of its views).
cNavWindow* Navigator() { return dynamic_cast<cNavWindow*>(GetWindowList().Find(WND_ID_NAVIGATOR)); }


// The view kinds of the "Goto" and view menus' entries.
int ViewOfCommand(UINT command) {
    switch (command) {
    case 32778: return 3;
    case 32779: return 4;
    case 32780: return 2;
    case 32810: return 7;
    case 32848:
    case 32846: return 8;
    case 32862: return 10;
    case 32866: return 12;
    default: return 0;
    }
}

// Private messages that mean nothing to this window but are answered as
// taken: the scheduler's reload (for clockwarden) and the navigator's
// search and list notices, which the intake posts to every window.
bool IsQuietPrivateMessage(UINT msg) {
    static const UINT kQuiet[] = {1124, 1133, 1134};
    for (UINT m : kQuiet)
        if (m == msg) return true;
    return false;
}

DWORD WINAPI DatabaseUpdateThread(void* window) {
    static_cast<cVelmoWin*>(window)->PlayLastChannel();
    return 0;
}

bool TakeTracked(std::set<const void*>& set, const void* p) {
    std::lock_guard<std::mutex> hold(g_copiesLock);
    return p && set.erase(p) != 0;
}

}  // namespace

MainWindowHooks& MainHooks() { return g_hooks; }

void TrackHandedCopy(const void* copy) {
    std::lock_guard<std::mutex> hold(g_copiesLock);
    if (copy) g_copies.insert(copy);
}

bool UntrackHandedCopy(const void* copy) { return TakeTracked(g_copies, copy); }

void TrackHandedRecord(const void* record) {
    if (!record) return;
    const int32_t entry = static_cast<const RecordingStartRecord*>(record)->timerEntryId;
    std::lock_guard<std::mutex> hold(g_copiesLock);
    g_records[record] = entry;
}

bool UntrackHandedRecord(const void* record) {
    std::lock_guard<std::mutex> hold(g_copiesLock);
    return record && g_records.erase(record) != 0;
}

std::vector<int32_t> HandedRecordEntries() {
    std::vector<int32_t> entries;
    std::lock_guard<std::mutex> hold(g_copiesLock);
    for (const auto& r : g_records) entries.push_back(r.second);
    return entries;
}

void StationNameFromText(const char* text, char* out, size_t size) {
    if (!out || size == 0) return;
    out[0] = 0;
    if (!text) return;
    const char* first = strchr(text, 0x02);
    const char* second = first ? strchr(first + 1, 0x02) : nullptr;
    size_t length = second ? static_cast<size_t>(second - text) : strlen(text);
    if (length > size - 1) length = size - 1;
    memcpy(out, text, length);
    out[length] = 0;
}

cVelmoWin::cVelmoWin()
    : pendingHasText_(0), pendingConnecting_(0), stationId_(0), playState_(0), track_(0), trackCount_(0),
      duration_(0), searchFinished_(1), runInfoStamp_(0), connecting_(0), waitCounter_(0), soundOn_(1),
      recording_(0), menuOpen_(0), timeDrag_(0), volumeRepeat_(0), showStatusSym_(1), traywatchStarted_(0),
      podcastFeeds_(nullptr), pendingVolume_{0, 0, 0}, shownPosition_(0), lastVolumeTick_(0), lastSeekTick_(0), buffer_(nullptr),
      pendingBuffer_(0), backDc_(nullptr), backBitmap_(nullptr), backOld_(nullptr) {
    InitializeCriticalSection(&lock_);
    station_[0] = title_[0] = artist_[0] = bitrate_[0] = 0;
    info55_[0] = info52_[0] = info56_[0] = info57_[0] = status_[0] = pendingStatus_[0] = 0;
    SetWndFlags(0);
}

cVelmoWin::~cVelmoWin() {
    // No host thread may reach the display once the object goes.
    SetStatusDisplay(nullptr);
    MainStationDetails().SetOwner(nullptr);
    // Deleted by its owner rather than by the window list, the object must
    // not stay listed: the next walk of the list would reach freed memory.
    GetWindowList().RemoveWithoutDelete(this);
    if (backDc_) {
        SelectObject(backDc_, backOld_);
        DeleteDC(backDc_);
    }
    if (backBitmap_) DeleteObject(backBitmap_);
    delete buffer_;
    DeleteCriticalSection(&lock_);
}

bool cVelmoWin::CreateMainWindow(HMODULE skinModule, cResourceManager* res, const char* title) {
    SetSkinModule(skinModule);
    SetResourceManager(res);
    HINSTANCE own = Library().module ? Library().module : GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(own, kVelmoWinClass, &wc)) {
        wc.lpfnWndProc = &cSkinWnd::StaticWndProc;
        wc.hInstance = own;
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kVelmoWinClass;
        RegisterClassA(&wc);
    }
    int width = res ? res->GetGfxWidth(kSpriteBackground) : 0;
    int height = res ? res->GetGfxHeight(kSpriteBackground) : 0;
    if (width <= 0 || height <= 0) {
        width = 350;
        height = 160;
    }
    SetSize(width, height);
    SetMinSize(width, height);

    unsigned long dockedTo = 0, docked = 0;
    GetValue("ExMainDTo", &dockedTo);
    GetValue("ExMainDT", &docked);
    SetDockedTo(static_cast<int>(dockedTo));
    SetDocked(static_cast<int>(docked));
    unsigned long savedX = 0, savedY = 0;
    GetValue("ExMainX", &savedX);
    GetValue("ExMainY", &savedY);
    POINT place = PlaceOnDesktop(savedX, savedY);
    int x = place.x, y = place.y;
    SetStoredPosition(x, y);

    HWND hwnd = CreateWindowExA(WS_EX_APPWINDOW, kVelmoWinClass, title ? title : "",
                                WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
                                x, y, width, height, nullptr, nullptr, own,
                                this);
    if (!hwnd) return false;

    HDC screen = GetDC(hwnd);
    backDc_ = CreateCompatibleDC(screen);
    backBitmap_ = CreateCompatibleBitmap(screen, width, height);
    backOld_ = SelectObject(backDc_, backBitmap_);
    ReleaseDC(hwnd, screen);

    InitWindow(hwnd, WND_ID_MAIN);
    SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // The playing stream's model shows itself in this window from now on.
    MainStationDetails().Reset();
    MainStationDetails().SetOwner(this);
    SetStatusDisplay(this);
    return true;
}

POINT PlaceOnDesktop(unsigned long savedX, unsigned long savedY) {
    // Saved unsigned, a negative place reads huge and is reset like one off
    // the desktop, per axis, so the window never opens out of reach.
    RECT desk;
    GetWindowRect(GetDesktopWindow(), &desk);
    POINT p = {static_cast<LONG>(savedX), static_cast<LONG>(savedY)};
    if (desk.right - 50 < 0 || savedX > static_cast<unsigned long>(desk.right - 50)) p.x = 0;
    if (desk.bottom - 50 < 0 || savedY > static_cast<unsigned long>(desk.bottom - 50)) p.y = 0;
    return p;
}

void cVelmoWin::SavePosition() {
    HWND hwnd = GetWindow();
    int x = GetPosX(), y = GetPosY();
    RECT r;
    if (hwnd && IsWindow(hwnd) && !IsIconic(hwnd) && GetWindowRect(hwnd, &r)) {
        x = r.left;
        y = r.top;
    }
    SetValue("ExMainDTo", static_cast<unsigned long>(GetDockedTo()));
    SetValue("ExMainDT", static_cast<unsigned long>(IsDocked()));
    SetValue("ExMainX", static_cast<unsigned long>(x));
    SetValue("ExMainY", static_cast<unsigned long>(y));
}

void cVelmoWin::InitState() {
    // The gauge takes its place from the skin, which placed it only now.
    if (!buffer_ && GetWindow()) buffer_ = new cBufferView(GetWindow());
    if (buffer_) {
        buffer_->Init(GetResourceManager());
        buffer_->SetRect(GetSkinData()->GetBufferRect());
        buffer_->SetBufferPos(0, 0);
    }
    menuOpen_ = 0;
    timeDrag_ = 0;
    lastVolumeTick_ = 0;
    soundOn_ = 1;
    SetLastMousePos(0, 0);
    SetWndFlags(GetSkinData()->GetMainWindowFlags());
    char ready[64];
    GetResourceString(nullptr, 414, UiLanguage(), ready, sizeof ready);
    ShowStatusLine(ready, 0);
}

// ---- display ---------------------------------------------------------------

void cVelmoWin::SetElementText(const char* text, DWORD id) {
    if (auto* scroll = dynamic_cast<cScrollText*>(Element(GetButtonList(), id))) scroll->SetText(text ? text : "");
}

void cVelmoWin::SetElementVisible(int visible, DWORD id) {
    cActiveElement* e = Element(GetButtonList(), id);
    if (!e) return;
    // Elements with a window of their own are switched by their window's
    // thread.
    if (HWND own = e->GetWindow())
        PostMessageA(own, WM_SKIN_SHOW_ELEMENT, static_cast<WPARAM>(visible), 0);
    else
        e->SetVisible(visible);
}

void cVelmoWin::SetElementEnable(int value, DWORD id) {
    if (cActiveElement* e = Element(GetButtonList(), id)) e->SetEnable(value);
}

void cVelmoWin::ClearConnectingWhenPlaying() {
    if (playState_ == 1) connecting_ = 0;
}

void cVelmoWin::SetField(char* field, size_t size, const char* text, DWORD id) {
    ClearConnectingWhenPlaying();
    bk::TextCopy(field, size, text ? text : "");
    SetElementText(field, id);
}

void cVelmoWin::SetStationText(const char* text) {
    ClearConnectingWhenPlaying();
    StationNameFromText(text, station_, sizeof station_);
    SetElementText(station_, 49);
}

void cVelmoWin::SetTitleText(const char* text) { SetField(title_, sizeof title_, text, 50); }

void cVelmoWin::SetArtistText(const char* text) {
    SetField(artist_, sizeof artist_, text, 51);
    size_t a = strlen(artist_), t = strlen(title_);
    if (a && t && a + t < kMaxArtistTitle) {
        char both[kMaxArtistTitle + 8];
        bk::TextFormat(both, sizeof both, "%s - %s", artist_, title_);
        SetElementText(both, 50);
    }
}

void cVelmoWin::SetBitrateText(const char* text) {
    SetField(bitrate_, sizeof bitrate_, text, 54);
    cActiveElement* rate = Element(GetButtonList(), 54);
    cActiveElement* icon = Element(GetButtonList(), 45);
    if (!rate || !icon) return;
    int textWidth = 0;
    if (auto* scroll = dynamic_cast<cScrollText*>(rate)) textWidth = scroll->GetTextWidth();
    RECT r = icon->GetRect();
    RECT old = r;
    int w = r.right - r.left;
    r.left = rate->GetRect().left + textWidth + 3;
    r.right = r.left + w;
    icon->SetRect(r, 0);
    Repaint(GetWindow(), old);
    Repaint(GetWindow(), r);
}

void cVelmoWin::SetInfoText55(const char* text) { SetField(info55_, sizeof info55_, text, 55); }
void cVelmoWin::SetInfoText52(const char* text) { SetField(info52_, sizeof info52_, text, 52); }
void cVelmoWin::SetInfoText56(const char* text) { SetField(info56_, sizeof info56_, text, 56); }
void cVelmoWin::SetInfoText57(const char* text) { SetField(info57_, sizeof info57_, text, 57); }

void cVelmoWin::ShowStatusLine(const char* text, int connecting) {
    connecting_ = connecting;
    if (text) bk::TextCopy(status_, sizeof status_, text);
    SetElementText(status_, 48);
    static const DWORD kStreamFields[] = {54, 55, 56, 57, 52, 45};
    int streamShown = playState_ == 1 && !connecting_;
    for (DWORD id : kStreamFields) SetElementVisible(streamShown, id);
    SetElementVisible(!streamShown, 48);
    int count = GetSkinData()->GetWaitSymbolsCount();
    if (++waitCounter_ > count - 1) waitCounter_ = 0;
    InvalidateStatusSymbol();
}

void cVelmoWin::InvalidateStatusSymbol() {
    POINT p = GetSkinData()->GetStatusSymbolPos();
    RECT r = {p.x, p.y, p.x + kStatusSymbolSize, p.y + kStatusSymbolSize};
    Repaint(GetWindow(), r);
}

void cVelmoWin::UpdateDisplayStrings() {
    SetElementText(station_, 49);
    SetElementText(title_, 50);
    SetElementText(artist_, 51);
    char rate[kBitrateSize];
    bk::TextCopy(rate, sizeof rate, bitrate_);
    SetBitrateText(rate);
    SetElementText(info55_, 55);
    SetElementText(info52_, 52);
    SetElementText(info56_, 56);
    SetElementText(info57_, 57);
    ShowStatusLine(nullptr, connecting_);
}

int cVelmoWin::TrayQuery(UINT msg) const {
    switch (msg) {
    case WM_MAIN_TRAY_HAS_NEXT: return track_ + 1 < trackCount_ ? 1 : 0;
    case WM_MAIN_TRAY_HAS_PREVIOUS: return track_ > 0 ? 1 : 0;
    case WM_MAIN_TRAY_PLAY_STATE: return playState_;
    case WM_MAIN_TRAY_SOUND: return soundOn_;
    default: return 0;
    }
}

// ---- status reports (host threads) ----------------------------------------

void cVelmoWin::SetStatusLine(const char* text, int connecting) {
    {
        EnterCriticalSection(&lock_);
        if (text) bk::TextCopy(pendingStatus_, sizeof pendingStatus_, text);
        pendingHasText_ = text ? 1 : 0;
        pendingConnecting_ = connecting;
        LeaveCriticalSection(&lock_);
    }
    if (HWND hwnd = GetWindow()) PostMessageA(hwnd, WM_MAIN_REFRESH_DISPLAY, 0, 0);
}

void cVelmoWin::SetPlayState(int state) {
    InterlockedExchange(&playState_, state);
    if (HWND hwnd = GetWindow()) PostMessageA(hwnd, WM_MAIN_REFRESH_DISPLAY, 1, 0);
}

void cVelmoWin::QueueStreamUpdate(StreamUpdate update) {
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    EnterCriticalSection(&lock_);
    if (streamUpdates_.size() >= kMaxStreamUpdates) streamUpdates_.erase(streamUpdates_.begin());
    streamUpdates_.push_back(std::move(update));
    LeaveCriticalSection(&lock_);
    PostMessageA(hwnd, WM_MAIN_STREAM_UPDATE, 0, 0);
}

void cVelmoWin::SetStreamInfo(unsigned long track, unsigned long count, unsigned long duration, const char* text1,
                              const char* text2) {
    InterlockedExchange(&track_, static_cast<LONG>(track));
    InterlockedExchange(&trackCount_, static_cast<LONG>(count));
    InterlockedExchange(&duration_, static_cast<LONG>(duration));
    QueueStreamUpdate({0, track, count, duration, text1 != nullptr, text2 != nullptr, text1 ? text1 : "",
                       text2 ? text2 : ""});
}

void cVelmoWin::SetRunInfo(unsigned long nominalRate, unsigned long position, unsigned long rate) {
    QueueStreamUpdate({1, nominalRate, position, rate, false, false, std::string(), std::string()});
}

void cVelmoWin::SetTrackTitle(int index, const char* text) {
    QueueStreamUpdate({2, static_cast<unsigned long>(index), 0, 0, text != nullptr, false, text ? text : "",
                       std::string()});
}

void cVelmoWin::ApplyStreamUpdates() {
    std::vector<StreamUpdate> updates;
    EnterCriticalSection(&lock_);
    updates.swap(streamUpdates_);
    LeaveCriticalSection(&lock_);
    StationDetails& model = MainStationDetails();
    for (const StreamUpdate& u : updates) {
        const char* text1 = u.has1 ? u.text1.c_str() : nullptr;
        const char* text2 = u.has2 ? u.text2.c_str() : nullptr;
        switch (u.kind) {
        case 0:
            model.SetTrackCount(static_cast<long>(u.b));
            if (u.b == 0) {
                EnterCriticalSection(model.Lock());
                model.Tracks()->Delete();
                LeaveCriticalSection(model.Lock());
            }
            model.SetCurrentTrack(static_cast<long>(u.a));
            model.SetDuration(u.c);
            model.SetTitle(static_cast<long>(u.a), text1, text2);
            break;
        case 1:
            model.SetNominalBitrate(u.a);
            model.SetPosition(u.b);
            model.SetBitrate(u.c);
            break;
        default: model.SetTitle(static_cast<long>(u.a), text1, nullptr); break;
        }
    }
}

void cVelmoWin::ShowLastPlayed(const char* text) { SetSongText(text); }

bool cVelmoWin::GetTimeKnobTravel(int* mostLeft, int* mostRight) {
    cActiveElement* knob = Element(GetButtonList(), 46);
    // The user holding the knob decides where it is.
    if (!knob || timeDrag_ || knob->GetStatus() == 1 || knob->GetStatus() == 8) return false;
    *mostLeft = GetSkinData()->GetTimesliderMostLeft();
    *mostRight = GetSkinData()->GetTimesliderMostRight();
    return true;
}

void cVelmoWin::MoveTimeKnob(int left) {
    cActiveElement* knob = Element(GetButtonList(), 46);
    if (!knob) return;
    RECT old = knob->GetRect();
    RECT r = old;
    r.left = left;
    r.right = left + GetSkinData()->GetTimesliderWidth();
    knob->SetRect(r, 0);
    RECT both;
    UnionRect(&both, &old, &r);
    Repaint(GetWindow(), both);
    RedrawTimeBar();
}

void cVelmoWin::RedrawTimeBar() { Repaint(GetWindow(), GetSkinData()->GetTimebarRect()); }

// ---- actions ---------------------------------------------------------------

void cVelmoWin::SetCurrentSelection(int channelId, const char* name) {
    InterlockedExchange(&stationId_, channelId);
    HWND hwnd = GetWindow();
    // The host selects on its play thread while holding its own lock; the
    // buttons and tool tips belong to the window's thread.
    if (hwnd && GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) {
        EnterCriticalSection(&lock_);
        pendingSelectionId_ = channelId;
        pendingSelectionName_ = name ? name : "";
        LeaveCriticalSection(&lock_);
        PostMessageA(hwnd, WM_MAIN_APPLY_SELECTION, 0, 0);
        return;
    }
    // The host's log tells how far a selection got when one goes wrong.
    HostLog(5, "SetCurrentSelection 1");
    StationNameFromText(name, station_, sizeof station_);
    HostLog(5, "SetCurrentSelection 2");
    // A recording started by hand takes its name from here when the
    // address is not in the database.
    MainStationDetails().Select(channelId, station_);
    HostLog(5, "SetCurrentSelection 3");
    SetStationText(name);
    HostLog(5, "SetCurrentSelection 4");
    UpdateFavouriteButton(true);
}

int cVelmoWin::IsFavourite(unsigned long channelId) const {
    if (!channelId) return 0;
    // Host threads empty and fill the lists while the window reads them.
    bk::ScopedLock hold(GetListStore().Lock());
    cListe* favourites = GetListStore().List(LS_FAVOURITES);
    return favourites && favourites->GetById(channelId) ? 1 : 0;
}

void cVelmoWin::UpdateFavouriteButton(bool logSteps) {
    cActiveElement* e = Element(GetButtonList(), 29);
    if (!e) return;
    int favourite = IsFavourite(static_cast<unsigned long>(stationId_));
    if (logSteps) HostLog(5, "SetCurrentSelection 5");
    if (auto* button = dynamic_cast<cWndButton*>(e)) {
        button->SetBtnLook(favourite ? 32 : 29);
        button->SetToolTipText(favourite ? 175u : 176u);
    }
    if (logSteps) HostLog(5, "SetCurrentSelection 6");
    Repaint(GetWindow(), e->GetRect());
    // A button with a window of its own paints the new look itself.
    e->Invalidate();
}

void cVelmoWin::AddFavourite(unsigned long folderId) {
    if (!stationId_) return;
    // The host takes the folder id where a text would stand.
    HostCallback(CB_ADD_FAVOURITE, stationId_, reinterpret_cast<void*>(static_cast<uintptr_t>(folderId)));
    UpdateFavouriteButton();
}

void cVelmoWin::RemoveFavourite(unsigned long channelId) {
    HostCallback(CB_REMOVE_FAVOURITE, static_cast<int>(channelId), nullptr);
    // The host saves the favourites first; the lists are read again after.
    Sleep(100);
    GetWindowList().PostToAll(WM_FK_LISTS_CHANGED, 0, 0);
    UpdateFavouriteButton();
}

int cVelmoWin::AskStationChange() {
    if (!GetWindowList().Find(WND_ID_NAVIGATOR)) return 0;
    return AskQuestion(192, 285, 0);
}

void cVelmoWin::ReleasePressedButtons() {
    for (DWORD id : {1u, 2u, 3u})
        if (cActiveElement* e = Element(GetButtonList(), id))
            if (e->GetStatus() == ES_PRESSED) e->SetStatus(ES_NORMAL);
}

void cVelmoWin::PlayChannel(unsigned long channelId) {
    if (recording_ && !AskStationChange()) return;
    if (channelId == 0) return;
    ReleasePressedButtons();
    int searchResults = 0;
    if (cNavWindow* nav = Navigator())
        if (cNavView* view = nav->GetNavView()) searchResults = view->CurrentKind() == 6 ? 1 : 0;
    HostCallback(CB_PLAY_CHANNEL, static_cast<int>(channelId),
                 reinterpret_cast<void*>(static_cast<uintptr_t>(searchResults)));
}

void cVelmoWin::PlayStream(unsigned long streamId) {
    if (recording_ && !AskStationChange()) return;
    ReleasePressedButtons();
    HostCallback(CB_PLAY_STREAM, static_cast<int>(streamId), nullptr);
}

void cVelmoWin::ShowStationView(unsigned long channelId) {
    HostCallback(CB_DETAILS, static_cast<int>(channelId), nullptr);
    // The host fills the details through its own call first.
    Sleep(100);
    cNavWindow* nav = Navigator();
    if (!nav) return;
    nav->ExtendIfFolded();
    ShowNavigatorView(5, static_cast<int>(channelId));
}

void cVelmoWin::AskDatabaseUpdate() {
    unsigned long last = 0;
    GetValue("LastChannelId", &last);
    // Once per channel: a "yes" that did not find the station asks no more.
    if (last && static_cast<LONG>(last) == g_askedUpdateChannel) return;
    if (!AskQuestion(512, 285, 0)) return;
    InterlockedExchange(&g_askedUpdateChannel, static_cast<LONG>(last));
    HANDLE thread = CreateThread(nullptr, 0, DatabaseUpdateThread, this, 0, nullptr);
    if (thread) CloseHandle(thread);
}

void cVelmoWin::PlayLastChannel() {
    HWND nav = NavWindowHandle();
    if (!nav) return;
    unsigned long last = 0;
    GetValue("LastChannelId", &last);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(nav, WM_FK_NAV_DB_PROGRESS, 0, 0, SMTO_NORMAL, 30000, &answer);
    // The update reports its end; a navigator that never does must not hold
    // this worker for ever.
    cNavWindow* window = Navigator();
    for (int i = 0; window && window->IsDatabaseUpdateBusy() && i < kDatabaseUpdateWaits; ++i) Sleep(25);
    HostCallback(CB_PLAY_CHANNEL, static_cast<int>(last), nullptr);
}

void cVelmoWin::ShowNotAroundTheClock() {
    char text[2048];
    UiText(513, text, sizeof text);
    NoticeRequest request;
    request.text = text;
    request.markup = true;
    request.buttons = NB_CONFIRM_355;
    ShowNoticeModal(request);
}

void cVelmoWin::ShowStartReminder() {
    char text[4098] = {};
    GetValue("Erinnerung", text, sizeof text);
    text[sizeof text - 1] = 0;
    // Left behind, the value would make every later start a reminder.
    SetValue("Erinnerung", static_cast<const char*>(nullptr));
    MainProtocolTarget().ShowReminder(text);
}

void cVelmoWin::RecordButton() {
    if (!recording_)
        StartRecording(nullptr);
    else
        HostCallback(CB_STOP_RECORDING, 0, nullptr);
}

void cVelmoWin::SetLevelPictures(int left, int right) {
    for (DWORD id : {277u, 278u})
        if (auto* picture = dynamic_cast<cMotionPicture*>(Element(GetButtonList(), id)))
            picture->SetPercent(id == 277 ? left : right);
}

void cVelmoWin::SetRecDeviceList(const char* text) {
    if (cNavWindow* nav = Navigator()) nav->SetRecDeviceList(text);
}

void cVelmoWin::SetRecSourceList(const char* text) {
    if (cNavWindow* nav = Navigator()) nav->SetRecSourceList(text);
}

void cVelmoWin::SetRecordingInfo(int recorded, int size, int remaining, int state) {
    if (cNavWindow* nav = Navigator())
        if (cNavView* view = nav->GetNavView()) view->SetRecordingInfo(recorded, size, remaining, state);
}

void cVelmoWin::SetQualityInfo(const char* format, const char* quality, int rate, int bits, int channels) {
    if (cNavWindow* nav = Navigator())
        if (cNavView* view = nav->GetNavView()) view->SetQualityInfo(format, quality, rate, bits, channels);
}

void cVelmoWin::SetSearchFinished(int finished) {
    InterlockedExchange(&searchFinished_, finished);
    if (cNavWindow* nav = Navigator())
        if (cNavView* view = nav->GetNavView()) view->SetSearching(finished ? 0 : 1);
}

void cVelmoWin::SetLevelSlider(int value, int maximum, int minimum) {
    if (cNavWindow* nav = Navigator())
        if (cNavView* view = nav->GetNavView()) view->SetLevelSlider(value, maximum, minimum);
}

void cVelmoWin::PlayEpisode(int kind, const char* address, const char* title, int track) {
    if (!address || !*address) return;
    if (GetRecordingFlag() && (!Navigator() || AskCatalogueQuestion(192, true) != 1)) return;
    SetCurrentSelection(-1, title && *title ? title : address);
    char copy[1024];
    bk::TextCopy(copy, address);
    HostCallback(CB_PLAY_PATH, kind, copy);
    if (track <= 0) return;
    // Each stage gives up after its 200 polls: a host that never reports
    // must not hold the window for longer than a few seconds.
    auto waitWhile = [](const std::function<bool()>& condition) {
        for (int i = 0; i < 200 && condition(); ++i) Sleep(20);
    };
    waitWhile([this] { return playState_ > 0; });
    waitWhile([this] { return playState_ <= 0; });
    Sleep(100);
    waitWhile([this, track] { return trackCount_ < track; });
    HostCallback(CB_PLAY_TRACK, track, nullptr);
}

void cVelmoWin::PlayTrack(int number) { HostCallback(CB_PLAY_TRACK, number, nullptr); }

void cVelmoWin::ToggleSound() {
    HostCallback(CB_VOLUME, soundOn_ ? kSoundOffValue : kSoundOnValue, nullptr);
    UpdateSoundButton();
}

void cVelmoWin::UpdateSoundButton() {
    soundOn_ = !soundOn_;
    cActiveElement* e = Element(GetButtonList(), 12);
    if (!e) return;
    if (auto* button = dynamic_cast<cSkinButton*>(e)) button->SetSprite(soundOn_ ? 12 : 13);
    if (auto* button = dynamic_cast<cWndButton*>(e)) button->SetBtnLook(soundOn_ ? 12 : 13);
    Repaint(GetWindow(), e->GetRect());
}

void cVelmoWin::OnVolumeChanged(int value) {
    // While the sound is off the slider moves alone; the host keeps silence.
    if (!soundOn_) return;
    lastVolumeTick_ = GetTickCount();
    HostCallback(CB_VOLUME, value, nullptr);
}

cVolumeSlider* cVelmoWin::Slider() { return dynamic_cast<cVolumeSlider*>(Element(GetButtonList(), 60)); }

void cVelmoWin::StepVolume(int step) {
    HWND hwnd = GetWindow();
    if (hwnd) SetCapture(hwnd);
    if (!volumeRepeat_ && hwnd) {
        SetTimer(hwnd, step < 0 ? TIMER_VOLUME_DOWN : TIMER_VOLUME_UP, kVolumeRepeatMs, nullptr);
        volumeRepeat_ = 1;
    }
    if (cVolumeSlider* slider = Slider()) slider->Step(step);
}

void cVelmoWin::EndVolumeRepeat() {
    if (!volumeRepeat_) return;
    KillTimer(GetWindow(), TIMER_VOLUME_DOWN);
    KillTimer(GetWindow(), TIMER_VOLUME_UP);
    ReleaseCapture();
    volumeRepeat_ = 0;
}

void cVelmoWin::BeginVolumeDrag() {
    cVolumeSlider* slider = Slider();
    if (!slider) return;
    if (cWndButton* knob = slider->GetKnob()) {
        RECT r = knob->GetRect();
        knob->SetPressedMousePos(POINT{GetMouseX() - r.left, GetMouseY() - r.top});
    }
    SetCapture(GetWindow());
    slider->BeginDrag();
}

void cVelmoWin::BeginTimeDrag() {
    timeDrag_ = 1;
    SetCapture(GetWindow());
    OnMouseMove(MAKELPARAM(GetMouseX(), GetMouseY()));
}

void cVelmoWin::SetVolume(int value, int maximum, int minimum) {
    InterlockedExchange(&pendingVolume_[0], value);
    InterlockedExchange(&pendingVolume_[1], maximum);
    InterlockedExchange(&pendingVolume_[2], minimum);
    if (HWND hwnd = GetWindow()) PostMessageA(hwnd, WM_MAIN_APPLY_VOLUME, 0, 0);
}

unsigned long cVelmoWin::PixelToPosition(int offset) const {
    cVelmoSkinData* skin = const_cast<cVelmoWin*>(this)->GetSkinData();
    int travel = skin->GetTimesliderMostRight() - skin->GetTimesliderMostLeft();
    // A skin without knob travel has no time slider to seek with; long
    // streams would overflow 32 bits in the product.
    if (travel <= 0 || offset <= 0) return 0;
    uint64_t position = static_cast<uint64_t>(static_cast<uint32_t>(offset)) * static_cast<uint32_t>(duration_) /
                        static_cast<uint32_t>(travel);
    return static_cast<unsigned long>(position > 0xFFFFFFFFu ? 0xFFFFFFFFu : position);
}

void cVelmoWin::ShowStationDetails() {
    HostCallback(CB_DETAILS, stationId_, nullptr);
    cNavWindow* nav = Navigator();
    if (!nav) return;
    nav->ExtendIfFolded();
    // The host fills the details through its own call first.
    Sleep(30);
    ShowNavigatorView(5, stationId_);
}

void cVelmoWin::PartnerLink() {
    SkinPlugin& skin = CurrentSkin();
    const char* address = nullptr;
    if (skin.entry.GetKundeURLLang)
        address = skin.entry.GetKundeURLLang(UiLanguage());
    else if (skin.entry.GetKundeURL)
        address = skin.entry.GetKundeURL();
    else
        return;
    char copy[1024];
    bk::TextCopy(copy, sizeof copy, address ? address : "");
    HostCallback(CB_OPEN_URL, 0, copy);
}

void cVelmoWin::SetRecording(int recording) {
    recording_ = recording;
    if (cNavWindow* nav = Navigator())
        if (cNavView* view = nav->GetNavView()) view->SetRecordingFlag(recording);
    if (!recording)
        if (cActiveElement* e = Element(GetButtonList(), 274)) e->SetStatus(ES_NORMAL);
    InvalidateStatusSymbol();
}

void cVelmoWin::SetShowBuffer(int show) {
    if (buffer_) buffer_->SetVisible(show);
}

void cVelmoWin::SetBufferValue(int percent) {
    InterlockedExchange(&pendingBuffer_, percent);
    if (HWND hwnd = GetWindow()) PostMessageA(hwnd, WM_MAIN_APPLY_BUFFER, 0, 0);
}

// ---- closing, tray ----------------------------------------------------------

// The feeds the close looks at, copied under the list's lock: the
// questions and the cancels run without it, as download threads take it.
std::vector<cPodcastFeed*> cVelmoWin::Feeds() {
    std::vector<cPodcastFeed*> feeds;
    cListe* list = podcastFeeds_ ? podcastFeeds_ : &PodcastFeeds();
    CRITICAL_SECTION* lock = podcastFeeds_ ? nullptr : PodcastFeedsLock();
    if (lock) EnterCriticalSection(lock);
    for (cListElement* e = list->First(); e; e = e->Next()) feeds.push_back(static_cast<cPodcastFeed*>(e));
    if (lock) LeaveCriticalSection(lock);
    return feeds;
}

void cVelmoWin::CleanUpPodcasts(const std::vector<cPodcastFeed*>& feeds) {
    cSettingsInterface* host = Library().host;
    if (!host) return;
    int rule = host->GetPodAutoDeleteFiles();
    if (rule != 1 && rule != 2) return;
    for (cPodcastFeed* feed : feeds) {
        int count = feed->GetEpisodeCount();
        int newest = rule == 2 ? feed->FindNewestEpisode() : 0;
        // Without a known newest episode nothing tells which one to keep:
        // the user's only copies stay.
        if (rule == 2 && newest < 0) continue;
        for (int i = 1; i <= count; ++i) {
            if (rule == 1 && feed->IsEpisodeDownloaded(i) && !feed->IsEpisodeNew(i)) DeleteEpisodeFile(feed, i);
            if (rule == 2 && i != newest) DeleteEpisodeFile(feed, i);
        }
    }
}

int cVelmoWin::Close() {
    HostLog(5, "main window: close");
    if (recording_ && GetWindowList().Find(WND_ID_NAVIGATOR) && !AskQuestion(600, 0, 15)) return 0;
    std::vector<cPodcastFeed*> feeds = Feeds();
    bool busy = false;
    for (cPodcastFeed* feed : feeds) busy = busy || feed->IsBusy();
    if (busy) {
        // Staying open keeps the downloads and their files as they are.
        if (!AskQuestion(575, 285, 10)) return 0;
        for (cPodcastFeed* feed : feeds) feed->CancelAllDownloads();
    }
    CleanUpPodcasts(feeds);
    InterlockedExchange(&Library().running, 0);
    // Pop-ups still waiting for an answer would hold the loop that ends the
    // user interface.
    CloseThreadPopups();
    return 1;
}

void cVelmoWin::Minimize() {
    HWND hwnd = GetWindow();
    cSettingsInterface* host = Library().host;
    if (host && host->GetIconizeToTray() == 1) {
        traywatchStarted_ = 0;
        HWND tray = FindWindowA(kTraywatchClass, nullptr);
        if (!tray) {
            char folder[MAX_PATH], program[MAX_PATH + 20];
            OwnFolder(folder, sizeof folder);
            bk::TextFormat(program, sizeof program, "%s\\traywatch.exe", folder);
            STARTUPINFOA si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            traywatchStarted_ = CreateProcessA(program, nullptr, nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE,
                                               nullptr, nullptr, &si, &pi) ? 1 : 0;
            if (traywatchStarted_) {
                CloseHandle(pi.hThread);
                CloseHandle(pi.hProcess);
                for (int i = 0; i < kTraywatchLookups && !tray; ++i) {
                    Sleep(100);
                    tray = FindWindowA(kTraywatchClass, nullptr);
                }
            }
        }
        // Hidden without a tray icon to bring it back, the player would be
        // out of reach: without traywatch nothing is hidden.
        if (tray) {
            if (cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR))
                if (nav->GetWindow()) ShowWindow(nav->GetWindow(), SW_HIDE);
            ShowWindow(hwnd, SW_HIDE);
        }
    } else if (hwnd) {
        ShowWindow(hwnd, SW_MINIMIZE);
    }
    if (cActiveElement* e = Element(GetButtonList(), 15)) e->SetStatus(ES_NORMAL);
}

void cVelmoWin::RestoreFromTray() {
    if (traywatchStarted_) {
        // Posted: traywatch may be waiting on this window right now.
        if (HWND tray = FindWindowA(kTraywatchClass, nullptr)) PostMessageA(tray, WM_CLOSE, 0, 0);
        traywatchStarted_ = 0;
    }
    if (cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR))
        if (nav->GetWindow()) ShowWindow(nav->GetWindow(), SW_RESTORE);
    HWND hwnd = GetWindow();
    if (!hwnd) return;
    ShowWindow(hwnd, SW_RESTORE);
    SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
}

void cVelmoWin::StartCommandLineThread() {
    HANDLE thread = CreateThread(nullptr, 0, CommandLineThread, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
}

void cVelmoWin::ElementAction(DWORD id) {
    switch (id) {
    case 1: PlayChannel(static_cast<unsigned long>(stationId_)); break;
    case 2:
        if (playState_ > 0) HostCallback(CB_PAUSE, 0, nullptr);
        break;
    case 3: HostCallback(CB_STOP, 0, nullptr); break;
    case 9: BeginVolumeDrag(); break;
    case 10: StepVolume(-1); break;
    case 11: StepVolume(1); break;
    case 12: ToggleSound(); break;
    case 14: Close(); break;
    case 15: Minimize(); break;
    case 16:
    case 17:
    case 18:
    case 19: ShowElementMenu(id); break;
    case 29:
    case 30:
        if (IsFavourite(static_cast<unsigned long>(stationId_)))
            RemoveFavourite(static_cast<unsigned long>(stationId_));
        else
            AddFavourite(0);
        break;
    case 39:
    case 40: ShowStationDetails(); break;
    case 58:
        if (cNavWindow* nav = Navigator()) nav->Slide();
        break;
    case 42: PartnerLink(); break;
    case 43: PreviousTrack(); break;
    case 44: NextTrack(); break;
    case 45: ShowTrackMenu(); break;
    case 46: BeginTimeDrag(); break;
    case 189:
    case 315:
        if (stationId_) HostCallback(CB_OPEN_URL, stationId_, nullptr);
        break;
    case 195:
    case 316:
        if (stationId_) Recommend(1, stationId_, station_);
        break;
    case 274: RecordButton(); break;
    case 276: HostCallback(CB_STOP_RECORDING, 0, nullptr); break;
    case 347: OpenSongLink(); break;
    case 390: HostCallback(CB_HELP, 0, nullptr); break;
    default:
        if (id >= 159 && id <= 168) {
            SkinPlugin& skin = CurrentSkin();
            if (skin.entry.SkinSpecificBtn)
                skin.entry.SkinSpecificBtn(GetResourceManager(), this, GetButtonList(), static_cast<int>(id));
        }
        break;
    }
}

// ---- menus -----------------------------------------------------------------

int cVelmoWin::ShowContextMenu(HWND owner, int x, int y, int subMenu) {
    HMENU loaded = LoadMenuA(Library().module, "ContextMenu");
    if (!loaded) return 0;
    HMENU menu = GetSubMenu(loaded, subMenu);
    if (!menu) {
        DestroyMenu(loaded);
        return 0;
    }
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    MainMenuState state = {playState_ > 0 ? 1 : 0, recording_, track_, trackCount_, UiLanguage(),
                           nav ? nav->GetButtonList() : nullptr};
    state.favourite = IsFavourite(static_cast<unsigned long>(stationId_));
    state.recent = GetListStore().List(LS_RECENT);
    state.folders = GetListStore().List(LS_FAVOURITE_FOLDERS);
    state.recentLimit = MenuRecentLimit();
    state.oem = IsOEMPlayer() ? 1 : 0;
    state.languageSupport = GetSkinData()->GetLanguageSupport();
    state.productText = Library().productText;
    state.productWord = Library().productWord;
    FillNavMenuState(&state, subMenu);
    {
        // The station menu walks the recent and folder lists, which host
        // threads may empty meanwhile.
        bk::ScopedLock hold(GetListStore().Lock());
        BuildContextMenu(menu, subMenu, state);
    }
    for (DWORD id : {16u, 17u, 18u, 19u})
        if (cActiveElement* e = Element(GetButtonList(), id)) e->SetStatus(ES_NORMAL);
    menuOpen_ = 1;
    UINT command = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    menuOpen_ = 0;
    DestroyMenu(loaded);
    if (command) OnMenuCommand(subMenu, command);
    return 1;
}

void cVelmoWin::ShowElementMenu(DWORD id) {
    int subMenu = id == 16 ? MENU_HELP : id == 17 ? MENU_OPTIONS : id == 18 ? MENU_STATION : MENU_VIEW;
    POINT pt = {GetLastMouseX(), GetLastMouseY()};
    if (cActiveElement* e = Element(GetButtonList(), id)) {
        RECT r = e->GetRect();
        pt.x = r.left;
        pt.y = r.top + 15;
    }
    ClientToScreen(GetWindow(), &pt);
    ShowContextMenu(GetWindow(), pt.x, pt.y, subMenu);
}

void cVelmoWin::ShowTrackMenu() {
    HMENU loaded = LoadMenuA(Library().module, "ContextMenu");
    if (!loaded) return;
    HMENU menu = GetSubMenu(loaded, MENU_TRACKS);
    if (menu) {
        while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
        {
            StationDetails& model = MainStationDetails();
            bk::ScopedLock hold(model.Lock());
            // Ids count from 1: a returned 0 means "nothing chosen".
            UINT_PTR n = 0;
            for (cListElement* e = model.Tracks()->First(); e && n < kMaxTracks; e = e->Next()) {
                auto* track = static_cast<cTextElement*>(e);
                char title[kTrackTitleSize];
                bk::TextCopy(title, sizeof title, track->GetText() ? track->GetText() : "");
                AppendMenuA(menu, MF_STRING, ++n, title);
            }
        }
        POINT pt = {GetMouseX(), GetMouseY()};
        ClientToScreen(GetWindow(), &pt);
        menuOpen_ = 1;
        UINT chosen = static_cast<UINT>(
            TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, GetWindow(), nullptr));
        menuOpen_ = 0;
        if (chosen) PlayTrack(static_cast<int>(chosen) - 1);
    }
    DestroyMenu(loaded);
}

void cVelmoWin::OnMenuCommand(int subMenu, UINT command) {
    if (NavMenuCommand(subMenu, command)) return;
    if (subMenu != MENU_MAIN && subMenu != MENU_STATION && subMenu != MENU_VIEW && subMenu != MENU_OPTIONS &&
        subMenu != MENU_HELP)
        return;
    cSettingsInterface* host = Library().host;
    if (subMenu == MENU_STATION && command >= CMD_RECENT_FIRST && command < CMD_FOLDER_FIRST) {
        unsigned long id = 0;
        {
            bk::ScopedLock hold(GetListStore().Lock());
            cListElement* e = GetListStore().List(LS_RECENT)->GetByIndex(static_cast<int>(command - CMD_RECENT_FIRST));
            if (e) id = e->GetId();
        }
        if (id) PlayChannel(id);
        return;
    }
    if (subMenu == MENU_STATION && command >= CMD_FOLDER_FIRST && command < CMD_FOLDER_FIRST + kMaxMenuFolders) {
        unsigned long folderId = 0;
        bool found = false;
        {
            bk::ScopedLock hold(GetListStore().Lock());
            if (cListElement* folder = FolderByMenuIndex(GetListStore().List(LS_FAVOURITE_FOLDERS),
                                                         static_cast<int>(command - CMD_FOLDER_FIRST))) {
                folderId = folder->GetId();
                found = true;
            }
        }
        if (found) AddFavourite(folderId);
        return;
    }
    if (subMenu == MENU_OPTIONS && (command == CMD_GERMAN || command == CMD_ENGLISH)) {
        if (!host) return;
        host->SetLanguage(command == CMD_GERMAN ? 1 : 2);
        host->Save();
        if (HWND scheduler = FindWindowA(kSchedulerClass, nullptr))
            PostMessageA(scheduler, WM_MAIN_SCHEDULER_RELOAD, 0, 0);
        char skin[260] = {};
        GetValue("SKIN", skin, sizeof skin);
        HostCallback(CB_RESTART_UI, 0, skin);
        return;
    }
    switch (command) {
    case CMD_PLAY_STOP:
        if (playState_ > 0)
            HostCallback(CB_STOP, 0, nullptr);
        else
            ElementAction(1);
        break;
    case CMD_RECORD: RecordButton(); break;
    case CMD_PREVIOUS_TRACK: PreviousTrack(); break;
    case CMD_NEXT_TRACK: NextTrack(); break;
    case CMD_MINIMISE: Minimize(); break;
    case CMD_CLOSE: Close(); break;
    case CMD_FAVOURITE: ElementAction(29); break;
    case CMD_HOMEPAGE: HostCallback(CB_OPEN_URL, stationId_, nullptr); break;
    case CMD_STATION_INFO:
        if (subMenu == MENU_MAIN)
            ShowNavigatorView(5, stationId_);
        else
            ShowStationDetails();
        break;
    case CMD_TIMER_ENTRY:
        // In the station menu it makes a timer entry for the station;
        // elsewhere it shows the timer view.
        if (subMenu == MENU_STATION)
            NewTimerEntry(static_cast<unsigned long>(stationId_));
        else
            ShowNavigatorView(9, 0);
        break;
    case CMD_VIEW_NORMAL:
    case CMD_VIEW_EXTENDED:
        if (cNavWindow* nav = Navigator())
            if ((command == CMD_VIEW_EXTENDED) == (nav->IsCollapsed() != 0)) nav->Slide();
        break;
    case CMD_UPDATE_DATABASE:
        if (cNavWindow* nav = Navigator()) nav->DatabaseUpdateProgress(0, 0);
        break;
    case CMD_SETTINGS:
        // The opener asks for the recording lists, marking them awaited first.
        if (g_hooks.settings) g_hooks.settings();
        break;
    case CMD_ABOUT:
        if (g_hooks.about) g_hooks.about();
        break;
    case CMD_SUBSCRIBE_PODCAST:
        if (g_hooks.subscribePodcast) g_hooks.subscribePodcast();
        break;
    case CMD_ADD_OWN_STATION:
        if (g_hooks.ownStation) g_hooks.ownStation(0);
        break;
    case CMD_CONVERT_WAV: OpenWavConverter(); break;
    case CMD_RECOMMEND_STATION:
    case CMD_RECOMMEND_STATION_2:
        if (stationId_) Recommend(1, stationId_, station_);
        break;
    case CMD_RECOMMEND_PLAYER: Recommend(3, 0, nullptr); break;
    case CMD_RECOMMEND_SKIN: {
        char skin[260] = {};
        GetValue("SKIN", skin, sizeof skin);
        Recommend(2, 0, skin);
        break;
    }
    case CMD_OPEN_STREAM_URL:
        if (g_hooks.userStream) g_hooks.userStream();
        break;
    case CMD_NEW_TIMER: NewTimerEntry(static_cast<unsigned long>(stationId_)); break;
    case CMD_HELP: HostCallback(CB_HELP, 0, nullptr); break;
    case CMD_FAQ: HostCallback(CB_HELP, 1, nullptr); break;
    case CMD_MAIL: HostCallback(CB_CONTACT, 1, nullptr); break;
    case CMD_PROPOSE_STATION: HostCallback(CB_CONTACT, 2, nullptr); break;
    case CMD_REPORT_ERROR: HostCallback(CB_ERROR_REPORT, 0, nullptr); break;
    case CMD_NEWSLETTER: {
        char address[128];
        bk::TextCopy(address, sizeof address, kNewsletterAddress);
        HostCallback(CB_OPEN_URL, 0, address);
        break;
    }
    default:
        if (int kind = ViewOfCommand(command)) ShowNavigatorView(kind, kind == 3 ? stationId_ : 0);
        break;
    }
}

// ---- mouse -----------------------------------------------------------------

void cVelmoWin::OnButtonDown(LPARAM lParam) {
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    SetMousePos(x, y);
    SetLastMousePos(x, y);
    POINT pt = {x, y};
    DWORD id = GetButtonList()->Check(pt, GetWindow(), 8);
    switch (id) {
    case 4: HostCallback(CB_OPEN_URL, 0, nullptr); return;
    case 9: BeginVolumeDrag(); return;
    case 18:
    case 19:
        // These open at once, before the button's release.
        ShowElementMenu(id);
        HitExtendButton(pt, GetWindow(), 4);
        return;
    case 5:
    case 6:
    case 7:
    case 60: return;
    default: break;
    }
    if (HitExtendButton(pt, GetWindow(), 8)) return;
    SetDragOffset(x, y);
    RECT bar = GetSkinData()->GetTimebarRect();
    if (Element(GetButtonList(), 46) && PtInRect(&bar, pt)) {
        timeDrag_ = 1;
        SetCapture(GetWindow());
        return;
    }
    SetMoving(1);
    SetCaptured(1);
    SetCapture(GetWindow());
}

void cVelmoWin::OnButtonUp(LPARAM lParam) {
    TakeMousePosFromLParam();
    if (IsMoving()) EndDrag();
    if (IsCaptured()) {
        SetCaptured(0);
        ReleaseCapture();
    }
    if (timeDrag_) {
        cActiveElement* knob = Element(GetButtonList(), 46);
        int offset = knob ? knob->GetRect().left - GetSkinData()->GetTimesliderMostLeft() : 0;
        HostCallback(CB_SEEK, static_cast<int>(PixelToPosition(offset)), nullptr);
        lastSeekTick_ = GetTickCount();
        ReleaseCapture();
        timeDrag_ = 0;
    }
    if (cVolumeSlider* slider = Slider())
        if (slider->EndDrag()) return;
    EndVolumeRepeat();
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    GetButtonList()->Check(pt, GetWindow(), 4);
    SelectCursor(nullptr);
}

void cVelmoWin::OnMouseMove(LPARAM lParam) {
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, GetWindow(), 0};
    TrackMouseEvent(&track);
    TakeMousePosFromLParam();
    if (IsMoving()) {
        OutputDebugStringA("skin-movewindow\n");
        DragTo(1);
        return;
    }
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (timeDrag_) {
        cActiveElement* knob = Element(GetButtonList(), 46);
        if (!knob) return;
        cVelmoSkinData* skin = GetSkinData();
        int left = pt.x;
        if (left < skin->GetTimesliderMostLeft()) left = skin->GetTimesliderMostLeft();
        if (left > skin->GetTimesliderMostRight()) left = skin->GetTimesliderMostRight();
        RECT old = knob->GetRect();
        RECT r = old;
        r.left = left;
        r.right = left + skin->GetTimesliderWidth();
        knob->SetRect(r, 0);
        shownPosition_ = PixelToPosition(left - skin->GetTimesliderMostLeft());
        RECT both;
        UnionRect(&both, &old, &r);
        Repaint(GetWindow(), both);
        return;
    }
    if (cVolumeSlider* slider = Slider())
        if (slider->Drag(pt.x, pt.y)) return;
    GetButtonList()->Check(pt, GetWindow(), 4);
    SelectCursor(nullptr);
}

void cVelmoWin::SelectCursor(cButtonListe* other) {
    if (menuOpen_) {
        SetCursor(GetCursor(2));
        return;
    }
    cSkinWnd::SelectCursor(other);
}

// ---- painting --------------------------------------------------------------

void cVelmoWin::DrawTimeBar(HDC dc) {
    cResourceManager* res = GetResourceManager();
    RECT bar = GetSkinData()->GetTimebarRect();
    int w = bar.right - bar.left, h = bar.bottom - bar.top;
    if (!res || w <= 0 || h <= 0) return;
    cActiveElement* knob = Element(GetButtonList(), 46);
    if (!knob) {
        res->StretchBlt(dc, bar.left, bar.top, w, h, kSpriteTimeBar, 0, 0, SRCCOPY);
        return;
    }
    if (!knob->IsVisible()) return;
    if (knob->IsEnabled()) {
        res->StretchBlt(dc, bar.left, bar.top, w, h, kSpriteTimeBar, 0, 0, SRCCOPY);
        int played = knob->GetRect().left - bar.left;
        if (played > 0) res->StretchBlt(dc, bar.left, bar.top, played, h, kSpriteTimePlayed, 0, 0, SRCCOPY);
    } else {
        res->StretchBlt(dc, bar.left, bar.top, w, h, kSpriteTimeDisabled, 0, 0, SRCCOPY);
    }
}

void cVelmoWin::DrawStatusSymbol(HDC dc) {
    cResourceManager* res = GetResourceManager();
    if (!showStatusSym_ || !res) return;
    POINT p = GetSkinData()->GetStatusSymbolPos();
    unsigned sprite = 0;
    if (connecting_ || playState_ == 2) {
        if (waitCounter_ >= 0 && waitCounter_ <= 7) sprite = kSpriteWaitFirst + static_cast<unsigned>(waitCounter_);
    } else {
        switch (playState_) {
        case 0: sprite = kSpriteStopped; break;
        case 1: sprite = recording_ ? kSpriteRecording : kSpritePlaying; break;
        case 3: sprite = kSpriteState3; break;
        default: break;
        }
    }
    if (sprite) res->DrawBitmap(dc, p.x, p.y, sprite, SRCCOPY);
}

void cVelmoWin::OnPaint() {
    HWND hwnd = GetWindow();
    PAINTSTRUCT ps;
    HDC screen = BeginPaint(hwnd, &ps);
    RECT update = ps.rcPaint;
    if (backDc_) {
        SkinPlugin& skin = CurrentSkin();
        cResourceManager* res = GetResourceManager();
        int painted = skin.entry.PaintMain ? skin.entry.PaintMain(backDc_, &update, res) : 0;
        if (!painted && res)
            res->BitBlt(backDc_, update.left, update.top, update.right - update.left, update.bottom - update.top,
                        kSpriteBackground, update.left, update.top, SRCCOPY);
        DrawTimeBar(backDc_);
        DrawStatusSymbol(backDc_);
        GetButtonList()->ShowAll(backDc_);
        BitBlt(screen, update.left, update.top, update.right - update.left, update.bottom - update.top, backDc_,
               update.left, update.top, SRCCOPY);
    }
    EndPaint(hwnd, &ps);
}

// ---- window procedure --------------------------------------------------------

void cVelmoWin::OnCommand(UINT command) {
    switch (command) {
    case CMD_ALT_F4: Close(); break;
    case CMD_DESTROY:
        if (GetWindow()) DestroyWindow(GetWindow());
        break;
    case CMD_ESCAPE:
        if (cNavWindow* nav = Navigator()) nav->PageBack();
        break;
    case CMD_ENTER:
        if (cNavWindow* nav = Navigator()) nav->SearchIfFormShown();
        break;
    default: break;
    }
}

LRESULT cVelmoWin::OnCopyData(WPARAM kind, const COPYDATASTRUCT* data) {
    if (!data) return 0;
    // Any program may send this: the size is the sender's word only up to
    // the protocol's limit.
    size_t size = data->lpData ? data->cbData : 0;
    if (size > kCopyDataLimit) size = kCopyDataLimit;
    // Senders put the kind into wParam; dwData carries what the kind adds
    // (the scheduler's asked entry).
    if (g_hooks.copyData)
        return g_hooks.copyData(static_cast<unsigned long>(kind), static_cast<unsigned long>(data->dwData),
                                data->lpData, size);
    char line[160];
    bk::TextFormat(line, sizeof line, "main window: copy data of kind %lu (%lu bytes) not handled",
                   static_cast<unsigned long>(kind), static_cast<unsigned long>(size));
    HostLog(5, line);
    return 1;
}

void cVelmoWin::OnRecordingCopy(WPARAM wParam, LPARAM lParam) {
    void* data = reinterpret_cast<void*>(wParam);
    // Any program may post this message: only a copy or a record this
    // library handed out is read and freed, once; others only tell the state.
    if (lParam != 0) {
        OnRecordingState(UntrackHandedCopy(data) ? data : nullptr, 1);
        SetRecording(1);
    } else {
        OnRecordingState(UntrackHandedRecord(data) ? data : nullptr, 0);
        SetRecording(0);
    }
}

LRESULT cVelmoWin::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    SetMouseParams(wParam, lParam);
    switch (msg) {
    case WM_CREATE: return 0;
    case WM_DESTROY: return 1;
    case WM_ACTIVATE: {
        WORD state = LOWORD(wParam);
        if (state == WA_ACTIVE || state == WA_CLICKACTIVE) {
            DWORD pid = 0;
            if (lParam) GetWindowThreadProcessId(reinterpret_cast<HWND>(lParam), &pid);
            if (pid != Library().processId) HostCallback(CB_BANNER_REFRESH, 0, nullptr);
        }
        return 0;
    }
    case WM_PAINT: OnPaint(); return 1;
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE: Close(); return 1;
    case WM_SETCURSOR:
        if (IsIconic(hwnd)) return 0;
        ::SetCursor(GetCursor(0));
        return 1;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->code == TTN_SHOW)
            SetWindowPos(header->hwndFrom, HWND_TOPMOST, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        return 1;
    }
    case WM_COPYDATA: return OnCopyData(wParam, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_SYSCHAR:
    case WM_INITDIALOG: return 1;
    case WM_COMMAND: {
        UINT command = LOWORD(wParam);
        if (command != CMD_ESCAPE && command != CMD_ENTER && command != CMD_ALT_F4 && command != CMD_DESTROY)
            return 0;
        OnCommand(command);
        return 1;
    }
    case WM_SYSCOMMAND: {
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            Minimize();
            return 0;
        }
        UINT command = LOWORD(wParam);
        if (command == CMD_ESCAPE || command == CMD_ENTER || command == CMD_ALT_F4) {
            OnCommand(command);
            return 1;
        }
        break;
    }
    case WM_TIMER:
        if (wParam == TIMER_VOLUME_DOWN || wParam == TIMER_VOLUME_UP) {
            StepVolume(wParam == TIMER_VOLUME_DOWN ? -1 : 1);
            return 0;
        }
        return 1;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (HBRUSH brush = ColourTextBox(reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_LBUTTONDOWN: OnButtonDown(lParam); return 1;
    case WM_LBUTTONUP: OnButtonUp(lParam); return 1;
    case WM_MOUSEMOVE: OnMouseMove(lParam); return 1;
    case WM_MOUSEWHEEL: OnWheel(wParam, lParam); return 1;
    case WM_MOUSELEAVE: {
        POINT none = {-1, -1};
        GetButtonList()->Check(none, hwnd, 4);
        return 1;
    }
    case WM_CAPTURECHANGED: return 0;
    case WM_CONTEXTMENU: {
        // From the keyboard the point is (-1, -1): outside, so no menu.
        POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        POINT client = pt;
        ScreenToClient(hwnd, &client);
        RECT area;
        GetClientRect(hwnd, &area);
        if (!PtInRect(&area, client)) return 0;
        return ShowContextMenu(hwnd, pt.x, pt.y, MENU_MAIN);
    }
    case WM_MAIN_DOCK_MOVED: {
        // The dragged window moved its whole group, this one included: only
        // the stored place follows.
        RECT r;
        if (GetWindowRect(hwnd, &r)) SetStoredPosition(r.left, r.top);
        return 1;
    }
    case WM_MAIN_REMOVE_FAVOURITE: RemoveFavourite(static_cast<unsigned long>(wParam)); return 1;
    case WM_MAIN_ADD_FAVOURITE: HostCallback(CB_ADD_FAVOURITE, static_cast<int>(wParam), nullptr); return 1;
    case WM_MAIN_PLAY_CHANNEL: PlayChannel(static_cast<unsigned long>(wParam)); return 1;
    case WM_MAIN_PLAY: ElementAction(1); return 1;
    case WM_MAIN_STOP: ElementAction(3); return 1;
    case WM_MAIN_NEXT_TRACK: ElementAction(44); return 1;
    case WM_MAIN_PREVIOUS_TRACK: ElementAction(43); return 1;
    case WM_MAIN_ELEMENT: ElementAction(static_cast<DWORD>(lParam)); return 1;
    case WM_MAIN_USER_STREAM:
        if (g_hooks.userStream) g_hooks.userStream();
        return 1;
    case WM_MAIN_RECOMMEND_TIMER: RecommendTimerEntry(static_cast<int>(wParam)); return 1;
    case WM_MAIN_BUTTON_RELEASED:
        if (lParam == 9) {
            POINT pt;
            GetCursorPos(&pt);
            ScreenToClient(hwnd, &pt);
            OnButtonUp(MAKELPARAM(pt.x, pt.y));
        }
        return 0;
    case WM_MAIN_VOLUME_KNOB:
        if (wParam == 9)
            if (cVolumeSlider* slider = Slider())
                slider->Drag(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_MAIN_SOUND: {
        // As if clicked: a window button reports its own click back here.
        auto* button = dynamic_cast<cWndButton*>(Element(GetButtonList(), 12));
        if (button && button->GetWindow()) {
            button->Invoke();
            button->Uninvoke();
        } else {
            ElementAction(12);
        }
        return 1;
    }
    case WM_MAIN_BUTTON_STATE:
        // Posted by a window button with its state in wParam and its id in
        // lParam, the order the plug-in takes them in (as the navigator).
        NotifyBtnStateChanged(static_cast<int>(wParam), static_cast<int>(lParam));
        return 1;
    case WM_MAIN_TRAY_HAS_NEXT:
    case WM_MAIN_TRAY_HAS_PREVIOUS:
    case WM_MAIN_TRAY_PLAY_STATE:
    case WM_MAIN_TRAY_SOUND: return TrayQuery(msg);
    case WM_MAIN_RESTORE: RestoreFromTray(); return 1;
    case WM_MAIN_RECORDING_STATE: OnRecordingCopy(wParam, lParam); return 1;
    case WM_MAIN_SHOW_STATION_VIEW: ShowStationView(static_cast<unsigned long>(wParam)); return 1;
    case WM_MAIN_PLAY_STREAM: PlayStream(static_cast<unsigned long>(wParam)); return 1;
    case WM_MAIN_DISPLAY_MENU: ShowElementMenu(static_cast<DWORD>(wParam)); return 1;
    case WM_MAIN_LEVELS: SetLevelPictures(static_cast<int>(wParam), static_cast<int>(lParam)); return 1;
    case WM_MAIN_NOTICE: ShowNotice(static_cast<int>(wParam), static_cast<int>(lParam)); return 1;
    case WM_MAIN_EDIT_TIMER: EditTimerEntry(static_cast<int>(wParam), 0, 0); return 1;
    case WM_MAIN_DELETE_TIMER: DeleteTimerEntry(static_cast<int>(wParam)); return 1;
    case WM_MAIN_NEW_TIMER: NewTimerEntry(static_cast<unsigned long>(wParam)); return 1;
    case WM_MAIN_ASK_SHUTDOWN: {
        cProtocolTarget& target = MainProtocolTarget();
        // Only an entry that falls due now may shut down without an answer.
        target.AskShutdown(target.ShutdownEntryDue());
        return 1;
    }
    case WM_MAIN_REMINDER: ShowStartReminder(); return 1;
    case WM_MAIN_RECORD_BUTTON: RecordButton(); return 1;
    case WM_MAIN_ASK_DATABASE_UPDATE: AskDatabaseUpdate(); return 1;
    case WM_MAIN_NOT_AROUND_THE_CLOCK: ShowNotAroundTheClock(); return 1;
    case WM_MAIN_STREAM_UPDATE: ApplyStreamUpdates(); return 1;
    case WM_FK_LISTS_CHANGED:
        // The end of a favourites series: the button follows the new list.
        UpdateFavouriteButton();
        return 1;
    case WM_MAIN_APPLY_NAV_BANNER: ApplyNavigatorBanner(); return 1;
    case WM_MAIN_LINK_AFTER_HANDOVER: {
        std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
        if (text) HandleStartParams(MainProtocolTarget(), text->c_str());
        return 1;
    }
    case WM_MAIN_APPLY_SELECTION: {
        EnterCriticalSection(&lock_);
        int id = pendingSelectionId_;
        std::string name = pendingSelectionName_;
        LeaveCriticalSection(&lock_);
        SetCurrentSelection(id, name.c_str());
        return 1;
    }
    case WM_MAIN_TIMER_JOB_DECLINED: {
        int position = -1;
        {
            bk::ScopedLock hold(GetListStore().Lock());
            int i = 0;
            for (cListElement* e = GetListStore().List(LS_TIMER_ENTRIES)->First(); e; e = e->Next(), ++i)
                if (e->GetId() == static_cast<unsigned long>(wParam)) {
                    position = i;
                    break;
                }
        }
        if (position >= 0) SetTimerEntryActive(position, 0);
        return 1;
    }
    case WM_MAIN_COMMAND_LINE: StartCommandLineThread(); return 1;
    case WM_MAIN_TIMERS_CHANGED: HostCallback(CB_TIMER_LIST, 0, nullptr); return 1;
    case WM_MAIN_ESCAPE: OnCommand(CMD_ESCAPE); return 1;
    case WM_MAIN_SHOW_VIEW: ShowNavigatorView(static_cast<int>(lParam), 0); return 1;
    case WM_MAIN_APPLY_BUFFER:
        if (buffer_) buffer_->SetBufferPos(pendingBuffer_, 0);
        return 1;
    case WM_MAIN_APPLY_VOLUME:
        if (cVolumeSlider* slider = Slider())
            slider->SetValue(pendingVolume_[0], pendingVolume_[1], pendingVolume_[2], 0);
        return 1;
    case WM_MAIN_REFRESH_DISPLAY: {
        if (wParam == 1) {
            // A new play state ends any connecting look; a stop shows the
            // ready text again.
            if (playState_ <= 0) {
                char ready[64];
                GetResourceString(nullptr, 414, UiLanguage(), ready, sizeof ready);
                ShowStatusLine(ready, 0);
            } else {
                ShowStatusLine(nullptr, playState_ == 2 ? 1 : 0);
            }
            return 1;
        }
        char text[kStatusSize];
        EnterCriticalSection(&lock_);
        bk::TextCopy(text, sizeof text, pendingStatus_);
        int hasText = pendingHasText_;
        int connecting = pendingConnecting_;
        LeaveCriticalSection(&lock_);
        ShowStatusLine(hasText ? text : nullptr, connecting);
        return 1;
    }
    case WM_SKIN_GET_BUTTON_LIST:
        // A window button asks for a list besides this window's own for its
        // cursor: there is none.
        return 0;
    default:
        if (IsQuietPrivateMessage(msg)) return 1;
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// ---- operations of the skinned window ----------------------------------------

HRGN cVelmoWin::CreateWindowRegion(int, int) {
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    if (!copy) return nullptr;
    HWND hwnd = GetWindow();
    if (hwnd && GetWindowRgn(hwnd, copy) != ERROR) return copy;
    // A window the skin gave no region of its own is shaped as its rectangle.
    RECT r = {0, 0, GetWidth(), GetHeight()};
    if (hwnd) GetClientRect(hwnd, &r);
    SetRectRgn(copy, 0, 0, r.right - r.left, r.bottom - r.top);
    return copy;
}

int cVelmoWin::ShowTrayMenu(UINT message) {
    if (message != WM_RBUTTONUP) return 0;
    HMENU loaded = LoadMenuA(Library().module, "ContextMenu");
    if (!loaded) return 0;
    int chosen = 0;
    if (HMENU menu = GetSubMenu(loaded, MENU_TRAY)) {
        POINT pt = {};
        GetCursorPos(&pt);
        // A menu of a window in the background would stay open after a
        // click elsewhere.
        if (HWND hwnd = GetWindow()) SetForegroundWindow(hwnd);
        menuOpen_ = 1;
        chosen = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x, pt.y, 0, GetWindow(), nullptr));
        menuOpen_ = 0;
    }
    DestroyMenu(loaded);
    return chosen;
}

void cVelmoWin::OnWheel(WPARAM wParam, LPARAM lParam) {
    cNavWindow* nav = Navigator();
    if (!nav || !nav->GetNavView() || !nav->GetWindow()) return;
    // The main window has no list of its own; the navigator scrolls its
    // content view as it does for a wheel turn over itself.
    SendMessageA(nav->GetWindow(), WM_MOUSEWHEEL, wParam, lParam);
}

void cVelmoWin::ApplyNavigatorBanner() {
    cNavWindow* nav = Navigator();
    if (!nav) return;
    nav->ApplySkinSizes();
    HostCallback(CB_BANNER_CHANGED, 0, nullptr);
}

HBRUSH cVelmoWin::ColourTextBox(HDC dc) {
    HBRUSH brush = Library().textBoxBrush;
    if (!brush || !dc) return brush;
    SetTextColor(dc, GetSkinData()->GetTextcolorN());
    SetBkColor(dc, GetSkinData()->GetTextboxcolorBG());
    return brush;
}
