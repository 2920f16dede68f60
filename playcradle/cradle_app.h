// The playback host: one process per stream played (or per probe). All of
// its work runs in CradleApp::InitInstance on the main thread; commands
// arrive as thread messages from the main program's playback client.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app_frame.h"

class cSendRunTimeInfo;
class CMediabridge;
class CMediaWnd;
struct IAudioEndpointVolume;

// Thread messages of the playback client, and the answer message.
enum CradleMessage : UINT {
    UWM_SET_BUFF_SIZE = 1149,
    UWM_CMD_PAUSE = 1150,
    UWM_CMD_STOP = 1151,
    UWM_CMD_TRACKPOS = 1152,
    UWM_CMD_PLAYTRACK = 1153,
    UWM_CMD_PLAY = 1154,
    UWM_PLAYER_REPLY = 1155,
    UWM_GETVERSION = 1156,
    UWM_SET_VOLUME = 1200,
};

enum EngineKind : int32_t { kEngineNone = 0, kEngineReal = 1, kEngineMp64 = 2, kEngineMp9 = 3 };

// The switch behind the program name, matched as a whole; kEngineNone and
// *checkConnection false for anything else.
EngineKind ParseCradleCommandLine(const char* commandLine, int32_t* probe, bool* checkConnection);

// The major version from the start of a version text ("6.0.12" -> 6):
// at most 9 characters, cut at the first "." and then the first ",".
int32_t MajorVersion(const char* versionText);

class CradleApp : public appframe::Application {
public:
    // Does the whole program's work and returns FALSE: the host has no
    // message loop of the framework's.
    BOOL InitInstance() override;

private:
    void DoMessageLoop(cSendRunTimeInfo* reporter);
    int ProcessMessage(const MSG& msg, cSendRunTimeInfo* reporter);
    int ProcessMessageRP(const MSG& msg, cSendRunTimeInfo* reporter);
    int ProcessMessageMP(const MSG& msg, cSendRunTimeInfo* reporter);
    int ProcessMessageMP9(const MSG& msg, cSendRunTimeInfo* reporter);
    void AnswerVersion(cSendRunTimeInfo* reporter);
    void AnswerMediaPlayerLevel(cSendRunTimeInfo* reporter);
    void EndBridge();
    void SetUpAudioSession();
    void SetVolume(WPARAM volume);
    bool ReadPlayUrl(char* buffer);

    char playUrl_[1024] = {};
    char user_[1024] = {};
    char password_[1024] = {};
    char proxyHost_[1024] = {};
    char proxyPort_[1024] = {};
    unsigned long proxyUse_ = 0;
    unsigned long httpOnly_ = 0;
    CMediaWnd* mediaWnd_ = nullptr;
    CMediabridge* bridge_ = nullptr;
    IAudioEndpointVolume* endpointVolume_ = nullptr;
};
