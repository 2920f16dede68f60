#include "hint_wnds.h"

#include <string>
#include <vector>

#include "bounded_text.h"
#include "dialog_controls.h"
#include "dialog_services.h"
#include "profile_editors.h"
#include "registry.h"
#include "resource_manager.h"
#include "skin_wnd.h"
#include "window_binding.h"
#include "wnd_button.h"
#include "wnd_list.h"

namespace {

enum { SPRITE_HELP_TITLE = 287, SPRITE_SEARCH_OK = 355 };
constexpr char kGuideAddress[] = "http://www.velmirant.de/files/Aufnahmequelle_manuell.pdf";

volatile LONG g_live = 0;

using T = cHintPopup::Text;
constexpr int B = cHintPopup::FONT_BOLD;
constexpr int N = cHintPopup::FONT_NORMAL;
// Headings stay on one line, bodies wrap.
constexpr T Head(unsigned id, int font, RECT r) { return T{id, font, false, false, r, 0, false}; }
constexpr T Wrap(unsigned id, int font, RECT r, int limit = 0) { return T{id, font, true, false, r, limit, false}; }

constexpr T kRecQualityTexts[] = {
    Head(139, B, {10, 35, 325, 50}), Wrap(140, N, {10, 60, 325, 180}),
    Head(141, B, {10, 185, 325, 200}), Wrap(142, N, {10, 200, 325, 245}),
};
constexpr T kRecDeviceTexts[] = {
    Head(485, B, {10, 35, 325, 65}),   Wrap(486, N, {10, 55, 325, 130}), Head(143, B, {10, 132, 325, 147}),
    Wrap(144, N, {10, 152, 325, 197}), Head(145, B, {10, 200, 325, 215}), Wrap(146, N, {40, 200, 325, 275}),
};
constexpr T kAuthTexts[] = {
    Head(147, B, {10, 35, 325, 65}), Wrap(148, N, {10, 55, 325, 135}),
    Head(149, B, {10, 146, 325, 161}), Wrap(390, N, {60, 146, 325, 191}),
};
constexpr T kTimerTexts[] = {
    Head(391, B, {10, 35, 370, 65}),   Wrap(392, N, {10, 55, 370, 158}),  Head(393, B, {10, 163, 370, 178}),
    Head(394, B, {10, 189, 370, 204}), Wrap(395, N, {70, 189, 370, 234}), Head(396, B, {10, 239, 370, 254}),
    Wrap(397, N, {70, 239, 370, 269}), Head(398, B, {10, 274, 370, 289}), Wrap(399, N, {70, 274, 370, 319}),
    Head(400, B, {10, 324, 370, 339}), Wrap(401, N, {70, 324, 370, 384}),
    // The label's narrow column makes it wrap.
    Wrap(402, B, {10, 389, 65, 419}), Wrap(403, N, {70, 389, 370, 449}),
};
constexpr T kSearchFailedTexts[] = {
    Head(617, B, {6, 35, 275, 65}),
    Wrap(618, N, {6, 55, 275, 286}, 1024),
    T{619, N, true, false, {5, 244, 276, 286}, 1024, true},
};
constexpr T kMp3QualityTexts[] = {
    Head(473, B, {10, 35, 260, 50}),  Head(469, B, {10, 60, 260, 75}),        Wrap(474, N, {10, 75, 260, 135}),
    Head(475, B, {10, 150, 260, 165}), Wrap(476, N, {10, 165, 260, 300}, 700),
};
constexpr T kProxyTexts[] = {Head(150, B, {10, 35, 325, 65}), Wrap(151, N, {10, 55, 325, 250}, 1000)};
constexpr T kStreamFormatTexts[] = {
    Head(152, B, {10, 35, 340, 50}),   Wrap(153, N, {10, 60, 340, 135}),   Head(154, B, {10, 135, 340, 150}),
    Wrap(155, N, {102, 135, 340, 165}), Head(156, B, {10, 165, 340, 180}), Wrap(157, N, {102, 165, 340, 195}),
    Head(158, B, {10, 195, 340, 210}), Wrap(159, N, {102, 195, 340, 255}), Head(145, B, {10, 240, 340, 255}),
    Wrap(160, N, {10, 255, 340, 360}),
};
constexpr T kAutoPauseTexts[] = {Head(161, B, {10, 35, 260, 65}), Wrap(162, N, {10, 55, 260, 115})};

constexpr T kPlayerMissingTexts[] = {
    T{0, B, true, true, {10, 50, 280, 80}, 0, false},
    T{134, B, false, true, {10, 90, 290, 105}, 0, false},
    Head(135, N, {25, 178, 290, 193}),
};
constexpr T kMp3AdjustedTexts[] = {
    Wrap(136, B, {10, 35, 260, 120}, 1024),
    Wrap(137, N, {10, 80, 260, 120}, 1024),
    Head(135, N, {25, 166, 260, 181}),
};
constexpr T kNoConnectionTexts[] = {
    Wrap(165, B, {10, 35, 380, 65}),   Head(166, N, {10, 75, 380, 90}),   Wrap(167, N, {10, 100, 380, 130}),
    Wrap(168, N, {10, 140, 380, 170}), Head(135, N, {25, 218, 380, 233}),
};

template <size_t Count>
constexpr cHintPopup::Layout Help(int w, int h, int centreWidth, int bottom, const T (&texts)[Count]) {
    return cHintPopup::Layout{w,       h,       SPRITE_HELP_TITLE, cHintPopup::BUTTON_OK, {centreWidth, bottom, 0, 0},
                              0,       nullptr, 0,                 {0, 0, 0, 0},          false,
                              texts,   static_cast<int>(Count)};
}

// The centring widths 255 and 262 of the narrow hints are the skin's.
const cHintPopup::Layout kRecQuality = Help(335, 275, 335, 270, kRecQualityTexts);
const cHintPopup::Layout kRecDevice = Help(335, 310, 335, 300, kRecDeviceTexts);
const cHintPopup::Layout kAuth = Help(335, 235, 335, 225, kAuthTexts);
const cHintPopup::Layout kTimer = Help(380, 500, 380, 490, kTimerTexts);
const cHintPopup::Layout kMp3Quality = Help(270, 350, 255, 340, kMp3QualityTexts);
const cHintPopup::Layout kProxy = Help(335, 300, 335, 290, kProxyTexts);
const cHintPopup::Layout kStreamFormat = Help(350, 380, 350, 370, kStreamFormatTexts);
const cHintPopup::Layout kAutoPause = Help(270, 160, 262, 148, kAutoPauseTexts);
const cHintPopup::Layout kSearchFailed = {
    281, 326, SPRITE_HELP_TITLE, SPRITE_SEARCH_OK, {0, 0, 101, 289}, 0, nullptr, cHintPopup::LINK_GUIDE,
    {0, 0, 154, 260}, true, kSearchFailedTexts, 3};
const cHintPopup::Layout kPlayerMissing = {
    300, 200, 243, cHintPopup::BUTTON_OK, {290, 165, 0, 0}, 177, "SHOW_FORMATUNBEKANNT", cHintPopup::LINK_DOWNLOAD,
    {290, 120, 0, 0}, false, kPlayerMissingTexts, 3};
const cHintPopup::Layout kMp3Adjusted = {
    270, 185, 285, cHintPopup::BUTTON_OK, {255, 160, 0, 0}, 165, "SHOW_FORMATUNGUELTIG", 0,
    {0, 0, 0, 0}, false, kMp3AdjustedTexts, 3};
const cHintPopup::Layout kNoConnection = {
    400, 240, 254, cHintPopup::BUTTON_OK, {390, 210, 0, 0}, 217, "SHOW_KEINEVERBINDUNG", 0,
    {0, 0, 0, 0}, false, kNoConnectionTexts, 5};

// Whether the user asked never to see the hint of `value` again.
bool Suppressed(const char* value) {
    unsigned long never = 0;
    GetValue(value, &never);
    return never != 0;
}

}  // namespace

cHintPopup::cHintPopup(cElementHost* owner, HWND parent, cResourceManager* res, const Layout& layout)
    : cPopUpWnd(parent, res), owner_(owner), res_(res), layout_(layout) {
    InterlockedIncrement(&g_live);
    if (!GetWindow()) return;
    PreparePopup(this, &cHintPopup::WndProc, layout.width, layout.height, layout.titleSprite);
    AddPlaced(BUTTON_OK, layout.okSprite, layout.ok, false, 0);
    if (layout.checkLine) AddPlaced(CHECK_NEVER_AGAIN, CHECK_NEVER_AGAIN, Place{}, true, layout.checkLine);
    if (layout.linkId && (!layout.linkGermanOnly || dlgs::Language() == 1))
        AddPlaced(layout.linkId, layout.linkId, layout.link, false, 0);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    TellTexts();
    ::ShowWindow(GetWindow(), SW_SHOW);
    Invalidate();
}

cHintPopup::~cHintPopup() { InterlockedDecrement(&g_live); }

bool cHintPopup::ShownText(const Text& t, std::vector<char>* text) const {
    if (t.germanOnly && dlgs::Language() != 1) return false;
    const unsigned id = t.id ? t.id : KindText();
    if (!id) return false;
    text->assign(static_cast<size_t>(t.limit ? t.limit : LIMIT_DEFAULT), 0);
    dlgs::Text(id, text->data(), static_cast<int>(text->size()));
    return (*text)[0] != 0;
}

void cHintPopup::TellTexts() {
    if (!GetWindow()) return;
    std::string all;
    std::vector<char> text;
    for (int i = 0; i < layout_.textCount; ++i) {
        if (!ShownText(layout_.texts[i], &text)) continue;
        if (!all.empty()) all += "\n";
        all += text.data();
    }
    SetWindowTextA(GetWindow(), all.c_str());
}

int cHintPopup::LiveCount() { return static_cast<int>(g_live); }

void cHintPopup::AddPlaced(unsigned long id, unsigned sprite, const Place& place, bool latching, int checkLine) {
    cWndButton* b = AddPopupButton(this, owner_, res_, id, sprite, 10, 10, 0, latching);
    if (!b) return;
    const int w = b->GetGfxWidth(), h = b->GetGfxHeight();
    POINT at = {place.x, place.y};
    if (checkLine)
        at = POINT{10, (15 - h) / 2 + checkLine};
    else if (place.centreWidth)
        at = POINT{(place.centreWidth - w) / 2, place.bottom - h};
    b->SetPos(at, 1);
}

void cHintPopup::OnOk() {
    if (layout_.neverAgainValue) {
        auto* box = dynamic_cast<cWndButton*>(GetButtonList()->GetById(CHECK_NEVER_AGAIN));
        if (box && IsTicked(box->GetStatus())) SetValue(layout_.neverAgainValue, "1");
    }
    Close();
}

void cHintPopup::Close() {
    DestroyPopupWindow();
    delete this;
}

LRESULT CALLBACK cHintPopup::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = static_cast<cHintPopup*>(fkwin::Bound<cPopUpWnd>(hwnd));
    if (!self) return PopupProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_KEYDOWN:
        // Enter is the OK button; Escape leaves as the frame's close would,
        // writing nothing.
        if (wParam == VK_RETURN) {
            self->OnOk();
            return 0;
        }
        if (wParam == VK_ESCAPE) {
            self->Close();
            return 0;
        }
        break;
    case WM_SKIN_BUTTON_PRESSED:
        if (lParam == BUTTON_OK)
            self->OnOk();
        else if (lParam == static_cast<LPARAM>(self->layout_.linkId) && self->layout_.linkId)
            self->OnLink();
        return 0;
    case WM_NCDESTROY: {
        // Gone with its owner rather than by OK: nobody else would delete it.
        LRESULT r = PopupProc(hwnd, msg, wParam, lParam);
        self->ForgetWindow();
        delete self;
        return r;
    }
    default:
        break;
    }
    return PopupProc(hwnd, msg, wParam, lParam);
}

void cHintPopup::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    ClearScreen();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    HGDIOBJ old = nullptr;
    std::vector<char> text;
    struct Overflow {
        LONG bottom;   // where the text's own place ended
        int extra;     // the lines it took beyond it
    };
    std::vector<Overflow> overflows;
    for (int i = 0; i < layout_.textCount; ++i) {
        const Text& t = layout_.texts[i];
        if (!ShownText(t, &text)) continue;
        HFONT font = res_ ? res_->GetFont(t.font) : nullptr;
        if (font) {
            HGDIOBJ previous = SelectObject(dc, font);
            if (!old) old = previous;
        }
        // A wrapped text that needs more lines than its place (a longer
        // translation, a larger font) takes them, and the texts below it
        // move down by as much; the never-again line stays with its box.
        RECT r = t.rect;
        if (!layout_.checkLine || r.top < layout_.checkLine)
            for (const Overflow& o : overflows)
                if (o.bottom <= t.rect.top) OffsetRect(&r, 0, o.extra);
        UINT flags = DT_NOPREFIX | DT_VCENTER | (t.wrap ? DT_WORDBREAK : 0u) | (t.centred ? DT_CENTER : DT_LEFT);
        if (t.wrap) {
            RECT need = r;
            DrawTextA(dc, text.data(), -1, &need, flags | DT_CALCRECT);
            const int extra = (need.bottom - need.top) - (r.bottom - r.top);
            if (extra > 0) {
                r.bottom += extra;
                overflows.push_back(Overflow{t.rect.bottom, extra});
            }
        }
        DrawTextA(dc, text.data(), -1, &r, flags);
    }
    if (old) SelectObject(dc, old);
    cPopUpWnd::OnPaint(dc, ps);
}

#define FK_HELP_HINT_BODY(Name, layout) \
    Name::Name(cElementHost* owner, HWND parent, cResourceManager* res) : cHintPopup(owner, parent, res, layout) {}
FK_HELP_HINT_BODY(cRecQualityHintWnd, kRecQuality)
FK_HELP_HINT_BODY(cRecDeviceHintWnd, kRecDevice)
FK_HELP_HINT_BODY(cAuthHintWnd, kAuth)
FK_HELP_HINT_BODY(cTimerHintWnd, kTimer)
FK_HELP_HINT_BODY(cMp3QualityHintWnd, kMp3Quality)
FK_HELP_HINT_BODY(cProxyHintWnd, kProxy)
FK_HELP_HINT_BODY(cStreamFormatHintWnd, kStreamFormat)
FK_HELP_HINT_BODY(cAutoPauseHintWnd, kAutoPause)
FK_HELP_HINT_BODY(cMp3AdjustedHintWnd, kMp3Adjusted)
FK_HELP_HINT_BODY(cSearchFailedHintWnd, kSearchFailed)
#undef FK_HELP_HINT_BODY

void cSearchFailedHintWnd::OnLink() { StartBrowser(kGuideAddress); }

cPlayerMissingHintWnd::cPlayerMissingHintWnd(cElementHost* owner, HWND parent, cResourceManager* res, int kind)
    : cHintPopup(owner, parent, res, kPlayerMissing), kind_(kind) {
    // The kind's text is only known now that the object is whole.
    TellTexts();
    Invalidate();
}

unsigned cPlayerMissingHintWnd::KindText() const {
    if (kind_ == 1) return 133;
    return kind_ == 2 || kind_ == 3 ? 132 : 0;
}

void cPlayerMissingHintWnd::OnLink() {
    const char* page = kind_ == 1 ? dlgs::kRealPlayerPage : kind_ == 2 || kind_ == 3 ? dlgs::kWindowsMediaPage : nullptr;
    if (page) dlgs::Callback(5, 0, const_cast<char*>(page));
}

cNoConnectionHintWnd::cNoConnectionHintWnd(cElementHost* owner, HWND parent, cResourceManager* res, int kind)
    : cHintPopup(owner, parent, res, kNoConnection), kind_(kind) {}

namespace {
// A hint whose window could not be made cannot end by itself.
template <class Hint>
Hint* Made(Hint* hint) {
    if (hint && !hint->GetWindow()) {
        delete hint;
        return nullptr;
    }
    return hint;
}
template <class Hint>
void Modal(Hint* hint) {
    if ((hint = Made(hint))) hint->MessageLoop();
}
}  // namespace

namespace dlgs {

void OpenHint(int kind, cElementHost* owner, HWND parent, cResourceManager* res) {
    switch (kind) {
    case HINT_PROXY: Made(new cProxyHintWnd(owner, parent, res)); break;
    case HINT_AUTH: Made(new cAuthHintWnd(owner, parent, res)); break;
    case HINT_REC_DEVICE: Made(new cRecDeviceHintWnd(owner, parent, res)); break;
    case HINT_AUTO_PAUSE: Made(new cAutoPauseHintWnd(owner, parent, res)); break;
    case HINT_SEARCH_FAILED: Made(new cSearchFailedHintWnd(owner, parent, res)); break;
    case HINT_TIMER: Modal(new cTimerHintWnd(owner, parent, res)); break;
    case HINT_STREAM_FORMAT: Modal(new cStreamFormatHintWnd(owner, parent, res)); break;
    default: break;
    }
}

void OpenEditorHelp(int kind, cElementHost* owner, HWND parent, cResourceManager* res) {
    if (kind == HELP_REC_QUALITY) Modal(new cRecQualityHintWnd(owner, parent, res));
    if (kind == HELP_MP3_QUALITY) Modal(new cMp3QualityHintWnd(owner, parent, res));
}

namespace {
cSkinWnd* Navigator() { return GetWindowList().Find(WND_ID_NAVIGATOR); }
// The pop-ups' frames, buttons and fonts are the main window's resources:
// the navigator window holds none of its own.
cResourceManager* PopupResources(cSkinWnd* nav) {
    cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
    cResourceManager* res = main ? main->GetResourceManager() : nullptr;
    return res ? res : nav->GetResourceManager();
}
}  // namespace

void OpenPlayerMissingHint(int kind) {
    cSkinWnd* nav = Navigator();
    if (!nav || Suppressed("SHOW_FORMATUNBEKANNT")) return;
    Modal(new cPlayerMissingHintWnd(nav, nav->GetWindow(), PopupResources(nav), kind));
}

void OpenNoConnectionHint(int kind) {
    cSkinWnd* nav = Navigator();
    if (!nav || Suppressed("SHOW_KEINEVERBINDUNG")) return;
    Modal(new cNoConnectionHintWnd(nav, nav->GetWindow(), PopupResources(nav), kind));
}

void OpenMp3AdjustedHint() {
    cSkinWnd* nav = Navigator();
    if (!nav || Suppressed("SHOW_FORMATUNGUELTIG")) return;
    Made(new cMp3AdjustedHintWnd(GetWindowList().Find(WND_ID_MAIN), nav->GetWindow(), PopupResources(nav)));
}

}  // namespace dlgs
