#include "seams.h"

#include "catalogue.h"
#include "dialog_openers.h"
#include "dialog_services.h"
#include "main_window.h"
#include "message_popup.h"
#include "mp3_quality_wnd.h"
#include "nav_view.h"
#include "nav_window.h"
#include "podcast_feed.h"
#include "profile_editors.h"
#include "protocol_commands.h"
#include "recording_display.h"
#include "timer_entries.h"
#include "wnd_list.h"
#include "library_state.h"

namespace {

// A mark-up question owned by the main window, run modally on the calling
// thread; without a window to own it the answer is yes.
int AskMainWindowQuestion(unsigned textId, unsigned titleSprite, int countdown) {
    cSkinWnd* main = GetWindowList().Find(WND_ID_MAIN);
    cResourceManager* res = main ? main->GetResourceManager() : nullptr;
    if (!res) return 1;
    char text[cMessagePopupBase::TEXT_SIZE];
    GetResourceString(nullptr, textId, UiLanguage(), text, sizeof text);
    auto* box = new cMarkupMessageWnd(main, main->GetWindow(), res);
    box->SetText(text);
    box->AddButton(ELEMENT_CONFIRM, ELEMENT_CONFIRM);
    box->AddButton(ELEMENT_CANCEL, ELEMENT_CANCEL);
    if (titleSprite) box->SetTitleDC(titleSprite);
    box->SetCountdown(countdown > 0 ? countdown : -1);
    box->MessageLoop();
    int yes = box->GetResult() ? 1 : 0;
    delete static_cast<cPopUpWnd*>(box);
    return yes;
}

// A recording started or ended: the navigator's content view shows it,
// with the format and quality the host reported. Runs on the windows' thread.
void ShowRecordingInNavigator(int on, const char* format, const char* quality, int rate, int bits, int channels) {
    auto* nav = dynamic_cast<cNavWindow*>(GetWindowList().Find(WND_ID_NAVIGATOR));
    cNavView* view = nav ? nav->GetNavView() : nullptr;
    if (!view) return;
    view->SetRecordingFlag(on);
    if (on) view->SetQualityInfo(format, quality, rate, bits, channels);
}

void Note(std::string* out, bool empty, const char* name) {
    if (empty) *out += std::string(name) + " ";
}

}  // namespace

void InstallSeams() {
    dlgs::InstallProfileEditorOpeners();
    dlgs::InstallMp3ChoiceOpener();
    dlgs::InstallDialogOpeners();
    InstallProtocolHooks();
    MainHooks().question = &AskMainWindowQuestion;
    RecordingPopups popups = GetRecordingPopups();
    popups.recordingView = &ShowRecordingInNavigator;
    SetRecordingPopups(popups);
}

std::string EmptySeams() {
    std::string out;
    const MainWindowHooks& m = MainHooks();
    Note(&out, !m.copyData, "main.copyData");
    Note(&out, !m.startParams, "main.startParams");
    Note(&out, !m.question, "main.question");
    Note(&out, !dlgs::Openers().askYesNo, "openers.askYesNo");
    Note(&out, !dlgs::ProfileHooks().confirm, "profiles.confirm");
    Note(&out, !GetRecordingPopups().recordingView, "recording.recordingView");
    // The pop-ups' own slots are listed by the dialogs, which know their
    // empty defaults.
    char dialogs[1024] = {};
    dlgs::EmptyDialogSeams(dialogs, sizeof dialogs);
    if (dialogs[0]) out += std::string(dialogs) + " ";
    return out;
}
