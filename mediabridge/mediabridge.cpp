#include "mediabridge.h"

#include <commctrl.h>
#include <cstdarg>
#include <objbase.h>

#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "wmp_host.h"

namespace {

void BridgeLog(int level, const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

void BridgeLog(int level, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    PrefixedLogV("CMediabridge", level, fmt, args);
    va_end(args);
}

}  // namespace

CMediabridge::CMediabridge(cSendRunTimeInfo* reporter, char* user, char* password)
    : instance_(nullptr), reporter_(reporter), host_(nullptr) {
    BridgeLog(7, "Constructor - Eingang, Params: *sendinfo=%d", reporter ? 1 : 0);
    memset(user_, 0, sizeof user_);
    memset(password_, 0, sizeof password_);
    // The callers' buffers hold up to 1023 characters: the copies are cut.
    bk::TextCopy(user_, user);
    bk::TextCopy(password_, password);
    BridgeLog(15, "Constructor  - Ausgang");
}

CMediabridge& CMediabridge::operator=(const CMediabridge& other) {
    if (this != &other) {
        instance_ = other.instance_;
        reporter_ = other.reporter_;
        host_ = other.host_;
        memcpy(user_, other.user_, sizeof user_);
        memcpy(password_, other.password_, sizeof password_);
    }
    return *this;
}

void CMediabridge::Log(char* text, int level) { BridgeLog(level, "%s", text ? text : ""); }

void CMediabridge::Init(HINSTANCE instance) {
    BridgeLog(7, "Init - Eingang, Params: hInstance=%d", static_cast<int>(reinterpret_cast<INT_PTR>(instance)));
    CoInitialize(nullptr);
    instance_ = instance;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    if (!host_) host_ = new CWMPHost();
    host_->SetReporter(reporter_);
    host_->SetCredentials(user_, password_);
    if (!host_->Window()) host_->Create(nullptr, "WMP Host Container", 0);
    if (host_->Window()) {
        host_->SetReporter(reporter_);
        ShowWindow(host_->Window(), SW_HIDE);
    }
    BridgeLog(7, "Init - Ausgang");
}

int CMediabridge::IsPlayerOK() {
    // A window without a control would send every stream to a dead engine.
    return host_ && host_->Window() && host_->Player() ? 2 : 0;
}

int CMediabridge::Play(char* address) { return host_ ? host_->Play(address) : 0; }

void CMediabridge::Continue() {
    if (host_) host_->Continue();
}

void CMediabridge::Pause() {
    if (host_) host_->Pause();
}

void CMediabridge::SetHTTPOnly(int) {}

void CMediabridge::SetProxie(char* host, long port) {
    if (host_) host_->SetProxie(host, port);
}

void CMediabridge::SetBufferSize(long milliseconds) {
    if (host_) host_->SetBufferSize(milliseconds);
}

void CMediabridge::SetCurrentPosition(unsigned long seconds) {
    if (host_) host_->SetCurrentPosition(seconds);
}

void CMediabridge::SetCurrentEntry(unsigned long entry) {
    if (host_) host_->SetCurrentEntry(entry);
}

void CMediabridge::GetCurrentSrcURL(char** out) {
    if (host_ && out && *out) host_->GetCurrentSrcURL(*out, 1024);
}

void CMediabridge::Term() {
    // COM was set up by Init, which also made the host object.
    if (!host_) return;
    host_->Term();
    CoUninitialize();
}

#ifndef MEDIABRIDGE_NO_DLLMAIN
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    DebugLog(7, "mediabridge DllMain - Eingang, Params: hModule=%d, ul_reason_for_call=%d, lpReserved=%d",
             static_cast<int>(reinterpret_cast<INT_PTR>(module)), static_cast<int>(reason),
             static_cast<int>(reinterpret_cast<INT_PTR>(reserved)));
    return TRUE;
}
#endif
