#include "skin_button.h"

#include <cstring>

#include "bounded_text.h"
#include "resource_manager.h"

int StateImageIndex(int status, int enabled) {
    if (!enabled) return 4;
    switch (status) {
    case ES_NORMAL: return 0;
    case ES_MOUSEOVER: return 1;
    case ES_SELECTED: return 2;
    case ES_PRESSED: return 3;
    default: return -1;
    }
}

cSkinButton::cSkinButton(HWND window, cElementHost* owner, cResourceManagerInterface* res, DWORD sprite, int x, int y,
                         DWORD id, const char* toolTip, int latching)
    : latching_(0), res_(res), sprite_(sprite), height_(-1), width_(-1), tool_{}, lastToolRect_{}, owner_(owner),
      window_(window ? window : (owner ? owner->GetWindow() : nullptr)), registered_(false), ownText_(false),
      text_{}, group_(0) {
    Init(id, toolTip, latching);
    SetPos(x, y, 1);
}

cSkinButton::cSkinButton(HWND window, cElementHost* owner, cResourceManagerInterface* res, DWORD sprite, RECT rect,
                         DWORD id, const char* toolTip, int latching)
    : latching_(0), res_(res), sprite_(sprite), height_(-1), width_(-1), tool_{}, lastToolRect_{}, owner_(owner),
      window_(window ? window : (owner ? owner->GetWindow() : nullptr)), registered_(false), ownText_(false),
      text_{}, group_(0) {
    Init(id, toolTip, latching);
    RECT r = {rect.left, rect.top, rect.left + GetGfxWidth(), rect.top + GetGfxHeight()};
    SetRect(r, 1);
}

void cSkinButton::Init(DWORD id, const char* toolTip, int latching) {
    // The caller's text may not outlive the button: keep a copy.
    if (toolTip) {
        bk::TextCopy(text_, toolTip);
        ownText_ = true;
    }
    SetId(id);
    cActiveElement::SetStatus(ES_NORMAL);
    SetEnable(1);
    latching_ = latching;
    SetTyp(ET_BUTTON);
}

cSkinButton::~cSkinButton() { RemoveToolTip(); }

void cSkinButton::SetRect(RECT rect, int withToolTip) {
    cActiveElement::SetRect(rect, withToolTip);
    if (withToolTip && (rect.left || rect.top)) SetToolTipRect(rect.left, rect.top, rect.right, rect.bottom);
}

void cSkinButton::SetPos(int x, int y, int leftAligned) {
    int w = GetGfxWidth();
    RECT r;
    r.left = leftAligned ? x : x - w;
    r.right = leftAligned ? x + w : x;
    r.top = y;
    r.bottom = y + GetGfxHeight();
    cActiveElement::SetRect(r, 0);
    if (x || y) SetToolTipRect(r.left, r.top, r.right, r.bottom);
}

void cSkinButton::SetStatus(int status) { cActiveElement::SetStatus(status); }

void cSkinButton::Show(HDC dc) {
    if (!res_ || !IsVisible()) return;
    int index = StateImageIndex(GetStatus(), IsEnabled());
    if (index < 0) return;
    RECT r = GetRect();
    int w = GetGfxWidth();
    SpriteBlt(res_, dc, r.left, r.top, w, GetGfxHeight(), sprite_, w * index, 0, SRCCOPY);
}

int cSkinButton::GetGfxWidth() const {
    if (width_ < 0) width_ = SpriteSize(res_, sprite_).cx / 5;
    return width_;
}

int cSkinButton::GetGfxHeight() const {
    if (height_ < 0) height_ = SpriteSize(res_, sprite_).cy;
    return height_;
}

void cSkinButton::SetSprite(DWORD sprite) {
    sprite_ = sprite;
    width_ = height_ = -1;
    ownText_ = false;
}

void cSkinButton::FillToolInfo(const RECT& rect) {
    memset(&tool_, 0, sizeof(tool_));
    tool_.cbSize = TTTOOLINFOA_V2_SIZE;
    tool_.uFlags = TTF_SUBCLASS;
    tool_.hwnd = window_;
    tool_.uId = reinterpret_cast<UINT_PTR>(this);
    tool_.rect = rect;
    tool_.lpszText = text_;
}

void cSkinButton::SetToolTipRect(int left, int top, int right, int bottom) {
    RECT r = {left, top, right, bottom};
    if (EqualRect(&r, &lastToolRect_)) return;
    if (!owner_) {
        lastToolRect_ = r;
        return;
    }
    HWND tips = owner_->GetToolTipWindow();
    if (registered_ && tips) {
        // A tool that moves stays registered (registering one anew costs the
        // tip control far more, and a table moves a page of them at once);
        // its text follows a changed sprite.
        if (!ownText_ && res_) {
            char text[TEXT_SIZE];
            res_->GetToolTipText(sprite_, text, TEXT_SIZE);
            if (strcmp(text, text_) != 0) {
                memcpy(text_, text, sizeof text_);
                SendMessageA(tips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool_));
            }
        }
        tool_.rect = r;
        SendMessageA(tips, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool_));
        lastToolRect_ = r;
        return;
    }
    RemoveToolTip();
    lastToolRect_ = r;
    if (!ownText_ && res_) res_->GetToolTipText(sprite_, text_, TEXT_SIZE);
    FillToolInfo(r);
    owner_->AddTool(&tool_);
    registered_ = true;
}

void cSkinButton::RemoveToolTip() {
    if (!registered_ || !owner_) return;
    TOOLINFOA probe = tool_;
    char scratch[TEXT_SIZE];
    probe.lpszText = scratch;
    if (owner_->GetToolInfo(&probe)) owner_->DelTool(&tool_);
    registered_ = false;
    // Placed at the same spot again, it must register again.
    lastToolRect_ = RECT{0, 0, 0, 0};
}
