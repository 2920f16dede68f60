#include "message_popup.h"

#include <cstring>

#include "bounded_text.h"
#include "catalogue.h"
#include "debugtext.h"
#include "host_link.h"
#include "resource_manager.h"
#include "win_handles.h"
#include "window_binding.h"
#include "wnd_button.h"

namespace {

enum { TIMER_COUNTDOWN = 1, TIMER_WAIT = 2 };
enum { LINE_HEIGHT = 15, COUNTDOWN_EXTRA = 37 };

// Formats a catalogue text with the countdown. The text is data, not code:
// only its first integer conversion ("%d", "%02d") takes the number, every
// other character is copied as it stands.
void FormatCount(char* out, size_t size, const char* format, int value) {
    out[0] = 0;
    bool done = false;
    size_t n = 0;
    for (const char* p = format; *p && n + 1 < size; ++p) {
        if (*p == '%' && !done) {
            const char* q = p + 1;
            bool zero = *q == '0';
            int width = 0;
            while (*q >= '0' && *q <= '9' && width < 100) width = width * 10 + (*q++ - '0');
            if (*q == 'd') {
                char number[32];
                bk::TextFormat(number, sizeof(number), zero ? "%0*d" : "%*d", width, value);
                for (const char* d = number; *d && n + 1 < size; ++d) out[n++] = *d;
                done = true;
                p = q;
                continue;
            }
        }
        out[n++] = *p;
    }
    out[n] = 0;
}

struct MeasureContext {
    HDC dc;
    UINT flags;
};

int MeasureText(void* context, const char* text, size_t n) {
    auto* m = static_cast<MeasureContext*>(context);
    if (n == 0) return 0;
    RECT r = {0, 0, 0, LINE_HEIGHT};
    DrawTextA(m->dc, text, static_cast<int>(n), &r, m->flags | DT_CALCRECT);
    return r.right - r.left;
}

// Breaks text into lines measured in font on dc; calls add(start, length).
template <class Add>
void BreakText(HDC dc, HFONT font, UINT flags, const char* text, int available, int room, Add add) {
    if (room <= 0) return;
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    MeasureContext m = {dc, flags};
    std::vector<markup::LineSpan> spans(static_cast<size_t>(room));
    int n = markup::BreakLines(text, strlen(text), available, &MeasureText, &m, spans.data(), room);
    for (int i = 0; i < n; ++i) add(text + spans[i].start, spans[i].length);
    if (old) SelectObject(dc, old);
}

}  // namespace

// ---------------------------------------------------------------- base

cMessagePopupBase::cMessagePopupBase(cElementHost* ownerObject, HWND owner, cResourceManager* res)
    : cPopUpWnd(owner, res), ownerObject_(ownerObject), res_(res), countdown_(DEFAULT_COUNTDOWN),
      deleteOnClose_(0), white_(CreateSolidBrush(RGB(255, 255, 255))) {
    SetResult(0);
    HWND hwnd = GetWindow();
    if (hwnd) {
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&cMessagePopupBase::MessageProc));
        fkwin::Bind(hwnd, static_cast<cPopUpWnd*>(this));
    }
    SetTitleDC(SPRITE_MESSAGE_TITLE);
    SetSize(WIDTH, HEIGHT);
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
    if (hwnd) SetTimer(hwnd, TIMER_COUNTDOWN, 1000, nullptr);
}

cMessagePopupBase::~cMessagePopupBase() {
    if (GetWindow()) KillTimer(GetWindow(), TIMER_COUNTDOWN);
    if (white_) DeleteObject(white_);
    white_ = nullptr;
}

void cMessagePopupBase::SetCountdown(int seconds) {
    HWND hwnd = GetWindow();
    if (hwnd) {
        if (seconds == -1)
            KillTimer(hwnd, TIMER_COUNTDOWN);
        else
            SetTimer(hwnd, TIMER_COUNTDOWN, 1000, nullptr);
    }
    countdown_ = seconds;
}

void cMessagePopupBase::Close() {
    if (GetWindow()) KillTimer(GetWindow(), TIMER_COUNTDOWN);
    DestroyPopupWindow();
    if (deleteOnClose_) delete this;
}

void cMessagePopupBase::AddButtonTo(unsigned elementId, unsigned spriteId, bool topmost) {
    if (!GetWindow()) return;
    cWndButton* button = new cWndButton(ownerObject_, GetWindow(), res_, spriteId, POINT{10, 10}, elementId,
                                        nullptr, 0, nullptr, 0);
    GetButtonList()->Add(button);
    if (topmost && button->GetWindow())
        SetWindowPos(button->GetWindow(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
}

void cMessagePopupBase::PlaceButtons() {
    cButtonListe* list = GetButtonList();
    SIZE size = GetSize();
    auto place = [&](cListElement* e, int x) {
        cWndButton* b = static_cast<cWndButton*>(e);
        b->SetPos(POINT{x, size.cy - 12 - b->GetGfxHeight()}, 1);
    };
    if (list->GetAnzElement() == 1) {
        cWndButton* b = static_cast<cWndButton*>(list->First());
        place(b, (size.cx - b->GetGfxWidth()) / 2);
        return;
    }
    cListElement* confirm = list->GetById(ELEMENT_CONFIRM);
    cListElement* cancel = list->GetById(ELEMENT_CANCEL);
    if (confirm && cancel) {
        place(confirm, size.cx / 2 - 10 - static_cast<cWndButton*>(confirm)->GetGfxWidth());
        place(cancel, size.cx / 2 + 10);
    }
}

void cMessagePopupBase::ApplyHeight(int height) {
    SetSize(GetSize().cx, height);
    SetPos();
    PlaceButtons();
    if (GetShadowDC()) SetBkMode(GetShadowDC(), TRANSPARENT);
}

void cMessagePopupBase::PaintCountdown(HDC dc, int y, int lineHeight, HFONT font) {
    if (countdown_ <= 0) return;
    SIZE size = GetSize();
    char format[256] = {}, line[300] = {};
    int language = GetHostLanguage();
    GetResourceString(nullptr, TEXT_COUNTDOWN, language, format, sizeof(format));
    FormatCount(line, sizeof(line), format, countdown_);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    RECT r = {20, y, size.cx - 18, y + lineHeight};
    DrawTextA(dc, line, -1, &r, DT_CENTER | DT_VCENTER | DT_NOPREFIX | DT_SINGLELINE);
    if (GetButtonList()->GetAnzElement() > 1) {
        GetResourceString(nullptr, TEXT_AFTERWARDS, language, line, sizeof(line));
        OffsetRect(&r, 0, lineHeight);
        DrawTextA(dc, line, -1, &r, DT_CENTER | DT_VCENTER | DT_NOPREFIX | DT_SINGLELINE);
    }
    if (old) SelectObject(dc, old);
}

LRESULT CALLBACK cMessagePopupBase::MessageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cPopUpWnd* base = fkwin::Bound<cPopUpWnd>(hwnd);
    if (!base) return PopupProc(hwnd, msg, wParam, lParam);
    auto* self = static_cast<cMessagePopupBase*>(base);
    switch (msg) {
    case WM_TIMER:
        if (wParam == TIMER_COUNTDOWN) {
            if (--self->countdown_ < 1) {
                self->SetResult(1);
                self->Close();
                return 0;   // the object may be gone
            }
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        }
        if (self->OnOtherTimer(wParam)) return 0;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(self->white_);
    case WM_KEYDOWN:
        // Enter answers as the first button, Escape as the second (or,
        // without one, closes as the first would).
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            if (wParam == VK_RETURN || self->GetButtonList()->GetAnzElement() < 2) self->SetResult(1);
            self->Close();
            return 0;
        }
        break;
    case WM_CLOSE:
        self->Close();
        return 0;
    case WM_SKIN_BUTTON_PRESSED:
        // A box's only button confirms whatever its element (the notices'
        // 187 and 355 among them).
        if (lParam == ELEMENT_CONFIRM || (lParam != ELEMENT_CANCEL && self->GetButtonList()->GetAnzElement() == 1 &&
                                          self->GetButtonList()->GetById(static_cast<DWORD>(lParam)))) {
            self->SetResult(1);
            self->Close();
        } else if (lParam == ELEMENT_CANCEL) {
            self->Close();
        }
        return 0;
    default:
        break;
    }
    return PopupProc(hwnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------- plain

cMessageWnd::cMessageWnd(cElementHost* ownerObject, HWND owner, cResourceManager* res)
    : cMessagePopupBase(ownerObject, owner, res), text_{}, subText_{}, minHeight_(0), firstSubLine_(-1), wait_(0),
      waitPhase_(0) {}

cMessageWnd::~cMessageWnd() {
    if (GetWindow()) KillTimer(GetWindow(), TIMER_WAIT);
}

// The window's own text too, so screen readers (and tests acting as the
// user) read what the box says.
void cMessageWnd::SetText(const char* text) {
    bk::TextCopy(text_, text);
    if (GetWindow()) SetWindowTextA(GetWindow(), text_);
}
void cMessageWnd::SetSubText(const char* text) { bk::TextCopy(subText_, text); }

void cMessageWnd::SetWaitAnimation(int on) {
    wait_ = on;
    if (!GetWindow()) return;
    if (on)
        SetTimer(GetWindow(), TIMER_WAIT, 500, nullptr);
    else
        KillTimer(GetWindow(), TIMER_WAIT);
}

int cMessageWnd::OnOtherTimer(UINT_PTR id) {
    if (id != TIMER_WAIT) return 0;
    waitPhase_ = !waitPhase_;
    Invalidate();
    return 1;
}

void cMessageWnd::BreakInto(const char* text, int font) {
    HDC dc = GetShadowDC();
    if (!dc || !res_) return;
    int room = MAX_LINES - static_cast<int>(lines_.size());
    BreakText(dc, res_->GetFont(font), DT_NOPREFIX | DT_CENTER | DT_VCENTER, text, GetSize().cx - 40, room,
              [&](const char* s, size_t n) { lines_.emplace_back(s, n); });
}

void cMessageWnd::InitWndSize() {
    lines_.clear();
    firstSubLine_ = -1;
    BreakInto(text_, markup::FONT_BIG_BOLD);
    if (subText_[0] && lines_.size() < MAX_LINES) {
        lines_.emplace_back();
        firstSubLine_ = static_cast<int>(lines_.size());
        BreakInto(subText_, markup::FONT_BIG);
    }
    int height = LINE_HEIGHT * static_cast<int>(lines_.size()) + 100;
    if (countdown_ >= 1) height += COUNTDOWN_EXTRA;
    if (height < minHeight_) height = minHeight_;
    ApplyHeight(height);
}

void cMessageWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    ClearScreen();
    int width = GetSize().cx;
    HGDIOBJ old = res_ ? SelectObject(dc, res_->GetFont(markup::FONT_BIG_BOLD)) : nullptr;
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    int i = 0;
    for (; i < static_cast<int>(lines_.size()); ++i) {
        if (i == firstSubLine_ && res_) SelectObject(dc, res_->GetFont(markup::FONT_BIG));
        RECT r = {20, 43 + LINE_HEIGHT * i, width - 18, 58 + LINE_HEIGHT * i};
        const std::string& line = lines_[static_cast<size_t>(i)];
        DrawTextA(dc, line.data(), static_cast<int>(line.size()), &r, DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    }
    if (wait_ && res_) {
        int first = 0;
        if (!lines_.empty()) {
            SelectObject(dc, res_->GetFont(markup::FONT_BIG_BOLD));
            MeasureContext m = {dc, DT_NOPREFIX | DT_CENTER | DT_VCENTER};
            first = MeasureText(&m, lines_[0].data(), lines_[0].size());
        }
        res_->DrawBitmap(dc, (width - 38 - first) / 2 + 7, 45, waitPhase_ ? SPRITE_WAIT_ON : SPRITE_WAIT_OFF,
                         SRCCOPY);
    }
    PaintCountdown(dc, 43 + LINE_HEIGHT * i, LINE_HEIGHT, res_ ? res_->GetFont(markup::FONT_BIG) : nullptr);
    if (old) SelectObject(dc, old);
    cPopUpWnd::OnPaint(dc, ps);
}

// ---------------------------------------------------------------- mark-up

cMarkupMessageWnd::cMarkupMessageWnd(cElementHost* ownerObject, HWND owner, cResourceManager* res)
    : cMessagePopupBase(ownerObject, owner, res), text_{}, runCount_(1) {
    markup::ResetRuns(runs_, markup::kMaxRuns);
}

cMarkupMessageWnd::~cMarkupMessageWnd() {}

void cMarkupMessageWnd::SetText(const char* text) {
    bk::TextCopy(text_, text);
    if (GetWindow()) SetWindowTextA(GetWindow(), text_);
    runCount_ = markup::Parse(text_, strlen(text_), runs_, markup::kMaxRuns);
}

void cMarkupMessageWnd::InitWndSize() {
    lines_.clear();
    int textHeight = 0;
    HDC dc = GetShadowDC();
    for (int i = 0; i < runCount_ && dc && res_; ++i) {
        const markup::Run& run = runs_[i];
        if (!run.text[0]) break;
        int room = MAX_LINES - static_cast<int>(lines_.size());
        BreakText(dc, res_->GetFont(run.font), DT_NOPREFIX | DT_VCENTER, run.text, GetSize().cx - 20, room,
                  [&](const char* s, size_t n) {
                      Line line;
                      line.font = run.font;
                      line.colour = run.colour;
                      bk::TextCopyN(line.text, sizeof(line.text), s, n);
                      line.height = run.height;
                      line.centre = run.centre;
                      lines_.push_back(line);
                      textHeight += run.height;
                  });
    }
    int height = textHeight + 94;
    if (countdown_ >= 1) height += COUNTDOWN_EXTRA;
    ApplyHeight(height);
}

void cMarkupMessageWnd::OnPaint(HDC dc, PAINTSTRUCT& ps) {
    ClearScreen();
    int width = GetSize().cx;
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = nullptr;
    int y = 38;
    for (const Line& line : lines_) {
        HGDIOBJ previous = res_ ? SelectObject(dc, res_->GetFont(line.font)) : nullptr;
        if (!old) old = previous;
        SetTextColor(dc, line.colour);
        RECT r = {10, y, width - 10, y + line.height};
        DrawTextA(dc, line.text, -1, &r, DT_NOPREFIX | (line.centre == 1 ? DT_CENTER : DT_LEFT));
        y += line.height;
    }
    SetTextColor(dc, RGB(0, 0, 0));
    PaintCountdown(dc, y + LINE_HEIGHT, LINE_HEIGHT, res_ ? res_->GetFont(markup::FONT_BIG) : nullptr);
    if (old) SelectObject(dc, old);
    cPopUpWnd::OnPaint(dc, ps);
}
