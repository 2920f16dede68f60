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

cMessagePopupBase* MakeBox(const NoticeSpec& spec) {
    cSkinWnd* main = MainWindowObject();
    cResourceManager* res = main ? main->GetResourceManager() : nullptr;
    if (!res) return nullptr;
    HWND owner = spec.owner ? spec.owner : main->GetWindow();
    cMessagePopupBase* box;
    if (spec.markup) {
        auto* m = new cMarkupMessageWnd(main, owner, res);
        m->SetText(spec.text ? spec.text : "");
        if (spec.buttons == NB_YES_NO) {
            m->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
            m->AddButton(ELEMENT_CANCEL, ELEMENT_CANCEL);
        } else {
            m->AddButton(spec.buttons == NB_CONFIRM_355 ? 355 : ELEMENT_CONFIRM, ELEMENT_CONFIRM);
        }
        box = m;
    } else {
        auto* m = new cMessageWnd(main, owner, res);
        m->SetText(spec.text ? spec.text : "");
        if (spec.subText) m->SetSubText(spec.subText);
        if (spec.buttons == NB_YES_NO) {
            m->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
            m->AddButton(ELEMENT_CANCEL, ELEMENT_CANCEL);
        } else {
            m->AddButton(spec.buttons == NB_CONFIRM_355 ? 355 : 187, ELEMENT_CONFIRM);
        }
        box = m;
    }
    box->SetTitleDC(spec.titleSprite);
    if (spec.width > 0 && spec.height > 0) box->SetSize(spec.width, spec.height);
    box->SetCountdown(spec.countdown);
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

int ShowNoticeModal(const NoticeSpec& spec) {
    if (g_hook) return g_hook(spec, true);
    cMessagePopupBase* box = MakeBox(spec);
    if (!box) return 0;
    box->MessageLoop();
    const int result = box->GetResult() ? 1 : 0;
    delete static_cast<cPopUpWnd*>(box);
    return result;
}

int AskCatalogueQuestion(unsigned textId, bool markup, unsigned titleSprite, HWND owner) {
    char text[1024];
    UiText(textId, text, sizeof text);
    NoticeSpec spec;
    spec.text = text;
    spec.markup = markup;
    spec.buttons = NB_YES_NO;
    spec.titleSprite = titleSprite;
    spec.owner = owner;
    return ShowNoticeModal(spec);
}

void ShowNoticeDetached(const NoticeSpec& spec) {
    if (g_hook) {
        g_hook(spec, false);
        return;
    }
    cMessagePopupBase* box = MakeBox(spec);
    if (!box) return;
    box->SetDeleteOnClose();
    box->RunMessageLoop();
}
