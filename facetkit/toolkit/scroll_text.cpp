#include "scroll_text.h"

#include <cstring>
#include <initializer_list>

#include "bounded_text.h"
#include "debugtext.h"
#include "element_host.h"
#include "element_window.h"
#include "resource_manager.h"

namespace {

const DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS | SS_NOTIFY | SS_OWNERDRAW;
static_assert(kChildStyle == 0x4400010D, "scrolling text style");
const UINT kDrawFlags = DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE;
const char kSecondMark = 0x02;
const char* const kSpacer = " *** ";

class Lock {
public:
    explicit Lock(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~Lock() { LeaveCriticalSection(cs_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION* cs_;
};

}  // namespace

void cScrollText::Surface::Drop() {
    if (!bitmap) return;
    if (dc && old) SelectObject(dc, old);
    DeleteObject(bitmap);
    bitmap = nullptr;
    old = nullptr;
}

void cScrollText::Surface::Free() {
    Drop();
    if (dc) DeleteDC(dc);
    dc = nullptr;
}

bool cScrollText::Surface::Set(HBITMAP bmp) {
    Drop();
    if (!dc || !bmp) {
        if (bmp) DeleteObject(bmp);
        return false;
    }
    old = SelectObject(dc, bmp);
    bitmap = bmp;
    return true;
}

cScrollText::cScrollText(cResourceManagerInterface* res, DWORD kept, int mainFont, int secondFont, HWND parent,
                         DWORD id, RECT rect, COLORREF colour, int, int)
    : res_(res), kept_(kept), mainFont_(mainFont), secondFont_(secondFont), boxHeight_(0), boxWidth_(0),
      textWidth_(0), mainWidth_(0), offset_(0), destroying_(0), parent_(parent), child_(nullptr), colour_(colour),
      lock_{}, composed_(false), indent_(0), prevProc_(nullptr), rectPending_(false), pendingRect_{0, 0, 0, 0},
      handOver_{}, current_{}, mainPart_{}, secondPart_{} {
    InitializeCriticalSection(&lock_);
    SetId(id);
    SetTyp(ET_PASSIVE);
    child_ = CreateElementWindow(parent, kChildStyle, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top, &cScrollText::TextProc, this, &prevProc_);
    if (!child_) {
        DebugLog(DL_ERR, "cScrollText %lu: no child window", id);
        return;
    }
    SetClassLongPtrA(child_, GCLP_HBRBACKGROUND, 0);

    HDC like = ::GetDC(child_);
    for (Surface* s : {&background_, &mask_, &coloured_, &output_}) s->dc = CreateCompatibleDC(like);
    ::ReleaseDC(child_, like);
    HFONT font = res_ ? res_->GetFont(mainFont_) : nullptr;
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (mask_.dc) {
        SetBkColor(mask_.dc, RGB(255, 255, 255));
        SetTextColor(mask_.dc, RGB(0, 0, 0));
        SetMapMode(mask_.dc, MM_TEXT);
        SelectObject(mask_.dc, font);
    }
    if (coloured_.dc) {
        SetTextColor(coloured_.dc, colour_);
        SetBkColor(coloured_.dc, RGB(0, 0, 0));
        SetMapMode(coloured_.dc, MM_TEXT);
        SelectObject(coloured_.dc, font);
    }
    SetTextRect(rect);
}

cScrollText::~cScrollText() {
    InterlockedExchange(&destroying_, 1);
    if (child_) KillTimer(child_, SCROLL_TIMER);
    OutputDebugStringA("kill scrolltext\n");
    {
        Lock lock(&lock_);
        for (Surface* s : {&background_, &mask_, &coloured_, &output_}) s->Free();
    }
    DestroyElementWindow(child_, prevProc_);
    child_ = nullptr;
    DeleteCriticalSection(&lock_);
}

// ---------------------------------------------------------------- any thread

void cScrollText::SetText(const char* text) {
    if (!text || destroying_) return;
    {
        Lock lock(&lock_);
        bk::TextCopy(handOver_, text);
    }
    // The window thread takes the text from the object: the message only
    // wakes it, so another process posting it can hand over nothing.
    if (child_) PostMessageA(child_, WM_SCROLLTEXT_TEXT, 0, 0);
}

void cScrollText::SetTextRect(RECT rect) {
    if (destroying_) return;
    {
        Lock lock(&lock_);
        pendingRect_ = rect;
        rectPending_ = true;
    }
    if (child_) PostMessageA(child_, WM_SCROLLTEXT_RECT, 0, 0);
}

void cScrollText::SetIndent(int x) {
    if (destroying_) return;
    {
        Lock lock(&lock_);
        indent_ = x < 0 ? 0 : x;
    }
    if (child_) InvalidateRect(child_, nullptr, FALSE);
}

int cScrollText::GetVisibleTextWidth() {
    Lock lock(&lock_);
    return boxWidth_ < textWidth_ ? boxWidth_ : textWidth_;
}

int cScrollText::GetTextWidth() {
    Lock lock(&lock_);
    return textWidth_;
}

int cScrollText::GetScrollOffset() {
    Lock lock(&lock_);
    return offset_;
}

int cScrollText::GetBoxWidth() {
    Lock lock(&lock_);
    return boxWidth_;
}

bool cScrollText::IsComposed() {
    Lock lock(&lock_);
    return composed_;
}

void cScrollText::GetText(char* buffer, int size) {
    if (!buffer || size <= 0) return;
    Lock lock(&lock_);
    bk::TextCopy(buffer, static_cast<size_t>(size), current_);
}

void cScrollText::GetDisplayParts(char* mainPart, int mainSize, char* secondPart, int secondSize) {
    Lock lock(&lock_);
    if (mainPart && mainSize > 0) bk::TextCopy(mainPart, static_cast<size_t>(mainSize), mainPart_);
    if (secondPart && secondSize > 0) bk::TextCopy(secondPart, static_cast<size_t>(secondSize), secondPart_);
}

HDC cScrollText::LockOutput() {
    EnterCriticalSection(&lock_);
    return output_.bitmap ? output_.dc : nullptr;
}

void cScrollText::UnlockOutput() { LeaveCriticalSection(&lock_); }

void cScrollText::SetVisible(int visible) {
    if (destroying_) return;
    cActiveElement::SetVisible(visible);
    if (!child_) return;
    bool shown = IsWindowVisible(child_) != 0;
    if (shown != (visible != 0)) ShowWindow(child_, visible ? SW_SHOW : SW_HIDE);
}

void cScrollText::Invalidate() {
    if (destroying_ || !child_) return;
    bool composed;
    {
        Lock lock(&lock_);
        composed = composed_;
    }
    if (composed) InvalidateRect(child_, nullptr, FALSE);
}

// The parent paints the skin under the box; that becomes the background the
// text is laid over.
void cScrollText::Show(HDC dc) {
    if (destroying_ || !dc) return;
    Lock lock(&lock_);
    if (boxWidth_ <= 0 || boxHeight_ <= 0) return;
    if (!background_.bitmap && !background_.Set(CreateCompatibleBitmap(dc, boxWidth_, boxHeight_))) return;
    RECT r = GetRect();
    BitBlt(background_.dc, 0, 0, boxWidth_, boxHeight_, dc, r.left, r.top, SRCCOPY);
    if (!output_.bitmap && !output_.Set(CreateCompatibleBitmap(dc, boxWidth_, boxHeight_))) return;
    Compose();
}

// ---------------------------------------------------------------- window thread

int cScrollText::Measure(HDC dc, const char* text, HFONT font) {
    if (!text[0]) return 0;
    HGDIOBJ before = font ? SelectObject(dc, font) : nullptr;
    RECT r = {0, 0, 0, 0};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | kDrawFlags);
    if (before) SelectObject(dc, before);
    return r.right - r.left;
}

void cScrollText::Layout() {
    if (!mask_.dc || !coloured_.dc) return;
    const char* mark = strchr(current_, kSecondMark);
    if (mark) {
        bk::TextCopyN(mainPart_, sizeof(mainPart_), current_, static_cast<size_t>(mark - current_));
        bk::TextFormat(secondPart_, sizeof(secondPart_), " - %s", mark + 1);
    } else {
        bk::TextCopy(mainPart_, current_);
        secondPart_[0] = 0;
    }
    HFONT mainFont = res_ ? res_->GetFont(mainFont_) : nullptr;
    HFONT secondFont = res_ ? res_->GetFont(secondFont_) : nullptr;
    int mainWidth = Measure(mask_.dc, mainPart_, mainFont);
    int width = mainWidth + Measure(mask_.dc, secondPart_, secondFont);
    if (width > boxWidth_) {
        // Too wide: it will scroll, and the spacer separates the end of the
        // text from its start coming round again.
        if (secondPart_[0])
            bk::TextAppend(secondPart_, sizeof(secondPart_), kSpacer);
        else
            bk::TextAppend(mainPart_, sizeof(mainPart_), kSpacer);
        mainWidth = Measure(mask_.dc, mainPart_, mainFont);
        width = mainWidth + Measure(mask_.dc, secondPart_, secondFont);
    }
    mainWidth_ = mainWidth;
    int bmpWidth = width > 0 ? width : 1;
    int bmpHeight = boxHeight_ > 0 ? boxHeight_ : 1;
    BITMAP bm = {};
    bool fits = mask_.bitmap && GetObjectA(mask_.bitmap, sizeof(bm), &bm) && bm.bmWidth == bmpWidth &&
                bm.bmHeight == bmpHeight && coloured_.bitmap;
    if (!fits) {
        mask_.Set(CreateBitmap(bmpWidth, bmpHeight, 1, 1, nullptr));
        HDC like = ::GetDC(child_);
        coloured_.Set(CreateCompatibleBitmap(like, bmpWidth, bmpHeight));
        ::ReleaseDC(child_, like);
    }
    textWidth_ = width;
    if (!mask_.bitmap || !coloured_.bitmap) return;
    PatBlt(mask_.dc, 0, 0, bmpWidth, bmpHeight, WHITENESS);
    PatBlt(coloured_.dc, 0, 0, bmpWidth, bmpHeight, BLACKNESS);
    for (HDC dc : {mask_.dc, coloured_.dc}) {
        RECT r = {0, 0, mainWidth, bmpHeight};
        HGDIOBJ before = mainFont ? SelectObject(dc, mainFont) : nullptr;
        DrawTextA(dc, mainPart_, -1, &r, kDrawFlags);
        if (secondPart_[0]) {
            if (secondFont) SelectObject(dc, secondFont);
            RECT s = {mainWidth, 0, bmpWidth, bmpHeight};
            DrawTextA(dc, secondPart_, -1, &s, kDrawFlags);
        }
        if (before) SelectObject(dc, before);
    }
}

void cScrollText::TakeText() {
    {
        Lock lock(&lock_);
        if (destroying_ || strcmp(handOver_, current_) == 0) return;
        KillTimer(child_, SCROLL_TIMER);
        offset_ = 0;
        bk::TextCopy(current_, handOver_);
        Layout();
    }
    SetTimer(child_, SCROLL_TIMER, SCROLL_MS, nullptr);
}

void cScrollText::ApplyRect() {
    RECT r;
    {
        Lock lock(&lock_);
        if (destroying_ || !rectPending_) return;
        rectPending_ = false;
        r = pendingRect_;
        RECT now = GetRect();
        if (EqualRect(&r, &now)) return;
        composed_ = false;
        cActiveElement::SetRect(r, 1);
        int width = r.right - r.left, height = r.bottom - r.top;
        bool resized = width != boxWidth_ || height != boxHeight_;
        boxWidth_ = width;
        boxHeight_ = height;
        // Made again at the new size by the parent's next painting.
        output_.Drop();
        background_.Drop();
        if (resized) {
            // Whether the text fits, and the height it is drawn at, follow the box.
            offset_ = 0;
            Layout();
        }
    }
    SetTimer(child_, SCROLL_TIMER, SCROLL_MS, nullptr);
    SetWindowPos(child_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(child_, SW_SHOW);
}

void cScrollText::ScrollStep() {
    Lock lock(&lock_);
    if (destroying_) return;
    if (textWidth_ <= boxWidth_) {
        KillTimer(child_, SCROLL_TIMER);
    } else if (++offset_ > textWidth_) {
        offset_ = 0;
    }
    Compose();
}

// The visible stretch of the text from the offset on, at the indent, and
// when the text is wider than the box its start again right behind its end.
void cScrollText::Compose() {
    if (!output_.bitmap || !background_.bitmap) return;
    int W = boxWidth_, H = boxHeight_, T = textWidth_, o = offset_;
    int i = indent_ < W ? indent_ : W;
    BitBlt(output_.dc, 0, 0, W, H, background_.dc, 0, 0, SRCCOPY);
    if (T > 0 && mask_.bitmap && coloured_.bitmap) {
        int shown = T - o < W ? T - o : W;
        int length = shown - i;
        if (shown > 0) {
            BitBlt(output_.dc, i, 0, shown, H, mask_.dc, o, 0, SRCAND);
            BitBlt(output_.dc, i, 0, shown, H, coloured_.dc, o, 0, SRCPAINT);
        }
        if (T > W && length + i < W) {
            int x = length + 2 * i, n = W - length - i;
            BitBlt(output_.dc, x, 0, n, H, mask_.dc, 0, 0, SRCAND);
            BitBlt(output_.dc, x, 0, n, H, coloured_.dc, 0, 0, SRCPAINT);
        }
    }
    composed_ = true;
    if (child_) InvalidateRect(child_, nullptr, FALSE);
}

LRESULT CALLBACK cScrollText::TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cScrollText* self = reinterpret_cast<cScrollText*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return 0;
    return self->Handle(hwnd, msg, wParam, lParam);
}

LRESULT cScrollText::Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SKIN_SHOW_ELEMENT:
        SetVisible(static_cast<int>(wParam));
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc && !destroying_) {
            Lock lock(&lock_);
            if (composed_ && output_.bitmap) {
                const RECT& u = ps.rcPaint;
                BitBlt(dc, u.left, u.top, u.right - u.left, u.bottom - u.top, output_.dc, u.left, u.top, SRCCOPY);
            }
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wParam == SCROLL_TIMER) ScrollStep();
        return 0;
    case WM_SCROLLTEXT_TEXT:
        TakeText();
        return 1;
    case WM_SCROLLTEXT_RECT:
        ApplyRect();
        return 1;
    default:
        return CallWindowProcA(prevProc_, hwnd, msg, wParam, lParam);
    }
}
