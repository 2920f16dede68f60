#include "dialog_openers.h"

#include "about_wnd.h"
#include "main_window.h"
#include "own_station_wnd.h"
#include "podcast_url_wnd.h"
#include "record_saved_wnd.h"
#include "recording_display.h"
#include "settings_wnd.h"
#include "skin_wnd.h"
#include "timer_entries.h"
#include "timer_entry_wnd.h"
#include "wav_converter_wnd.h"
#include "wnd_list.h"

namespace {
// The window a pop-up opens over: the navigator, else the main window.
cSkinWnd* Host() {
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    return nav ? nav : GetWindowList().Find(WND_ID_MAIN);
}

template <class Popup, class... Args>
int RunModal(Args... args) {
    cSkinWnd* host = Host();
    if (!host) return 0;
    Popup* popup = new Popup(GetWindowList().Find(WND_ID_MAIN), host->GetWindow(), host->GetResourceManager(), args...);
    popup->MessageLoop();
    const int result = popup->GetResult();
    delete popup;
    return result;
}
}  // namespace

namespace dlgs {

int RunTimerEditor(cTimerEntry* entry) { return RunModal<cTimerEntryWnd>(entry); }

void RunWavConverter() { RunModal<cWavConverterWnd>(); }

void RunSettings() { RunModal<cSettingsWnd>(0); }

void RunPodcastAddress() {
    cSkinWnd* nav = GetWindowList().Find(WND_ID_NAVIGATOR);
    if (nav) OpenPodcastUrlWnd(nav, nav->GetWindow(), nav->GetResourceManager());
}

void InstallDialogOpeners() {
    SetTimerEditorHook(&RunTimerEditor);
    RecordingPopups popups = GetRecordingPopups();
    popups.wavConverter = &RunWavConverter;
    popups.recordSaved = &OpenRecordSaved;
    SetRecordingPopups(popups);
    MainWindowHooks& main = MainHooks();
    main.settings = &RunSettings;
    main.about = &OpenAboutWnd;
    main.subscribePodcast = &RunPodcastAddress;
    main.ownStation = &OpenOwnStationWnd;
}

}  // namespace dlgs
