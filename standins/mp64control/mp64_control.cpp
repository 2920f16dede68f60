#include "mp64_control.h"

#include <cmath>
#include <cstring>

#include "bounded_text.h"
#include "mp64_ids.h"
#include "ole_host.h"
#include "win_handles.h"

namespace mp64 {

LONG g_objects = 0;

namespace {

const UINT kEngineNews = WM_APP + 1;
const char kNotifyClass[] = "tunerdeck mp64 stand-in notify";
const DWORD kDefaultBufferMs = 3000;   // the control's own default when the player settings have none

std::string FromVariant(VARIANT* v) {
    VARIANT tmp;
    VariantInit(&tmp);
    if (!v || FAILED(VariantChangeType(&tmp, v, 0, VT_BSTR))) return std::string();
    std::string out = olehost::FromBstr(V_BSTR(&tmp));
    VariantClear(&tmp);
    return out;
}

bool ToLong(VARIANT* v, long* out) {
    VARIANT tmp;
    VariantInit(&tmp);
    if (!v || FAILED(VariantChangeType(&tmp, v, 0, VT_I4))) return false;
    *out = V_I4(&tmp);
    return true;
}

bool ToDouble(VARIANT* v, double* out) {
    VARIANT tmp;
    VariantInit(&tmp);
    if (!v || FAILED(VariantChangeType(&tmp, v, 0, VT_R8))) return false;
    *out = V_R8(&tmp);
    return true;
}

// The argument at a position counted from the first (rgvarg holds them last first).
VARIANT* Arg(DISPPARAMS* params, UINT index) {
    if (!params || index >= params->cArgs) return nullptr;
    return &params->rgvarg[params->cArgs - 1 - index];
}

void SetLong(VARIANT* v, long value) {
    V_VT(v) = VT_I4;
    V_I4(v) = value;
}
void SetBool(VARIANT* v, bool value) {
    V_VT(v) = VT_BOOL;
    V_BOOL(v) = value ? VARIANT_TRUE : VARIANT_FALSE;
}
void SetDouble(VARIANT* v, double value) {
    V_VT(v) = VT_R8;
    V_R8(v) = value;
}
void SetText(VARIANT* v, const char* text) {
    V_VT(v) = VT_BSTR;
    V_BSTR(v) = olehost::ToBstr(text);
}

struct NameEntry {
    const wchar_t* name;
    DISPID id;
};
const NameEntry kNames[] = {
    {L"Duration", kDuration},           {L"FileName", kFileName},
    {L"CurrentPosition", kCurrentPosition}, {L"Bandwidth", kBandwidth},
    {L"OpenState", kOpenState},         {L"HasError", kHasError},
    {L"ErrorDescription", kErrorDescription}, {L"PlayState", kPlayState},
    {L"BufferingProgress", kBufferingProgress}, {L"Play", kPlay},
    {L"Pause", kPause},                 {L"Stop", kStop},
    {L"Open", kOpen},                   {L"GetMediaInfoString", kGetMediaInfoString},
    {L"EntryCount", kEntryCount},       {L"GetCurrentEntry", kGetCurrentEntry},
    {L"SetCurrentEntry", kSetCurrentEntry}, {L"ReadyState", kReadyState},
};

// BOOL properties the control keeps for its containers; their defaults.
const DISPID kFlagIds[] = {-514, 1017, 1018, 1020, 1021, 1062, 1069};

ATOM RegisterNotifyClass() {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Control::NotifyProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kNotifyClass;
        atom = RegisterClassA(&wc);
    }
    return atom;
}

}  // namespace

// ---------------------------------------------------------------- life

HRESULT Control::Create(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    Control* c = new Control();
    HRESULT hr = c->QueryInterface(riid, ppv);
    c->Release();
    return hr;
}

Control::Control() {
    InterlockedIncrement(&g_objects);
    RegisterNotifyClass();
    notifyWnd_ = CreateWindowExA(0, kNotifyClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (notifyWnd_) SetWindowLongPtrA(notifyWnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    engine_.reset(new pe::PlayEngine(notifyWnd_, kEngineNews));
    for (DISPID id : kFlagIds) flags_[id] = true;
}

Control::~Control() {
    engine_.reset();
    if (notifyWnd_) {
        SetWindowLongPtrA(notifyWnd_, GWLP_USERDATA, 0);
        DestroyWindow(notifyWnd_);
    }
    for (auto& s : sinks_) s.second->Release();
    if (site_) site_->Release();
    InterlockedDecrement(&g_objects);
}

STDMETHODIMP Control::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch) *ppv = static_cast<IDispatch*>(this);
    else if (riid == IID_IConnectionPointContainer) *ppv = static_cast<IConnectionPointContainer*>(this);
    else if (riid == IID_IOleObject) *ppv = static_cast<IOleObject*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject) *ppv = static_cast<IOleInPlaceObject*>(this);
    else if (riid == IID_IPersistStreamInit) *ppv = static_cast<IPersistStreamInit*>(this);
    else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) *ppv = static_cast<IProvideClassInfo2*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) Control::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) Control::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

// ---------------------------------------------------------------- engine news

LRESULT CALLBACK Control::NotifyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kEngineNews) {
        auto* self = reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self) self->TakeEngineEvents();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void Control::TakeEngineEvents() {
    if (firing_) return;   // a container that pumps messages inside an event gets them afterwards
    firing_ = true;
    AddRef();   // a handler may release the control
    pe::Event ev;
    while (engine_ && engine_->PopEvent(&ev)) {
        switch (ev.kind) {
        case pe::EventKind::OpenState:
            if (ev.value == pe::kConnecting && readyState_ != kReadyLoading) {
                readyState_ = kReadyLoading;
                VARIANT v;
                SetLong(&v, kReadyLoading);
                Fire(kEvReadyStateChange, {v});
            }
            FireLongs(kEvOpenStateChange, ev.old, ev.value);
            if (ev.value == pe::kOpen && readyState_ < kReadyInteractive) {
                readyState_ = kReadyInteractive;
                VARIANT v;
                SetLong(&v, kReadyInteractive);
                Fire(kEvReadyStateChange, {v});
            }
            break;
        case pe::EventKind::PlayState:
            FireLongs(kEvPlayStateChange, ev.old, ev.value);
            if (ev.value == pe::kPlaying && readyState_ < kReadyComplete) {
                readyState_ = kReadyComplete;
                VARIANT v;
                SetLong(&v, kReadyComplete);
                Fire(kEvReadyStateChange, {v});
            }
            break;
        case pe::EventKind::BufferingStart:
        case pe::EventKind::BufferingEnd: {
            VARIANT v;
            SetBool(&v, ev.kind == pe::EventKind::BufferingStart);
            Fire(kEvBuffering, {v});
            break;
        }
        case pe::EventKind::NewStream:
            Fire(kEvNewStream, {});
            break;
        case pe::EventKind::EndOfStream: {
            VARIANT v;
            SetLong(&v, 0);
            Fire(kEvEndOfStream, {v});
            break;
        }
        case pe::EventKind::Error:
            readyState_ = kReadyUninitialized;
            Fire(kEvError, {});
            break;
        }
    }
    firing_ = false;
    Release();
}

void Control::FireLongs(DISPID id, long a, long b) {
    VARIANT va, vb;
    SetLong(&va, a);
    SetLong(&vb, b);
    Fire(id, {va, vb});
}

void Control::Fire(DISPID id, std::vector<VARIANT> args) {
    // The sink wants the parameters last first.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS dp = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    std::vector<IDispatch*> targets;
    for (auto& s : sinks_) {
        s.second->AddRef();
        targets.push_back(s.second);
    }
    for (IDispatch* d : targets) {
        d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, nullptr, nullptr, nullptr);
        d->Release();
    }
    for (VARIANT& v : args) VariantClear(&v);
}

// ---------------------------------------------------------------- playing

void Control::ReadPlayerSettings() {
    // The player's buffering and proxy settings, where the control keeps them.
    DWORD bufferMs = kDefaultBufferMs;
    bk::ScopedRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\NetShow\\Player\\General", 0, KEY_READ,
                      key.Receive()) == ERROR_SUCCESS) {
        DWORD value = 0, size = sizeof value, type = 0;
        if (RegQueryValueExA(key.Get(), "Buffering Time", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD)
            bufferMs = value;
    }
    engine_->SetBufferMs(bufferMs);

    bk::ScopedRegKey local;
    DWORD enabled = 0, port = 0;
    char host[256] = {};
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\NetShow\\Player\\Local", 0, KEY_READ,
                      local.Receive()) == ERROR_SUCCESS) {
        DWORD size = sizeof enabled;
        RegQueryValueExA(local.Get(), "ProxyEnabled", nullptr, nullptr, reinterpret_cast<BYTE*>(&enabled), &size);
        size = sizeof port;
        RegQueryValueExA(local.Get(), "ProxyPort", nullptr, nullptr, reinterpret_cast<BYTE*>(&port), &size);
        size = sizeof host - 1;
        DWORD type = 0;
        if (RegQueryValueExA(local.Get(), "ProxyHost", nullptr, &type, reinterpret_cast<BYTE*>(host), &size) !=
                ERROR_SUCCESS ||
            type != REG_SZ)
            host[0] = 0;
        host[sizeof host - 1] = 0;
    }
    engine_->SetProxy(enabled == 1 && host[0] ? host : nullptr, port);
}

void Control::OpenAddress(const std::string& address) {
    fileName_ = address;
    readyState_ = kReadyUninitialized;
    ReadPlayerSettings();
    // Opening alone does not play: the container starts playing once the
    // control is ready (or calls Play before that).
    engine_->Open(address.c_str(), false);
}

// ---------------------------------------------------------------- dispatch

STDMETHODIMP Control::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP Control::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) {
    if (ppTInfo) *ppTInfo = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Control::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) continue;   // no named parameters
        for (const NameEntry& e : kNames)
            if (_wcsicmp(e.name, names[i]) == 0) ids[i] = e.id;
        if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    if (count > 1) hr = DISP_E_UNKNOWNNAME;
    return hr;
}

STDMETHODIMP Control::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                             UINT* argErr) {
    if (argErr) *argErr = 0;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!params || params->cArgs < 1) return DISP_E_BADPARAMCOUNT;
        return PutProp(id, &params->rgvarg[0]);
    }
    VARIANT scratch;
    VariantInit(&scratch);
    VARIANT* out = result ? result : &scratch;
    VariantInit(out);
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    if (flags & DISPATCH_METHOD) hr = CallMethod(id, params, out);
    if (hr == DISP_E_MEMBERNOTFOUND && (flags & DISPATCH_PROPERTYGET)) hr = GetProp(id, out);
    VariantClear(&scratch);
    return hr;
}

HRESULT Control::GetProp(DISPID id, VARIANT* r) {
    pe::EngineInfo info = engine_->Info();
    switch (id) {
    case kDuration: SetDouble(r, info.durationMs / 1000.0); return S_OK;
    case kFileName: SetText(r, fileName_.c_str()); return S_OK;
    case kCurrentPosition: SetDouble(r, info.positionMs / 1000.0); return S_OK;
    case kBandwidth: SetLong(r, static_cast<long>(info.bitrate)); return S_OK;
    case kOpenState: SetLong(r, info.openState); return S_OK;
    case kHasError: SetBool(r, info.hasError); return S_OK;
    case kErrorDescription: SetText(r, info.error); return S_OK;
    case kPlayState: SetLong(r, info.playState); return S_OK;
    case kBufferingProgress: SetLong(r, info.bufferingProgress); return S_OK;
    case kEntryCount: SetLong(r, info.entryCount); return S_OK;
    case kReadyState: SetLong(r, readyState_); return S_OK;
    default: {
        auto it = flags_.find(id);
        if (it == flags_.end()) return DISP_E_MEMBERNOTFOUND;
        SetBool(r, it->second);
        return S_OK;
    }
    }
}

HRESULT Control::PutProp(DISPID id, VARIANT* value) {
    switch (id) {
    case kFileName: {
        std::string address = FromVariant(value);
        if (address.empty()) {
            fileName_.clear();
            engine_->Close();
        } else {
            OpenAddress(address);
        }
        return S_OK;
    }
    case kCurrentPosition: {
        double seconds = 0;
        if (!ToDouble(value, &seconds)) return DISP_E_TYPEMISMATCH;
        if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
        pe::EngineInfo info = engine_->Info();
        // Only something that has a length can be positioned; a live stream stays.
        if (info.durationMs > 0 && info.openState == pe::kOpen) engine_->Seek(static_cast<uint32_t>(seconds * 1000));
        return S_OK;
    }
    default: {
        auto it = flags_.find(id);
        if (it == flags_.end()) return DISP_E_MEMBERNOTFOUND;
        long v = 0;
        if (!ToLong(value, &v)) return DISP_E_TYPEMISMATCH;
        it->second = v != 0;
        return S_OK;
    }
    }
}

HRESULT Control::CallMethod(DISPID id, DISPPARAMS* params, VARIANT* r) {
    switch (id) {
    case kPlay: engine_->Play(); return S_OK;
    case kPause: engine_->Pause(); return S_OK;
    case kStop: engine_->Stop(); return S_OK;
    case kOpen: {
        VARIANT* a = Arg(params, 0);
        if (!a) return DISP_E_BADPARAMCOUNT;
        OpenAddress(FromVariant(a));
        return S_OK;
    }
    case kGetMediaInfoString: {
        long kind = 0;
        if (!ToLong(Arg(params, 0), &kind)) return DISP_E_BADPARAMCOUNT;
        pe::EngineInfo info = engine_->Info();
        SetText(r, kind == kInfoTitle ? info.title : kind == kInfoAuthor ? info.author : "");
        return S_OK;
    }
    case kGetCurrentEntry: SetLong(r, engine_->Info().currentEntry); return S_OK;
    case kSetCurrentEntry: {
        long entry = 0;
        if (!ToLong(Arg(params, 0), &entry)) return DISP_E_BADPARAMCOUNT;
        engine_->SetCurrentEntry(entry);
        return S_OK;
    }
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// ---------------------------------------------------------------- connection point

STDMETHODIMP Control::EnumConnectionPoints(IEnumConnectionPoints** ppEnum) {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Control::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) {
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    if (riid != kEventsIid && riid != IID_IDispatch) return CONNECT_E_NOCONNECTION;
    *ppCP = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP Control::GetConnectionInterface(IID* pIID) {
    if (!pIID) return E_POINTER;
    *pIID = kEventsIid;
    return S_OK;
}

STDMETHODIMP Control::GetConnectionPointContainer(IConnectionPointContainer** ppCPC) {
    if (!ppCPC) return E_POINTER;
    *ppCPC = static_cast<IConnectionPointContainer*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP Control::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    IDispatch* d = nullptr;
    if (FAILED(sink->QueryInterface(kEventsIid, reinterpret_cast<void**>(&d))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_[*cookie] = d;
    return S_OK;
}

STDMETHODIMP Control::Unadvise(DWORD cookie) {
    auto it = sinks_.find(cookie);
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    IDispatch* d = it->second;
    sinks_.erase(it);
    d->Release();
    return S_OK;
}

STDMETHODIMP Control::EnumConnections(IEnumConnections** ppEnum) {
    if (ppEnum) *ppEnum = nullptr;
    return E_NOTIMPL;
}

// ---------------------------------------------------------------- OLE object

STDMETHODIMP Control::SetClientSite(IOleClientSite* site) {
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
}

STDMETHODIMP Control::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
}

STDMETHODIMP Control::Close(DWORD) {
    engine_->Close();
    return S_OK;
}

STDMETHODIMP Control::DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) { return S_OK; }

STDMETHODIMP Control::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP Control::GetExtent(DWORD, SIZEL* size) {
    if (!size) return E_POINTER;
    size->cx = 0;
    size->cy = 0;
    return S_OK;
}

STDMETHODIMP Control::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME | OLEMISC_NOUIACTIVATE;
    return S_OK;
}

STDMETHODIMP Control::GetWindow(HWND* phwnd) {
    if (!phwnd) return E_POINTER;
    *phwnd = nullptr;
    return E_FAIL;
}

STDMETHODIMP Control::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = kClsid;
    return S_OK;
}

STDMETHODIMP Control::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}

STDMETHODIMP Control::GetClassInfo(ITypeInfo** ppTI) {
    if (ppTI) *ppTI = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Control::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = kEventsIid;
    return S_OK;
}

}  // namespace mp64
