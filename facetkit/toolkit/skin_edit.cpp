#include "skin_edit.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "element_host.h"
#include "resource_manager.h"
#include "window_binding.h"

namespace {

const DWORD kOneLineStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_WANTRETURN | ES_NOHIDESEL | ES_AUTOHSCROLL;
const DWORD kEditStyle = kOneLineStyle | ES_MULTILINE;
const DWORD kPasswordStyle = kOneLineStyle | ES_PASSWORD;
const DWORD kMultiLineStyle =
    WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_WANTRETURN | ES_NOHIDESEL | ES_AUTOVSCROLL | ES_MULTILINE;
static_assert(kEditStyle == 0x44011184, "edit style");
static_assert(kPasswordStyle == 0x440111A0, "password style");
static_assert(kMultiLineStyle == 0x44011144, "multi-line style");

// Only the first edit box ever shown makes its child repaint once: the
// frame is drawn over the parent after the child painted the first time.
volatile LONG g_firstPaint = 1;

// Removes CR and LF in place; answers the new length.
int StripLineBreaks(char* text) {
    char* out = text;
    for (const char* in = text; *in; ++in)
        if (*in != '\r' && *in != '\n') *out++ = *in;
    *out = 0;
    return static_cast<int>(out - text);
}

}  // namespace

cVLEditBox::cVLEditBox(HWND parent, cResourceManager* res, POINT pos, SIZE size, int look, int password)
    : res_(res), parent_(parent), child_(nullptr), x_(pos.x), y_(pos.y), cx_(size.cx), cy_(size.cy),
      look_(look >= 0 && look <= 2 ? look : 0), min_(0), max_(65535), pad_(0), digits_(0), limitsSet_(0),
      multiLine_(0), prevProc_(nullptr) {
    child_ = CreateChild(password ? kPasswordStyle : kEditStyle);
    Subclass(child_);
    Init();
    if (child_) {
        ShowWindow(child_, SW_SHOW);
        SetWindowPos(child_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW);
    }
}

cVLEditBox::~cVLEditBox() {
    if (child_) {
        Unsubclass(child_);
        DestroyWindow(child_);
        child_ = nullptr;
    }
}

HWND cVLEditBox::CreateChild(DWORD style) {
    HWND child = CreateWindowExA(0, "EDIT", "", style, x_ + 2, y_ + 2, cx_ - 4, cy_ - 1, parent_, nullptr,
                                 ParentInstance(parent_), nullptr);
    if (!child) return nullptr;
    SetWindowRgn(child, CreateRectRgn(0, 0, cx_ - 4, cy_ - 3), TRUE);
    if (res_) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(res_->GetFont(2)), TRUE);
    return child;
}

void cVLEditBox::Subclass(HWND child) {
    if (child) prevProc_ = SubclassControl(child, this, &cVLEditBox::EditProc);
}

void cVLEditBox::Unsubclass(HWND child) { UnsubclassControl(child, this, prevProc_); }

void cVLEditBox::Init() {
    frame_.LoadLook(res_, look_);
}

void cVLEditBox::SetEnable(int enable) {
    if (child_) EnableWindow(child_, enable ? TRUE : FALSE);
    if (parent_) InvalidateRect(parent_, nullptr, TRUE);
}

void cVLEditBox::SetVisible(int visible) {
    if (child_) ShowWindow(child_, visible ? SW_SHOW : SW_HIDE);
    if (parent_) InvalidateRect(parent_, nullptr, TRUE);
}

int cVLEditBox::IsNumberMode() const {
    return child_ && (GetWindowLongPtrA(child_, GWL_STYLE) & ES_NUMBER) ? 1 : 0;
}

void cVLEditBox::SetNumberOnly() {
    if (!child_) return;
    SetWindowLongPtrA(child_, GWL_STYLE, GetWindowLongPtrA(child_, GWL_STYLE) | ES_NUMBER);
}

void cVLEditBox::SetNumberDetails(int max, int min, int pad, int digits) {
    SetNumberOnly();
    max_ = max;
    min_ = min;
    pad_ = pad;
    // More digits than an int has would only overflow the text buffers.
    digits_ = digits < 1 ? 1 : (digits > MAX_DIGITS ? MAX_DIGITS : digits);
    limitsSet_ = 1;
}

int cVLEditBox::ParseNumber(const char* text) {
    if (!text) return 0;
    long long value = strtoll(text, nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

void cVLEditBox::Format(int value, char* out, int size) const {
    if (pad_)
        bk::TextFormat(out, size, "%0*d", digits_, value);
    else
        bk::TextFormat(out, size, "%d", value);
}

int cVLEditBox::ReadNumber() {
    char text[NUMBER_TEXT] = {};
    if (child_) GetWindowTextA(child_, text, sizeof text);
    return ParseNumber(text);
}

void cVLEditBox::WriteNumber(int value) {
    char text[NUMBER_TEXT + MAX_DIGITS] = {};
    Format(value, text, sizeof text);
    if (child_) SetWindowTextA(child_, text);
}

void cVLEditBox::SetText(int value) {
    char text[NUMBER_TEXT] = {};
    bk::TextFormat(text, sizeof text, "%d", value);
    SetText(text);
}

void cVLEditBox::SetText(const char* text) {
    if (!child_) return;
    if (IsNumberMode())
        WriteNumber(ParseNumber(text));
    else
        SetWindowTextA(child_, text ? text : "");
}

int cVLEditBox::GetText(char* buffer, int size) {
    int length = ControlText(child_, buffer, size);
    // Values of one-line boxes end up in line-based files and lists.
    return multiLine_ || length == 0 ? length : StripLineBreaks(buffer);
}

void cVLEditBox::ValidateCtrlContent() {
    if (!pad_ && !limitsSet_) return;
    char text[NUMBER_TEXT] = {};
    if (child_) GetWindowTextA(child_, text, sizeof text);
    if (!text[0]) return;
    int value = ParseNumber(text);
    int clamped = value < min_ ? min_ : (value > max_ ? max_ : value);
    if (clamped == value) return;
    bk::TextFormat(text, sizeof text, "%d", clamped);
    SetWindowTextA(child_, text);
}

void cVLEditBox::OnKeyUp() {
    if (!IsNumberMode()) return;
    int value = ReadNumber();
    if (value < max_) ++value;
    WriteNumber(value);
}

void cVLEditBox::OnKeyDown() {
    if (!IsNumberMode()) return;
    int value = ReadNumber();
    if (value > min_) --value;
    WriteNumber(value);
}

void cVLEditBox::OnGetFocus() {
    if (child_) SendMessageA(child_, EM_SETSEL, 0, -1);
}

void cVLEditBox::OnKillFocus() {
    if (!child_) return;
    SendMessageA(child_, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    if (!IsNumberMode() || GetWindowTextLengthA(child_) == 0) return;
    WriteNumber(ReadNumber());
}

void cVLEditBox::SetMultiLine() {
    HWND old = child_;
    Unsubclass(old);
    HWND fresh = CreateChild(kMultiLineStyle);
    if (!fresh) {
        Subclass(old);
        return;
    }
    child_ = fresh;
    multiLine_ = 1;
    Subclass(fresh);
    SendMessageA(fresh, EM_LIMITTEXT, MULTILINE_LIMIT, 0);
    if (old) DestroyWindow(old);
    ShowWindow(fresh, SW_SHOW);
}

void cVLEditBox::PasteOneLine() {
    if (!OpenClipboard(child_)) return;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (text) {
        size_t length = strnlen(text, GlobalSize(data));
        char* copy = static_cast<char*>(malloc(length + 1));
        if (copy) {
            memcpy(copy, text, length);
            copy[length] = 0;
            StripLineBreaks(copy);
            SendMessageA(child_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(copy));
            free(copy);
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
}

void cVLEditBox::Show(HDC dc) {
    if (!dc) return;
    if (InterlockedCompareExchange(&g_firstPaint, 0, 1) == 1 && child_) InvalidateRect(child_, nullptr, TRUE);
    const int x = x_, y = y_, cx = cx_, cy = cy_;
    const cSkinFrame& f = frame_;
    f.DrawCorners(dc, x, y, cx, cy, ControlRasterOp());
    f.DrawTopBottom(dc, x, y, cx, cy);
    f.DrawSides(dc, x, y, cx, cy);
    COLORREF inner = ChildBackground(child_);
    FrameLineV(dc, x + 1, y + f.height[FRAME_TOP_LEFT], y + cy - f.height[FRAME_BOTTOM_LEFT], inner);
    FrameLineV(dc, x + cx - 2, y + f.height[FRAME_TOP_LEFT], y + cy - f.height[FRAME_BOTTOM_LEFT] - 1, inner);
    FrameLineH(dc, y + 1, x + 2, x + cx - 2, inner);
}

LRESULT CALLBACK cVLEditBox::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cVLEditBox* self = fkwin::Bound<cVLEditBox>(hwnd);
    if (!self || self->child_ != hwnd || !self->prevProc_) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->Handle(hwnd, msg, wParam, lParam);
}

LRESULT cVLEditBox::Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC prev = prevProc_;
    switch (msg) {
    case WM_KEYDOWN:
        if (wParam == VK_UP) {
            OnKeyUp();
            return 0;
        }
        if (wParam == VK_DOWN) {
            OnKeyDown();
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == VK_TAB) {
            if (parent_) SendMessageA(parent_, WM_SKIN_NEXT_CONTROL, 0, 0);
            return 1;
        }
        if ((wParam == '\r' || wParam == '\n') && !multiLine_) return 0;
        break;
    case WM_PASTE:
        if (!multiLine_) {
            PasteOneLine();
            return 0;
        }
        break;
    case WM_SKIN_VALIDATE:
        ValidateCtrlContent();
        return 0;
    case WM_SETFOCUS: {
        LRESULT r = CallWindowProcA(prev, hwnd, msg, wParam, lParam);
        OnGetFocus();
        return r;
    }
    case WM_KILLFOCUS: {
        LRESULT r = CallWindowProcA(prev, hwnd, msg, wParam, lParam);
        OnKillFocus();
        return r;
    }
    default:
        break;
    }
    return CallWindowProcA(prev, hwnd, msg, wParam, lParam);
}
