#include "player.h"

#include <cstdlib>
#include <string>

#include "app_start.h"
#include "bounded_text.h"
#include "catalogue.h"
#include "debug_log.h"
#include "debugtext.h"
#include "player_globals.h"
#include "profiles.h"
#include "registry.h"

namespace {

constexpr unsigned kMessageSkinUnreadable = 15;

}  // namespace

cRadioPlayer::cRadioPlayer(int errorFlag) : errorFlag_(errorFlag) {
    DebugLog("Creating instanze", 7);
    settings_.Load();
    state_ = 1;
    extraValue_ = 1;
    DebugLog("Creating instanze..ok", 7);
}

cRadioPlayer::~cRadioPlayer() {
    state_ = 2;
    // Threads of the player end when they see state 2; give them a bounded time.
    for (int pass = 0; pass < kEndPasses && jobFlags_ != 0; ++pass) {
        PumpMessages();
        state_ = 2;
    }
    skin_.Free();
}

void cRadioPlayer::DebugLog(const char* text, int level) {
    if (!text || !*text) return;
    char line[1024];
    bk::TextFormat(line, sizeof line, "CRADIOPLAYER %s", text);
    SendDebugText(line, level);
    WriteDebugLog(text, level);
}

void cRadioPlayer::ExtLog(char* text, int level) { DebugLog(text, level); }

void cRadioPlayer::PumpMessages() {
    Sleep(kPumpStepMs);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool cRadioPlayer::TrySetJob(long bit) {
    return (InterlockedOr(&jobFlags_, bit) & bit) == 0;
}

void cRadioPlayer::ClearJob(long bit) { InterlockedAnd(&jobFlags_, ~bit); }

void cRadioPlayer::WaitForJobs(long bits, DWORD maxMs) {
    DWORD start = GetTickCount();
    while ((jobFlags_ & bits) != 0 && GetTickCount() - start < maxMs) Sleep(50);
}

// ---------------------------------------------------------------- status relay

int cRadioPlayer::SendStatus(char* text, int code) {
    if (!skin_.Ready() || !uiUp_ || !skin_.Has(td::kReceiveStatus)) return 0;
    bk::ScopedLock lock(skinCallLock_);
    // The library may have been released while this thread waited.
    if (!skin_.Ready() || !uiUp_) return 0;
    return skin_.Get<td::PfnReceiveStatus>(td::kReceiveStatus)(text, code);
}

void cRadioPlayer::SetMyStreamInfo(unsigned long track, unsigned long maxTrack, unsigned long maxPlaytime,
                                   char* title, char* author) {
    if (!skin_.Ready() || !skin_.Has(td::kSetStreamInfo)) return;
    char attemptText[256];
    if (maxTrack == 0 && attempt_ > 1 && title) {
        char format[200];
        GetResourceString(GetBasekitModule(), 16, settings_.GetLanguage(), format, sizeof format);
        bk::TextFormat(attemptText, sizeof attemptText, format, attempt_);
        title = attemptText;
    }
    skin_.Get<td::PfnSetStreamInfo>(td::kSetStreamInfo)(track, maxTrack, maxPlaytime, title, author);
}

void cRadioPlayer::SetMyStreamRunInfo(unsigned long a, unsigned long b, unsigned long c, unsigned long d) {
    if (skin_.Ready() && skin_.Has(td::kSetStreamRunInfo))
        skin_.Get<td::PfnSetStreamRunInfo>(td::kSetStreamRunInfo)(a, b, c, d);
}

void cRadioPlayer::Stop(int byUser) {
    if (state_ != 2) state_ = 1;
    stoppedByUser_ = byUser == 1 ? 1 : 0;
}

void cRadioPlayer::OnFinishedPlaying(int) {}

int cRadioPlayer::GetStationAirInfo(char* buffer100) {
    if (buffer100) bk::TextCopy(buffer100, 100, "0");
    int retries = settings_.GetRetryCount();
    return (retries != 0 && attempt_ >= retries) ? 0 : 1;
}

// ---------------------------------------------------------------- start

bool cRadioPlayer::InitSkin() { return skin_.Init(td::ProgramFolder()); }

void cRadioPlayer::ReadSkinId() {
    DebugLog("Call GetPlayerSkinVersion...", 7);
    MyFileInfo program = {}, skin = {};
    char skinFolder[MAX_PATH + 16];
    bk::TextFormat(skinFolder, sizeof skinFolder, "%s\\skins\\", td::ProgramFolder());
    GetPlayerSkinVersion(&program, &skin, td::ProgramFolder(), skinFolder);
    skinId_ = static_cast<int>(skin.Module);
    DebugLog("Call GetPlayerSkinVersion...ok", 7);
}

int cRadioPlayer::Start(int startArg) {
    DebugLog("Entering Start...", 7);
    restart_ = 0;

    {
        int type = 0, value = 0, folder = 0;
        int language = 0;
        GetAutoCutSettings(settings_.GetAutoCutMuster(), &type, &value, &folder, &language);
        settings_.SetAutoCutType(type);
        settings_.SetAutoCutValue(value);
    }

    DebugLog("Call InitSkin...", 7);
    bool ready = InitSkin();
    DebugLog("Call InitSkin...ok", 7);
    if (!ready) return 1;

    DebugLog("Send settings to Skin...", 7);
    skin_.Get<td::PfnGetSettings>(td::kGetSettings)(&settings_);
    DebugLog("Send settings to Skin...ok", 7);

    bk::TextFormat(skinFolder_, sizeof skinFolder_, "%s\\skins\\", td::ProgramFolder());
    ReadSkinId();
    if (IsOffline()) {
        char offline[512] = {};
        getOfflineSkinDir(offline);
        size_t n = strlen(offline);
        if (n > 0) offline[n - 1] = 0;
        bk::TextCopy(skinFolder_, sizeof skinFolder_, offline);
    }

    DebugLog("Call pfnPrepare...", 7);
    int result = skin_.Get<td::PfnPrepare>(td::kPrepare)(callback_, downloads_, skinFolder_, startArg, 1);
    DebugLog("Call pfnPrepare...ok", 7);

    bool endNow = false;
    do {
        if (!skin_.Ready()) skin_.Free();
        while (td::UpdateFlag() == 2 && state_ != 2) {
            PumpMessages();
            restart_ = 1;
        }
        if (!skin_.Ready() && !InitSkin()) {
            // A library that cannot be bound again leaves nothing to call.
            char text[512];
            bk::TextFormat(text, sizeof text, "Initialisierung der Oberfl\xE4" "che fehlgeschlagen (%s)",
                       skin_.MissingEntry() ? skin_.MissingEntry() : skin_.Path());
            td::ShowPlayerMessage(text);
            break;
        }
        if (restart_) {
            ReadSkinId();
            settings_.SetNavWinCX(0);
            settings_.SetNavWinCY(0);
            settings_.SetAdBannerCX(0);
            settings_.SetAdBannerCY(0);
            settings_.SetAdBannerCX_ENG(0);
            settings_.SetAdBannerCY_ENG(0);
            skin_.Get<td::PfnGetSettings>(td::kGetSettings)(&settings_);
            result = skin_.Get<td::PfnPrepare>(td::kPrepare)(callback_, downloads_, skinFolder_, startArg, 0);
            restart_ = 0;
        }
        DebugLog("start skin...", 7);
        uiUp_ = 1;
        if (result == 0) result = skin_.Get<td::PfnBuildUp>(td::kBuildUp)(callback_, skinFolder_, startArg);
        {
            bk::ScopedLock lock(skinCallLock_);
            uiUp_ = 0;
        }
        // Any answer but 0 means the skin could not be built.
        if (result != 0) {
            char last[1024] = {};
            GetValue("LAST_SKIN", last, sizeof last);
            if (!last[0]) {
                char skin[1024] = {}, format[256] = {}, text[1400];
                GetValue("SKIN", skin, sizeof skin);
                GetResourceString(GetBasekitModule(), kMessageSkinUnreadable, settings_.GetLanguage(), format,
                                  sizeof format);
                if (!format[0]) bk::TextCopy(format, "Skin-Datei %s kann nicht gelesen werden");
                bk::TextFormat(text, sizeof text, format, skin);
                td::ShowPlayerMessage(text);
                if (!restart_) endNow = true;
            } else {
                SetValue("SKIN", last);
                SetValue("LAST_SKIN", "");
                restart_ = 1;
            }
        }
        skin_.SetReady(false);
        result = 0;
    } while (!endNow && (restart_ == 1 || td::UpdateFlag() == 2) && state_ != 2);

    Stop(1);
    state_ = 2;
    {
        bk::ScopedLock lock(skinCallLock_);
        skin_.Free();
    }
    WaitForJobs(0x40);
    DebugLog("Leave Start", 7);
    return 0;
}
