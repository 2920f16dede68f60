#include "view_notices.h"

#include "bounded_text.h"
#include "catalogue.h"
#include "library_state.h"
#include "message_popup.h"
#include "skin_wnd.h"
#include "wnd_list.h"

namespace {
volatile LONG g_suppress = 0;
volatile LONG g_recording = 0;
NoticeHook g_hook = nullptr;

HWND WindowOf(cSkinWnd* w) { return w ? w->GetWindow() : nullptr; }

cMessagePopupBase* MakeBox(const NoticeRequest& request) {
    cSkinWnd* main = MainWindowObject();
    cResourceManager* res = main ? main->GetResourceManager() : nullptr;
    if (!res) return nullptr;
    HWND owner = request.owner ? request.owner : main->GetWindow();
    cMessagePopupBase* box;
    if (request.markup) {
        auto* m = new cMarkupMessageWnd(main, owner, res);
        m->SetText(request.text ? request.text : "");
        if (request.buttons == NB_YES_NO) {
            m->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
            m->AddButton(ELEMENT_CANCEL, ELEMENT_CANCEL);
        } else {
            m->AddButton(request.buttons == NB_CONFIRM_355 ? 355 : ELEMENT_CONFIRM, ELEMENT_CONFIRM);
        }
        box = m;
    } else {
        auto* m = new cMessageWnd(main, owner, res);
        m->SetText(request.text ? request.text : "");
        if (request.subText) m->SetSubText(request.subText);
        if (request.buttons == NB_YES_NO) {
            m->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
            m->AddButton(ELEMENT_CANCEL, ELEMENT_CANCEL);
        } else {
            m->AddButton(request.buttons == NB_CONFIRM_355 ? 355 : 187, ELEMENT_CONFIRM);
        }
        box = m;
    }
    box->SetTitleDC(request.titleSprite);
    if (request.width > 0 && request.height > 0) box->SetSize(request.width, request.height);
    box->SetCountdown(request.countdown);
    return box;
}
}  // namespace

void SetSuppressNotice(int on) { InterlockedExchange(&g_suppress, on ? 1 : 0); }
int GetSuppressNotice() { return g_suppress != 0; }
void SetRecordingFlag(int on) { InterlockedExchange(&g_recording, on ? 1 : 0); }
int GetRecordingFlag() { return g_recording != 0; }

cSkinWnd* MainWindowObject() { return GetWindowList().Find(1); }
cSkinWnd* NavWindowObject() { return GetWindowList().Find(6); }
HWND MainWindowHandle() { return WindowOf(MainWindowObject()); }
HWND NavWindowHandle() { return WindowOf(NavWindowObject()); }

void UiText(unsigned id, char* buffer, int size) { GetResourceString(nullptr, id, UiLanguage(), buffer, size); }

void SetNoticeHook(NoticeHook hook) { g_hook = hook; }

int ShowNoticeModal(const NoticeRequest& request) {
    if (g_hook) return g_hook(request, true);
    cMessagePopupBase* box = MakeBox(request);
    if (!box) return 0;
    box->MessageLoop();
    const int result = box->GetResult() ? 1 : 0;
    delete static_cast<cPopUpWnd*>(box);
    return result;
}

int AskCatalogueQuestion(unsigned textId, bool markup, unsigned titleSprite, HWND owner) {
    char text[1024];
    UiText(textId, text, sizeof text);
    NoticeRequest request;
    request.text = text;
    request.markup = markup;
    request.buttons = NB_YES_NO;
    request.titleSprite = titleSprite;
    request.owner = owner;
    return ShowNoticeModal(request);
}

void ShowNoticeDetached(const NoticeRequest& request) {
    if (g_hook) {
        g_hook(request, false);
        return;
    }
    cMessagePopupBase* box = MakeBox(request);
    if (!box) return;
    box->SetDeleteOnClose();
    box->RunMessageLoop();
}

namespace {
void PumpFor(DWORD pause) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Sleep(pause);
}
}  // namespace

bool cWaitNotice::Open(unsigned titleSprite, const char* text) {
    if (g_hook) {
        NoticeRequest request;
        request.text = text ? text : "";
        request.titleSprite = titleSprite;
        g_hook(request, false);
        return false;
    }
    cSkinWnd* main = MainWindowObject();
    cResourceManager* res = main ? main->GetResourceManager() : nullptr;
    if (!res) return false;
    box_ = new cMessageWnd(main, NavWindowHandle(), res);
    box_->SetTitleDC(titleSprite);
    box_->SetCountdown(-1);
    box_->SetText(text ? text : "");
    box_->SetWaitAnimation(1);
    box_->SetDeleteOnClose();
    hwnd_ = box_->GetWindow();
    box_->RunMessageLoop();
    for (int i = 0; i < 300 && !Cancelled() && !IsWindowVisible(hwnd_); ++i) PumpFor(10);
    if (Cancelled()) return false;
    box_->SetMinHeight(box_->GetSize().cy);
    return true;
}

void cWaitNotice::SetText(const char* text) {
    if (Cancelled()) return;
    box_->SetText(text ? text : "");
    box_->InitWndSize();
    box_->Invalidate();
}

void cWaitNotice::Close() {
    if (!Cancelled()) box_->Close();
    hwnd_ = nullptr;
}

void cWaitNotice::Finish(const char* text) {
    if (Cancelled()) return;
    box_->SetWaitAnimation(0);
    box_->AddButton(187, 289);
    SetText(text);
    while (!Cancelled()) PumpFor(20);
    hwnd_ = nullptr;
}
