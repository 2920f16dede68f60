#include "wmp_events.h"

#include <string>

#include "debugtext.h"
#include "ole_host.h"
#include "wmp_host.h"
#include "wmp_ids.h"

CWMPEventDispatch* CWMPEventDispatch::New() { return new CWMPEventDispatch(); }

STDMETHODIMP CWMPEventDispatch::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == kIidWmpEvents) *ppv = static_cast<IWMPEvents*>(this);
    else if (riid == IID_IDispatch || riid == kDiidWmpOcxEvents) *ppv = static_cast<IDispatch*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CWMPEventDispatch::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) CWMPEventDispatch::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP CWMPEventDispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CWMPEventDispatch::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                       UINT*) {
    if (!params) return E_POINTER;
    if (params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
    switch (id) {
    case kOpenStateChange: OpenStateChange(olehost::EventArgLong(params, 0)); break;
    case kPlayStateChange: PlayStateChange(olehost::EventArgLong(params, 0)); break;
    case kBuffering: Buffering(olehost::EventArgLong(params, 0) ? VARIANT_TRUE : VARIANT_FALSE); break;
    case kError: Error(); break;
    case kMediaError: MediaError(nullptr); break;
    case kEndOfStream: EndOfStream(olehost::EventArgLong(params, 0)); break;
    case kPositionChange:
        PositionChange(olehost::EventArgDouble(params, 0), olehost::EventArgDouble(params, 1));
        break;
    case kScriptCommand: {
        BSTR type = olehost::ToBstr(olehost::EventArgText(params, 0).c_str());
        BSTR param = olehost::ToBstr(olehost::EventArgText(params, 1).c_str());
        ScriptCommand(type, param);
        SysFreeString(type);
        SysFreeString(param);
        break;
    }
    default: break;
    }
    return DISP_E_MEMBERNOTFOUND;
}

void CWMPEventDispatch::OpenStateChange(LONG state) {
    if (host_) host_->OnOpenStateChange(state);
}

void CWMPEventDispatch::PlayStateChange(LONG state) {
    if (host_) host_->OnPlayStateChange(state);
}

void CWMPEventDispatch::Buffering(VARIANT_BOOL start) {
    if (host_) host_->OnBuffering(start != VARIANT_FALSE);
}

void CWMPEventDispatch::Error() {
    if (host_) host_->OnError();
}

void CWMPEventDispatch::MediaError(IDispatch*) {
    if (host_) host_->OnError();
}

void CWMPEventDispatch::ScriptCommand(BSTR type, BSTR param) {
    if (!host_) return;
    std::string t = olehost::FromBstr(type), p = olehost::FromBstr(param);
    host_->Log(15, "OnScriptCommand - Eingang, Params: scType=%.400s, Param=%.400s", t.c_str(), p.c_str());
}

void CWMPEventDispatch::EndOfStream(LONG) {
    DebugLog(1, "CWMPEventDispatch: CWMPEventDispatch::EndOfStream - Eingang");
}

void CWMPEventDispatch::PositionChange(double, double) {
    DebugLog(7, "CWMPEventDispatch: CWMPEventDispatch::PositionChange - Eingang");
}
