#include "activeelement.h"

cActiveElement::cActiveElement()
    : typ_(ET_PASSIVE),
      rect_{0, 0, 0, 0},
      status_(0),
      enabled_(0),
      visible_(1),
      liste_(nullptr),
      transparent_(0),
      velmowin_(nullptr) {}

cActiveElement::cActiveElement(const cActiveElement& other) = default;
cActiveElement& cActiveElement::operator=(const cActiveElement& other) = default;
cActiveElement::~cActiveElement() = default;

void cActiveElement::SetTransparent(int flag, void* window) {
    transparent_ = flag;
    velmowin_ = window;
}

int cActiveElement::GetTransparent() const { return transparent_; }
void* cActiveElement::GetVelmowin() const { return velmowin_; }

void cActiveElement::SetEnable(int flag) {
    if (flag == enabled_) return;
    enabled_ = flag;
    Invalidate();
}

void cActiveElement::SetVisible(int flag) {
    if (flag != visible_) visible_ = flag;
}

void cActiveElement::SetRect(RECT rect, int) { rect_ = rect; }
void cActiveElement::SetStatus(int status) { status_ = status; }
int cActiveElement::GetGfxWidth() const { return rect_.right - rect_.left; }
int cActiveElement::GetGfxHeight() const { return rect_.bottom - rect_.top; }
HWND cActiveElement::GetWindow() const { return nullptr; }
int cActiveElement::GetGroup() const { return 0; }
