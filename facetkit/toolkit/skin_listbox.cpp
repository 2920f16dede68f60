#include "skin_listbox.h"

#include "debugtext.h"
#include "element_host.h"
#include "resource_manager.h"
#include "window_binding.h"

namespace {

const DWORD kListStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | LBS_EXTENDEDSEL;
static_assert(kListStyle == 0x46010800, "list box style");

// Messages after which the user may have changed the selection.
bool IsSelectingInput(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_KEYDOWN:
    case WM_CHAR:
        return true;
    default:
        return false;
    }
}

}  // namespace

cSkinListBox::cSkinListBox(HWND parent, cResourceManager* res, int x, int y, int cx, int cy)
    : res_(res), parent_(parent), list_(nullptr), x_(x), y_(y), cx_(cx), cy_(cy), prevProc_(nullptr) {
    list_ = CreateWindowExA(0, "ListBox", "", kListStyle, x + 2, y + 3, cx - 4, cy, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(LIST_ID)), ParentInstance(parent), nullptr);
    if (!list_) {
        DebugLog(DL_ERR, "cSkinListBox: no list window");
        return;
    }
    prevProc_ = SubclassControl(list_, this, &cSkinListBox::ListProc);
    if (res_) SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(res_->GetFont(2)), TRUE);
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    SetCurSel(0);
    frame_.LoadLook(res_, 0);
    ShowWindow(list_, SW_SHOW);
}

cSkinListBox::~cSkinListBox() {
    if (!list_) return;
    UnsubclassControl(list_, this, prevProc_);
    DestroyWindow(list_);
    list_ = nullptr;
}

int cSkinListBox::AddString(const char* text) {
    if (!list_ || !text) return LB_ERR;
    return static_cast<int>(SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
}

int cSkinListBox::GetCurSel() {
    if (!list_ || SendMessageA(list_, LB_GETCOUNT, 0, 0) <= 0) return -1;
    // A list that allows several selected entries answers LB_GETCURSEL with
    // no useful index: the entry with the caret counts when it is selected,
    // else the first selected one.
    int caret = static_cast<int>(SendMessageA(list_, LB_GETCARETINDEX, 0, 0));
    if (caret >= 0 && SendMessageA(list_, LB_GETSEL, static_cast<WPARAM>(caret), 0) > 0) return caret;
    std::vector<int> selected = Selection();
    return selected.empty() ? -1 : selected.front();
}

void cSkinListBox::SetCurSel(int index) {
    if (!list_) return;
    // LB_SETCURSEL is refused by lists that allow several selected entries.
    SendMessageA(list_, LB_SETSEL, FALSE, -1);
    if (index < 0 || index >= SendMessageA(list_, LB_GETCOUNT, 0, 0)) return;
    SendMessageA(list_, LB_SETSEL, TRUE, index);
    SendMessageA(list_, LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
}

void cSkinListBox::SetVisible(int visible) {
    if (list_) ShowWindow(list_, visible ? SW_SHOW : SW_HIDE);
}

void cSkinListBox::DrawFrame(HDC dc) {
    if (!dc) return;
    const cSkinFrame& f = frame_;
    f.DrawCorners(dc, x_, y_, cx_, cy_, ControlRasterOp());
    f.DrawTopBottom(dc, x_, y_, cx_, cy_);
    f.DrawSides(dc, x_, y_, cx_, cy_);
    FrameLineV(dc, x_ + 1, y_ + f.height[FRAME_TOP_LEFT], y_ + cy_ - f.height[FRAME_BOTTOM_LEFT],
               RGB(255, 255, 255));
}

std::vector<int> cSkinListBox::Selection() {
    std::vector<int> items;
    int count = list_ ? static_cast<int>(SendMessageA(list_, LB_GETSELCOUNT, 0, 0)) : 0;
    if (count <= 0) return items;
    items.resize(static_cast<size_t>(count));
    int got = static_cast<int>(SendMessageA(list_, LB_GETSELITEMS, items.size(), reinterpret_cast<LPARAM>(items.data())));
    items.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return items;
}

LRESULT CALLBACK cSkinListBox::ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    cSkinListBox* self = fkwin::Bound<cSkinListBox>(hwnd);
    if (!self || self->list_ != hwnd || !self->prevProc_) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->Handle(hwnd, msg, wParam, lParam);
}

LRESULT cSkinListBox::Handle(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC prev = prevProc_;
    if (msg == WM_SKIN_BUTTON_PRESSED) return 0;
    if (msg == WM_COMMAND && LOWORD(wParam) == LIST_ID && HIWORD(wParam) == LBN_SELCHANGE) {
        if (parent_) PostMessageA(parent_, WM_SKIN_LIST_SELCHANGE, 0, 0);
        return CallWindowProcA(prev, hwnd, msg, wParam, lParam);
    }
    if (!IsSelectingInput(msg)) return CallWindowProcA(prev, hwnd, msg, wParam, lParam);
    // The list tells only its parent about a changed selection (and this
    // one not even that: it has no notify style), so the change is seen
    // here, around the user's input.
    std::vector<int> before = Selection();
    LRESULT r = CallWindowProcA(prev, hwnd, msg, wParam, lParam);
    if (IsWindow(hwnd) && fkwin::IsBoundTo(hwnd, this) && Selection() != before && parent_)
        PostMessageA(parent_, WM_SKIN_LIST_SELCHANGE, 0, 0);
    return r;
}
