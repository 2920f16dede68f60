// The Media Player 7+ bridge as the playback host uses it: one exported
// class that creates the hidden host window in the calling thread and
// forwards each command to it. All members run on the thread that called
// Init.
#pragma once

#include <windows.h>

#ifdef MEDIABRIDGE_BUILD
#define MEDIABRIDGE_API __declspec(dllexport)
#else
#define MEDIABRIDGE_API __declspec(dllimport)
#endif

class cSendRunTimeInfo;
class CWMPHost;

class MEDIABRIDGE_API CMediabridge {
public:
    CMediabridge(cSendRunTimeInfo* reporter, char* user, char* password);
    CMediabridge& operator=(const CMediabridge& other);

    void Log(char* text, int level);
    void Init(HINSTANCE instance);
    // 2 when the host window exists with a working control, else 0.
    int IsPlayerOK();
    // 1 when the control accepted the address, else 0.
    int Play(char* address);
    void Continue();
    void Pause();
    void SetHTTPOnly(int httpOnly);
    void SetProxie(char* host, long port);
    void SetBufferSize(long milliseconds);
    void SetCurrentPosition(unsigned long seconds);
    // Counted from 1.
    void SetCurrentEntry(unsigned long entry);
    // Into the caller's 1024-character buffer *out.
    void GetCurrentSrcURL(char** out);
    void Term();

    // For the tests: the host window object (null before Init).
    CWMPHost* Host() const { return host_; }

private:
    HINSTANCE instance_;
    cSendRunTimeInfo* reporter_;
    CWMPHost* host_;
    char user_[512];
    char password_[512];
};
