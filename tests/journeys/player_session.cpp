#include "player_session.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "element_query.h"
#include "rdb_files.h"
#include "settings_blob.h"
#include "station_db.h"
#include "test_audio.h"

namespace journeys {

namespace {

constexpr const char* kSettingsKey = "SOFTWARE\\Velmirant\\Radio";
constexpr const char* kMainClass = "tunerdeck Main Wnd Class";
constexpr DWORD kStartMs = 30000;
constexpr DWORD kExitMs = 30000;

// What the player needs beside it, as an installation has it.
const char* const kProgramFiles[] = {
    "tunerdeck.exe", "basekit.dll",  "facetkit.dll",  "playcradle.exe", "mediabridge.dll",
    "realbridge.dll", "mp64control.dll", "lame_enc.dll", "radiodb.rdb",   "radiott.rdb",
    "radiofa.rdb",   "radioli.rdb",  "radiopod.rdb",  "test.wav",
};

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}
std::string AppDataFolder() { return ShellFolder(CSIDL_APPDATA); }
std::string LogPath() { return ShellFolder(CSIDL_PERSONAL) + "\\vl-log.log"; }


bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The element report the player's window sends back during a query.
struct ReplySlot {
    bool arrived = false;
    ElementReport report = {};
};

LRESULT CALLBACK ReplyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        auto* slot = reinterpret_cast<ReplySlot*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (slot && cds && cds->dwData == kElementReportKind && cds->cbData == sizeof(ElementReport)) {
            memcpy(&slot->report, cds->lpData, sizeof(ElementReport));
            slot->arrived = true;
            return 1;
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

ReplySlot g_slot;

HWND MakeReplyWindow() {
    static ATOM atom = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ReplyProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "journeys element reply";
        return RegisterClassA(&wc);
    }();
    if (!atom) return nullptr;
    HWND hwnd = CreateWindowExA(0, "journeys element reply", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (hwnd) SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&g_slot));
    return hwnd;
}

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectPopups(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    // The skin engine's pop-ups are owner-drawn static windows; system
    // message boxes are dialogs.
    if (strcmp(cls, "Static") == 0 || strcmp(cls, "#32770") == 0) s->found.push_back(hwnd);
    return TRUE;
}

// Ends what a player left running when it had to be killed: its playback hosts.
void EndChildrenOf(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 pe = {};
    pe.dwSize = sizeof pe;
    for (BOOL more = Process32First(snap, &pe); more; more = Process32Next(snap, &pe)) {
        if (pe.th32ParentProcessID != pid) continue;
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pe.th32ProcessID)) {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, 5000);
            CloseHandle(h);
        }
    }
    CloseHandle(snap);
}

// A folder the session starts without: one that exists goes aside (the
// person's own, or a copy an unfinished run left there) and comes back at
// the end.
void SetAside(const std::string& folder, const std::string& aside) {
    if (!Exists(folder)) return;
    if (Exists(aside))
        tdtest::RemoveTree(folder);
    else
        MoveFileA(folder.c_str(), aside.c_str());
}
void PutBack(const std::string& folder, const std::string& aside) {
    tdtest::RemoveTree(folder);
    if (Exists(aside)) MoveFileA(aside.c_str(), folder.c_str());
}

void PostClick(HWND window, POINT pt) {
    const LPARAM at = MAKELPARAM(pt.x, pt.y);
    PostMessageA(window, WM_MOUSEMOVE, 0, at);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(window, WM_LBUTTONUP, 0, at);
}

}  // namespace

PlayerSession::PlayerSession()
    : programFolder_("tdjourney"), settings_(kSettingsKey), program_(new tdtest::Process) {
    const std::string bin = tdtest::BinDir();
    for (const char* f : kProgramFiles) CopyFileA((bin + "\\" + f).c_str(), programFolder_.File(f).c_str(), FALSE);
    CreateDirectoryA(programFolder_.File("skins").c_str(), nullptr);
    CopyFileA((bin + "\\stockface.dll").c_str(), programFolder_.File("skins\\stockface.dll").c_str(), FALSE);
    settings_.SetString("SKIN", "stockface.dll");
    // The player's own log, so a journey that goes wrong can say where.
    settings_.SetString("DEBUG_IT", "9");
    // The machines the journeys run on have no Internet: the no-connection
    // hint would open at every first play and hold the player's windows.
    // As a user who ticked its box; the journey of that hint turns it on.
    settings_.SetString("SHOW_KEINEVERBINDUNG", "1");
    DeleteFileA(LogPath().c_str());

    // A fresh user folder; one a person or an earlier run left goes aside
    // and comes back afterwards.
    userFolder_ = AppDataFolder() + "\\velmirant-Player\\";
    asideFolder_ = AppDataFolder() + "\\velmirant-Player.journey-aside";
    const std::string user = userFolder_.substr(0, userFolder_.size() - 1);
    SetAside(user, asideFolder_);
    CreateDirectoryA(user.c_str(), nullptr);
    recordingFolder_ = ShellFolder(CSIDL_PERSONAL) + "\\Aufnahmen";
    recordingAside_ = recordingFolder_ + ".journey-aside";
    SetAside(recordingFolder_, recordingAside_);
    podcastFolder_ = ShellFolder(CSIDL_PERSONAL) + "\\Podcasts";
    podcastAside_ = podcastFolder_ + ".journey-aside";
    SetAside(podcastFolder_, podcastAside_);
    reply_ = MakeReplyWindow();
}

PlayerSession::~PlayerSession() {
    if (program_->Handle() && program_->Running()) {
        if (main_ && IsWindow(main_)) PostMessageA(main_, WM_CLOSE, 0, 0);
        // A question left open keeps it running: answered by its default.
        for (HWND p : Popups()) Key(VK_ESCAPE, p);
        if (!program_->Wait(kExitMs)) {
            EndChildrenOf(program_->Pid());
            program_->Kill();
        }
    }
    if (reply_) DestroyWindow(reply_);
    PutBack(userFolder_.substr(0, userFolder_.size() - 1), asideFolder_);
    PutBack(recordingFolder_, recordingAside_);
    PutBack(podcastFolder_, podcastAside_);
}

bool PlayerSession::RouteStation(unsigned channelId, const std::string& address) {
    // A station routed before keeps its route.
    std::string bytes;
    if (!tdtest::ReadFileBytes(userFolder_ + "radiodb.rdb", &bytes) &&
        !tdtest::ReadFileBytes(programFolder_.File("radiodb.rdb"), &bytes))
        return false;
    size_t size = bytes.size();
    if (!CheckCrc16(reinterpret_cast<const unsigned char*>(bytes.data()), &size)) return false;
    cStationDbDoc db;
    db.Parse(DecodeStationDbFile(reinterpret_cast<const unsigned char*>(bytes.data()), size));
    bool routed = false;
    for (auto& st : db.streams) {
        if (st->Id != channelId) continue;
        st->U = address;
        // Under Wine only the RealAudio engine of the stand-in host reaches
        // an http stream (the Media Player 7+ control plays local files only).
        st->F = 1;
        routed = true;
    }
    if (!routed) return false;
    std::string file = db.Write();
    AppendCrc16(&file);
    return tdtest::WriteFileBytes(userFolder_ + "radiodb.rdb", file);
}

bool PlayerSession::Start(const std::vector<std::string>& args) {
    if (!program_->Start(programFolder_.File("tunerdeck.exe"), args, programFolder_.Path())) return false;
    main_ = program_->WaitForWindow(kMainClass, kStartMs);
    if (!main_) return false;
    // Started as a user sees it: the window takes input and answers.
    WaitForInputIdle(program_->Handle(), kStartMs);
    return tdtest::WaitFor([&] { return Element(kCloseButton).found; }, kStartMs, 200);
}

bool PlayerSession::Restart(const std::vector<std::string>& args) {
    // A skin change builds the windows anew: the close button is the new
    // main window's.
    if (!main_ || !IsWindow(main_)) main_ = program_->WaitForWindow(kMainClass, kStartMs);
    if (!main_ || !CloseByButton()) return false;
    program_.reset(new tdtest::Process);
    main_ = nullptr;
    return Start(args);
}

bool PlayerSession::Link(const std::string& link) {
    tdtest::Process second;
    if (!second.Start(programFolder_.File("tunerdeck.exe"), {link}, programFolder_.Path())) return false;
    DWORD code = 1;
    return second.Wait(kStartMs, &code) && code == 0;
}

bool PlayerSession::Query(HWND window, unsigned id, ElementView* view) {
    static const UINT queryMessage = RegisterWindowMessageA(kElementQueryMessage);
    g_slot = ReplySlot();
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, queryMessage, id, reinterpret_cast<LPARAM>(reply_), SMTO_NORMAL, 10000,
                             &answer) ||
        answer != 1 || !g_slot.arrived)
        return false;
    const ElementReport& r = g_slot.report;
    view->found = true;
    view->visible = r.visible != 0;
    view->enabled = r.enabled != 0;
    view->status = r.status;
    view->rect = RECT{r.left, r.top, r.right, r.bottom};
    view->ownWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(r.ownWindow));
    view->text.assign(r.text, strnlen(r.text, sizeof r.text));
    return true;
}

ElementView PlayerSession::Element(unsigned id, HWND window) {
    ElementView view;
    Query(window ? window : main_, id, &view);
    return view;
}

bool PlayerSession::WaitForText(unsigned id, const std::function<bool(const std::string&)>& accept, DWORD ms,
                                std::string* last, HWND window) {
    std::string seen;
    bool ok = tdtest::WaitFor([&] {
        ElementView v = Element(id, window);
        seen = v.text;
        return v.found && accept(v.text);
    }, ms, 100);
    if (last) *last = seen;
    return ok;
}

bool PlayerSession::Click(unsigned id, HWND window) {
    // A busy player may answer the element query late, as a user waits for
    // a button to show.
    ElementView v;
    if (!tdtest::WaitFor([&] { return (v = Element(id, window)).found; }, 15000, 100)) return false;
    if (v.ownWindow) {
        RECT c = {};
        GetClientRect(v.ownWindow, &c);
        PostClick(v.ownWindow, POINT{(c.right - c.left) / 2, (c.bottom - c.top) / 2});
    } else {
        PostClick(window ? window : main_, POINT{(v.rect.left + v.rect.right) / 2, (v.rect.top + v.rect.bottom) / 2});
    }
    return true;
}

void PlayerSession::Key(UINT vk, HWND window) {
    HWND to = window ? window : main_;
    const UINT scan = MapVirtualKeyA(vk, 0);
    PostMessageA(to, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(to, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30));
}

std::vector<HWND> PlayerSession::Popups() {
    WindowSearch s{program_->Pid(), {}};
    if (program_->Handle()) EnumWindows(CollectPopups, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::string PlayerSession::TextOf(HWND window) {
    char text[4096] = {};
    DWORD_PTR n = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &n);
    text[sizeof text - 1] = 0;
    return text;
}

HWND PlayerSession::WaitForPopup(DWORD ms, std::string* text) {
    HWND found = nullptr;
    tdtest::WaitFor([&] {
        for (HWND p : Popups()) {
            if (!TextOf(p).empty()) {
                found = p;
                return true;
            }
        }
        return !program_->Running();
    }, ms, 100);
    if (found && text) *text = TextOf(found);
    return found;
}

bool PlayerSession::WaitForTone(DWORD ms, tdtest::ToneStats* stats) {
    const DWORD until = GetTickCount() + ms;
    tdtest::ToneStats st;
    do {
        if (pe_test::HearTone(1500, 1500, &st)) {
            if (stats) *stats = st;
            return true;
        }
    } while (static_cast<LONG>(until - GetTickCount()) > 0 && program_->Running());
    if (stats) *stats = st;
    return false;
}

std::string PlayerSession::WaitForFile(const std::string& folder, const std::string& suffix, size_t minBytes,
                                       DWORD ms) {
    std::string found;
    std::function<bool(const std::string&)> look = [&](const std::string& dir) {
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return false;
        bool hit = false;
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                hit = look(path);
            } else if (name.size() >= suffix.size() &&
                       _stricmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0 &&
                       fd.nFileSizeLow >= minBytes) {
                found = path;
                hit = true;
            }
        } while (!hit && FindNextFileA(h, &fd));
        FindClose(h);
        return hit;
    };
    std::string base = folder;
    while (!base.empty() && base.back() == '\\') base.pop_back();
    tdtest::WaitFor([&] { return look(base); }, ms, 200);
    return found;
}

void PlayerSession::Screenshot(const std::string& name) {
    const std::string dir = tdtest::ArtifactDir();
    if (main_ && IsWindow(main_)) tdtest::SaveWindowPng(main_, dir + "\\journey-" + name + ".png");
    int n = 0;
    for (HWND p : Popups()) tdtest::SaveWindowPng(p, dir + "\\journey-" + name + "-popup" + std::to_string(++n) + ".png");
}

std::string PlayerSession::Log() const {
    std::string text;
    tdtest::ReadFileBytes(LogPath(), &text);
    return text;
}

bool PlayerSession::CloseByButton(DWORD ms) {
    if (!Click(kCloseButton)) return false;
    return WaitForExit(ms);
}

bool PlayerSession::WaitForExit(DWORD ms) {
    DWORD code = 0;
    return program_->Wait(ms, &code);
}

HWND PlayerSession::Navigator() const {
    return program_->Handle() ? tdtest::FindWindowOf("tunerdeck Nav Wnd Class", program_->Pid()) : nullptr;
}

void PlayerSession::Wheel(HWND window, int delta) {
    RECT r = {};
    GetWindowRect(window, &r);
    // The wheel reports the pointer in screen coordinates.
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), at);
}

}  // namespace journeys

namespace journeys {

namespace {

// The reports a table sends back during one line query.
std::vector<ElementReport> g_lineReports;
// The property by which a table's child window is known.
constexpr const char* kTableProperty = "facetkit.table";

LRESULT CALLBACK LineReplyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!cds || cds->dwData != kElementReportKind || cds->cbData != sizeof(ElementReport)) return 0;
        g_lineReports.push_back(*static_cast<const ElementReport*>(cds->lpData));
        return 1;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND LineReplyWindow() {
    static HWND window = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = LineReplyProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "journeys table line reply";
        RegisterClassA(&wc);
        return CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }();
    return window;
}

ElementView ViewOf(const ElementReport& r) {
    ElementView v;
    v.found = true;
    v.visible = r.visible != 0;
    v.enabled = r.enabled != 0;
    v.status = r.status;
    v.rect = RECT{r.left, r.top, r.right, r.bottom};
    v.ownWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(r.ownWindow));
    v.text.assign(r.text, strnlen(r.text, sizeof r.text));
    return v;
}

bool AskLine(HWND table, int position) {
    static const UINT query = RegisterWindowMessageA(kTableLineQueryMessage);
    g_lineReports.clear();
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(table, query, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(LineReplyWindow()),
                               SMTO_NORMAL, 10000, &answer) &&
           answer == 1 && !g_lineReports.empty();
}

}  // namespace

const ElementView* TableLine::Button(unsigned id) const {
    for (const auto& b : buttons)
        if (b.first == id) return &b.second;
    return nullptr;
}

HWND FindNavigator(const PlayerSession& s) { return s.Navigator(); }

HWND FindTable(HWND navigator) {
    for (HWND child = FindWindowExA(navigator, nullptr, nullptr, nullptr); child;
         child = FindWindowExA(navigator, child, nullptr, nullptr))
        if (IsWindowVisible(child) && GetPropA(child, kTableProperty)) return child;
    return nullptr;
}

std::vector<TableLine> TableLines(HWND table, int max) {
    std::vector<TableLine> lines;
    for (int i = 0; i < max && AskLine(table, i); ++i) {
        TableLine line;
        line.id = static_cast<uint32_t>(g_lineReports[0].id);
        line.line = ViewOf(g_lineReports[0]);
        for (size_t b = 1; b < g_lineReports.size(); ++b)
            line.buttons.emplace_back(static_cast<unsigned>(g_lineReports[b].id), ViewOf(g_lineReports[b]));
        lines.push_back(line);
    }
    return lines;
}

void ClickAt(HWND window, POINT pt) { PostClick(window, pt); }

void ScreenshotBoth(HWND first, HWND second, const std::string& name) {
    RECT a = {}, b = {}, both = {};
    GetWindowRect(first, &a);
    if (!second || !IsWindowVisible(second) || !GetWindowRect(second, &b)) b = a;
    UnionRect(&both, &a, &b);
    const int w = both.right - both.left, h = both.bottom - both.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib) {
        HGDIOBJ old = SelectObject(mem, dib);
        if (BitBlt(mem, 0, 0, w, h, screen, both.left, both.top, SRCCOPY | CAPTUREBLT)) {
            GdiFlush();
            std::vector<uint32_t> pixels(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(w) * h);
            for (auto& p : pixels) p &= 0x00FFFFFF;
            tdtest::WritePng(tdtest::ArtifactDir() + "\\journey-" + name + ".png", w, h, pixels);
        }
        SelectObject(mem, old);
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

}  // namespace journeys

// ---- the pop-ups and menus of the player

namespace journeys {

namespace {

struct ClassSearch {
    DWORD pid;
    const char* className;
    HWND found;
};

BOOL CALLBACK FindVisibleOfClass(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<ClassSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == s->pid && IsWindowVisible(hwnd) && strcmp(cls, s->className) == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleWindowOf(const PlayerSession& s, const char* className) {
    ClassSearch search{s.Program().Pid(), className, nullptr};
    EnumWindows(FindVisibleOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitForMenuOnScreen(const PlayerSession& s, DWORD ms) {
    return tdtest::WaitFor([&] { return MenuOnScreen(s); }, ms, 50);
}

struct ChildSearch {
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChildren(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<ChildSearch*>(param);
    char cls[64] = {};
    GetClassNameA(hwnd, cls, sizeof cls);
    if (_stricmp(cls, s->className) == 0) s->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

HWND NavigatorWindow(const PlayerSession& s) { return s.Navigator(); }

bool OpenElementMenu(PlayerSession& s, unsigned element, DWORD ms) {
    return s.Click(element) && WaitForMenuOnScreen(s, ms);
}

bool OpenContextMenu(PlayerSession& s, HWND window, POINT at, DWORD ms) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    PostMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, where);
    PostMessageA(window, WM_RBUTTONUP, 0, where);
    return WaitForMenuOnScreen(s, ms);
}

void ChooseMenuEntry(PlayerSession& s, UINT arrow, int presses) {
    // The menu's loop reads every key of the player's window thread.
    for (int i = 0; i < presses; ++i) s.Key(arrow);
    s.Key(VK_RETURN);
}

HWND WaitForNewPopup(PlayerSession& s, const std::vector<HWND>& before, DWORD ms) {
    HWND found = nullptr;
    tdtest::WaitFor([&] {
        for (HWND p : s.Popups()) {
            if (std::find(before.begin(), before.end(), p) == before.end()) {
                found = p;
                return true;
            }
        }
        return !s.Program().Running();
    }, ms, 50);
    return found;
}

bool WaitGone(HWND window, DWORD ms) {
    return tdtest::WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, ms, 50);
}

std::vector<HWND> ChildWindows(HWND parent, const char* className) {
    ChildSearch search{className, {}};
    EnumChildWindows(parent, CollectChildren, reinterpret_cast<LPARAM>(&search));
    std::vector<HWND>& found = search.found;
    std::stable_sort(found.begin(), found.end(), [](HWND a, HWND b) {
        RECT ra = {}, rb = {};
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return found;
}

bool TypeInto(HWND edit, const std::string& text, DWORD ms) {
    // Everything chosen, then typed over, as a user replaces a field's text;
    // typed again when the pop-up filled the field meanwhile, as a user
    // would on seeing it.
    const DWORD until = GetTickCount() + ms;
    do {
        PostMessageA(edit, EM_SETSEL, 0, -1);
        PostMessageA(edit, WM_CHAR, VK_BACK, 1);
        for (unsigned char c : text) PostMessageA(edit, WM_CHAR, c, 1);
        if (tdtest::WaitFor([&] { return PlayerSession::TextOf(edit) == text; }, 5000, 50)) return true;
    } while (static_cast<LONG>(until - GetTickCount()) > 0 && IsWindow(edit));
    return false;
}

bool MenuOnScreen(const PlayerSession& s) { return VisibleWindowOf(s, "#32768") != nullptr; }

std::string NavigatorRows(const PlayerSession& s) {
    std::string all;
    if (HWND nav = s.Navigator())
        for (HWND child : ChildWindows(nav, "Static")) all += PlayerSession::TextOf(child);
    return all;
}

std::vector<std::string> BoxEntries(HWND combo) {
    // Each entry shown in turn (the box tells its owner nothing of it) and
    // read as the box's text; the user's choice is put back.
    std::vector<std::string> entries;
    DWORD_PTR count = 0, chosen = 0, ignored = 0;
    if (!SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count) ||
        !SendMessageTimeoutA(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 5000, &chosen))
        return entries;
    for (LONG_PTR i = 0; i < static_cast<LONG_PTR>(count); ++i) {
        SendMessageTimeoutA(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        entries.push_back(PlayerSession::TextOf(combo));
    }
    SendMessageTimeoutA(combo, CB_SETCURSEL, chosen, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    return entries;
}

std::string StoredSetting(const PlayerSession& s, const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, s.Settings().Key().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    DWORD size = 0, type = 0;
    std::vector<unsigned char> blob;
    if (RegQueryValueExA(key, "VLSettings", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size > 0) {
        blob.resize(size);
        if (RegQueryValueExA(key, "VLSettings", nullptr, &type, blob.data(), &size) != ERROR_SUCCESS) blob.clear();
        blob.resize(size);
    }
    RegCloseKey(key);
    std::string xml, value;
    if (blob.empty() || td::OpenSettings(blob.data(), blob.size(), &xml) != td::OpenResult::Ok) return "";
    return td::FindElement(xml, name, &value) ? value : std::string();
}

std::string PlayerSession::ProgramFolder() const { return programFolder_.Path(); }

bool PlayerSession::Install(const std::string& built, const std::string& as) {
    const std::string target = programFolder_.File(as.empty() ? built : as);
    size_t slash = target.find_last_of('\\');
    if (slash != std::string::npos) CreateDirectoryA(target.substr(0, slash).c_str(), nullptr);
    return CopyFileA((tdtest::BinDir() + "\\" + built).c_str(), target.c_str(), FALSE) != FALSE;
}

bool PlayerSession::AdoptPlayer(DWORD ms) {
    HWND found = nullptr;
    if (!tdtest::WaitFor([&] { return (found = FindWindowA(kMainClass, nullptr)) != nullptr; }, ms, 200)) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(found, &pid);
    if (!program_->Attach(pid)) return false;
    main_ = found;
    WaitForInputIdle(program_->Handle(), kStartMs);
    return tdtest::WaitFor([&] { return Element(kCloseButton).found; }, kStartMs, 200);
}

}  // namespace journeys

namespace journeys {

namespace {

constexpr DWORD kRowWaitMs = 30000;

// Folded in, the navigator's region is empty.
bool Extended(HWND nav) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    RECT box = {};
    int kind = GetWindowRgn(nav, region);
    GetRgnBox(region, &box);
    DeleteObject(region);
    return IsWindowVisible(nav) && (kind == ERROR || box.right > box.left);
}

}  // namespace

HWND OpenNavigator(PlayerSession& s) {
    HWND nav = nullptr;
    if (!tdtest::WaitFor([&] { return (nav = FindNavigator(s)) != nullptr; }, kRowWaitMs, 100)) return nullptr;
    // Start-up extends it when it was open the last time (the default).
    if (!tdtest::WaitFor([&] { return Extended(nav); }, 10000, 100)) {
        s.Click(58);
        if (!tdtest::WaitFor([&] { return Extended(nav); }, kRowWaitMs, 100)) return nullptr;
    }
    return nav;
}

std::vector<TableLine> WaitForLines(HWND nav, const std::function<bool(const std::vector<TableLine>&)>& accept) {
    std::vector<TableLine> lines;
    tdtest::WaitFor([&] {
        HWND t = FindTable(nav);
        if (!t) return false;
        lines = TableLines(t);
        return accept(lines);
    }, kRowWaitMs, 200);
    return lines;
}

const TableLine* LineOf(const std::vector<TableLine>& lines, uint32_t id) {
    for (const TableLine& l : lines)
        if (l.id == id) return &l;
    return nullptr;
}

const TableLine* LineWith(const std::vector<TableLine>& lines, const std::string& part) {
    for (const TableLine& l : lines)
        if (l.line.text.find(part) != std::string::npos) return &l;
    return nullptr;
}

bool CurrentLine(HWND nav, uint32_t id, HWND* table, TableLine* line) {
    *table = FindTable(nav);
    if (!*table) return false;
    std::vector<TableLine> lines = TableLines(*table);
    const TableLine* l = LineOf(lines, id);
    if (l) *line = *l;
    return l != nullptr;
}

bool ClickButton(HWND table, const TableLine& line, unsigned id) {
    const ElementView* b = line.Button(id);
    if (!b || !b->visible) return false;
    ClickAt(table, POINT{(b->rect.left + b->rect.right) / 2, (b->rect.top + b->rect.bottom) / 2});
    return true;
}

bool ClickRowUntil(HWND nav, uint32_t id, unsigned button, const std::function<bool()>& done) {
    const DWORD until = GetTickCount() + kRowWaitMs;
    while (static_cast<LONG>(until - GetTickCount()) > 0) {
        HWND table = nullptr;
        TableLine line;
        if (CurrentLine(nav, id, &table, &line) && ClickButton(table, line, button)) {
            bool ended = false;
            tdtest::WaitFor([&] { return (ended = done()) || !IsWindow(table); }, until - GetTickCount(), 100);
            if (ended) return true;
        } else {
            tdtest::WaitFor([] { return false; }, 100, 100);
        }
    }
    return done();
}

HWND PopupWith(PlayerSession& s, const std::string& part, std::string* text) {
    for (HWND p : s.Popups()) {
        std::string t = PlayerSession::TextOf(p);
        if (t.find(part) == std::string::npos) continue;
        if (text) *text = t;
        return p;
    }
    return nullptr;
}

HWND WaitForPopupWith(PlayerSession& s, const std::string& part, std::string* text) {
    HWND found = nullptr;
    tdtest::WaitFor([&] { return (found = PopupWith(s, part, text)) != nullptr; }, kRowWaitMs, 100);
    return found;
}

EpisodeFeed::EpisodeFeed() {
    server.Route("*", [this](const tdtest::HttpRequest& r) { return Answer(r); });
}

const std::string& EpisodeFeed::Episode() const {
    static const std::string mp3 = pe_test::MakeMp3(pe_test::TestTone(30.0));
    return mp3;
}

bool EpisodeFeed::Serves(const tdtest::HttpRequest& r) const { return r.target.rfind(server.Url("/"), 0) == 0; }

tdtest::HttpResponse EpisodeFeed::Answer(const tdtest::HttpRequest& r) const {
    if (r.path == "/feed.xml")
        return tdtest::HttpResponse::Text(
            200,
            std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\"><channel><title>") +
                kFeedTitle + "</title><link>" + server.Url("/") + "</link><description>Tones</description><item><title>" +
                kEpisodeTitle + "</title><pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate><enclosure url=\"" +
                server.Url("/tone.mp3") + "\" length=\"" + std::to_string(Episode().size()) +
                "\" type=\"audio/mpeg\"/></item></channel></rss>\n",
            "application/rss+xml");
    if (r.path != "/tone.mp3") return tdtest::HttpResponse::Text(404, "not here");
    tdtest::HttpResponse a;
    a.body = Episode();
    a.headers.emplace_back("Content-Type", "audio/mpeg");
    a.chunkSize = 8192;
    a.chunkDelayMs = 250;
    return a;
}

HWND SubscribeByLink(PlayerSession& s, const std::string& feedUrl, std::string* failure) {
    HWND nav = OpenNavigator(s);
    const char* why = !nav                                       ? "the navigator does not open"
                      : !s.Link("tunerdeck://|PODCAST|" + feedUrl) ? "the link is not handed over"
                                                                   : nullptr;
    HWND ask = why ? nullptr : WaitForPopupWith(s, kFeedTitle);
    if (!why && !ask) why = "no question names the podcast";
    if (!why) {
        s.Key(VK_RETURN, ask);
        if (!s.Click(kNavPodcastsButton, nav)) why = "the navigator shows no podcast button";
    }
    if (why) *failure = why;
    return why ? nullptr : nav;
}

bool DownloadEpisode(HWND nav, uint32_t* episodeId, std::string* failure) {
    // The first feed's id is 0.
    uint32_t feedId = 0;
    bool listed = false;
    WaitForLines(nav, [&](const std::vector<TableLine>& l) {
        const TableLine* feed = LineWith(l, kFeedTitle);
        if (feed) feedId = feed->id;
        return listed = feed != nullptr;
    });
    if (!listed) {
        *failure = "the podcast view does not list the feed";
        return false;
    }
    auto episodeShown = [&] {
        HWND t = FindTable(nav);
        const std::vector<TableLine> lines = t ? TableLines(t) : std::vector<TableLine>();
        const TableLine* e = LineWith(lines, kEpisodeTitle);
        if (e) *episodeId = e->id;
        return e != nullptr;
    };
    if (!episodeShown() && !ClickRowUntil(nav, feedId, kRowExpand, episodeShown)) {
        *failure = "the feed does not open";
        return false;
    }
    HWND table = nullptr;
    TableLine episode;
    if (!CurrentLine(nav, *episodeId, &table, &episode)) {
        *failure = "the episode's line is gone";
        return false;
    }
    if (episode.Button(kRowDownload) && episode.Button(kRowDownload)->visible) ClickButton(table, episode, kRowDownload);
    return true;
}

}  // namespace journeys
