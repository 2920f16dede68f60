#include "ole_host.h"

#include <cstdarg>
#include <vector>

namespace olehost {

// ---------------------------------------------------------------- text

BSTR ToBstr(const char* text) {
    if (!text) text = "";
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    BSTR b = SysAllocStringLen(nullptr, n > 0 ? n - 1 : 0);
    if (b && n > 1) MultiByteToWideChar(CP_ACP, 0, text, -1, b, n);
    return b;
}

std::string FromBstr(BSTR text) {
    if (!text) return std::string();
    int len = static_cast<int>(SysStringLen(text));
    int n = WideCharToMultiByte(CP_ACP, 0, text, len, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text, len, &out[0], n, nullptr, nullptr);
    return out;
}

// ---------------------------------------------------------------- control site

ControlSite* ControlSite::New() { return new ControlSite(); }

ControlSite::~ControlSite() { Destroy(); }

HRESULT ControlSite::Create(HWND parent, REFCLSID clsid, const RECT& rect) {
    Destroy();
    parent_ = parent;
    rect_ = rect;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&control_));
    if (FAILED(hr)) {
        control_ = nullptr;
        return hr;
    }
    hr = control_->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&oleObject_));
    if (FAILED(hr)) {
        Destroy();
        return hr;
    }
    DWORD misc = 0;
    oleObject_->GetMiscStatus(DVASPECT_CONTENT, &misc);
    if (misc & OLEMISC_SETCLIENTSITEFIRST) oleObject_->SetClientSite(this);
    IPersistStreamInit* init = nullptr;
    if (SUCCEEDED(control_->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&init)))) {
        init->InitNew();
        init->Release();
    }
    if (!(misc & OLEMISC_SETCLIENTSITEFIRST)) oleObject_->SetClientSite(this);
    if (FAILED(control_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch_)))) dispatch_ = nullptr;
    RECT r = rect_;
    hr = oleObject_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent_, &r);
    if (FAILED(hr)) {
        Destroy();
        return hr;
    }
    return S_OK;
}

void ControlSite::Destroy() {
    if (oleObject_) {
        IOleInPlaceObject* ipo = nullptr;
        if (SUCCEEDED(oleObject_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ipo)))) {
            ipo->InPlaceDeactivate();
            ipo->Release();
        }
        oleObject_->Close(OLECLOSE_NOSAVE);
        oleObject_->SetClientSite(nullptr);
        oleObject_->Release();
        oleObject_ = nullptr;
    }
    if (dispatch_) {
        dispatch_->Release();
        dispatch_ = nullptr;
    }
    if (control_) {
        control_->Release();
        control_ = nullptr;
    }
}

HWND ControlSite::ControlWindow() const {
    HWND hwnd = nullptr;
    IOleInPlaceObject* ipo = nullptr;
    if (control_ && SUCCEEDED(control_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ipo)))) {
        if (FAILED(ipo->GetWindow(&hwnd))) hwnd = nullptr;
        ipo->Release();
    }
    return hwnd;
}

void ControlSite::Move(const RECT& rect) {
    rect_ = rect;
    IOleInPlaceObject* ipo = nullptr;
    if (control_ && SUCCEEDED(control_->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&ipo)))) {
        ipo->SetObjectRects(&rect_, &rect_);
        ipo->Release();
    }
}

STDMETHODIMP ControlSite::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) *ppv = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite || riid == IID_IOleInPlaceSiteEx)
        *ppv = static_cast<IOleInPlaceSiteEx*>(this);
    else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) *ppv = static_cast<IOleInPlaceFrame*>(this);
    else if (riid == IID_IOleControlSite) *ppv = static_cast<IOleControlSite*>(this);
    else if (riid == IID_IDispatch) *ppv = static_cast<IDispatch*>(this);
    else return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ControlSite::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) ControlSite::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP ControlSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
    if (ppmk) *ppmk = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::GetContainer(IOleContainer** ppContainer) {
    if (ppContainer) *ppContainer = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ControlSite::GetWindow(HWND* phwnd) {
    if (!phwnd) return E_POINTER;
    *phwnd = parent_;
    return S_OK;
}

STDMETHODIMP ControlSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                           LPRECT lprcPosRect, LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO info) {
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect) return E_POINTER;
    *ppFrame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *ppDoc = nullptr;
    *lprcPosRect = rect_;
    *lprcClipRect = rect_;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = parent_;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP ControlSite::OnPosRectChange(LPCRECT rect) {
    if (rect) Move(*rect);
    return S_OK;
}

STDMETHODIMP ControlSite::OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD) {
    if (pfNoRedraw) *pfNoRedraw = FALSE;
    return S_OK;
}

STDMETHODIMP ControlSite::GetExtendedControl(IDispatch** ppDisp) {
    if (ppDisp) *ppDisp = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlSite::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP ControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                 UINT*) {
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    switch (id) {
    case DISPID_AMBIENT_USERMODE:          // run mode, not design mode
    case DISPID_AMBIENT_MESSAGEREFLECT:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_TRUE;
        return S_OK;
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_UIDEAD:
        V_VT(result) = VT_BOOL;
        V_BOOL(result) = VARIANT_FALSE;
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// ---------------------------------------------------------------- event sink

EventSink* EventSink::New(Handler handler) { return new EventSink(std::move(handler)); }

EventSink::~EventSink() { Disconnect(); }

HRESULT EventSink::Connect(IUnknown* control, const IID* iid) {
    Disconnect();
    if (!control) return E_POINTER;
    IID wanted = IID_NULL;
    if (iid) {
        wanted = *iid;
    } else {
        IProvideClassInfo2* pci = nullptr;
        HRESULT hr = control->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&pci));
        if (FAILED(hr)) return hr;
        hr = pci->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &wanted);
        pci->Release();
        if (FAILED(hr)) return hr;
    }
    IConnectionPointContainer* cpc = nullptr;
    HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
    if (FAILED(hr)) return hr;
    hr = cpc->FindConnectionPoint(wanted, &point_);
    cpc->Release();
    if (FAILED(hr)) {
        point_ = nullptr;
        return hr;
    }
    iid_ = wanted;
    hr = point_->Advise(static_cast<IDispatch*>(this), &cookie_);
    if (FAILED(hr)) {
        point_->Release();
        point_ = nullptr;
        cookie_ = 0;
    }
    return hr;
}

void EventSink::Disconnect() {
    if (point_) {
        if (cookie_) point_->Unadvise(cookie_);
        point_->Release();
        point_ = nullptr;
        cookie_ = 0;
    }
}

STDMETHODIMP EventSink::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || (riid == iid_ && iid_ != IID_NULL)) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EventSink::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) EventSink::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* pctinfo) {
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    if (handler_) handler_(id, params ? params : &none);
    return S_OK;
}

namespace {

// The argument at a position counted from the first parameter (rgvarg holds them last first).
const VARIANT* EventArg(const DISPPARAMS* params, UINT index) {
    if (!params || index >= params->cArgs || !params->rgvarg) return nullptr;
    const VARIANT* v = &params->rgvarg[params->cArgs - 1 - index];
    if (V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v)) v = V_VARIANTREF(v);
    return v;
}

}  // namespace

long EventArgLong(const DISPPARAMS* params, UINT index, long fallback) {
    const VARIANT* v = EventArg(params, index);
    if (!v) return fallback;
    VARIANT tmp;
    VariantInit(&tmp);
    if (FAILED(VariantChangeType(&tmp, const_cast<VARIANT*>(v), 0, VT_I4))) return fallback;
    return V_I4(&tmp);
}

double EventArgDouble(const DISPPARAMS* params, UINT index, double fallback) {
    const VARIANT* v = EventArg(params, index);
    if (!v) return fallback;
    VARIANT tmp;
    VariantInit(&tmp);
    if (FAILED(VariantChangeType(&tmp, const_cast<VARIANT*>(v), 0, VT_R8))) return fallback;
    return V_R8(&tmp);
}

std::string EventArgText(const DISPPARAMS* params, UINT index) {
    const VARIANT* v = EventArg(params, index);
    if (!v) return std::string();
    VARIANT tmp;
    VariantInit(&tmp);
    if (FAILED(VariantChangeType(&tmp, const_cast<VARIANT*>(v), 0, VT_BSTR))) return std::string();
    std::string s = FromBstr(V_BSTR(&tmp));
    VariantClear(&tmp);
    return s;
}

// ---------------------------------------------------------------- invoke helper

HRESULT InvokeHelper(IDispatch* disp, DISPID id, WORD kind, VARTYPE retType, void* ret, const VARTYPE* paramTypes,
                     ...) {
    if (!disp) return E_POINTER;
    std::vector<VARIANT> args;
    va_list ap;
    va_start(ap, paramTypes);
    for (const VARTYPE* t = paramTypes; t && *t != VT_EMPTY; ++t) {
        VARIANT v;
        VariantInit(&v);
        switch (*t) {
        case VT_BOOL:
            V_VT(&v) = VT_BOOL;
            V_BOOL(&v) = va_arg(ap, int) ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case VT_I4:
            V_VT(&v) = VT_I4;
            V_I4(&v) = va_arg(ap, long);
            break;
        case VT_R8:
            V_VT(&v) = VT_R8;
            V_R8(&v) = va_arg(ap, double);
            break;
        case VT_BSTR:
            V_VT(&v) = VT_BSTR;
            V_BSTR(&v) = ToBstr(va_arg(ap, const char*));
            break;
        default:
            va_end(ap);
            for (VARIANT& a : args) VariantClear(&a);
            return E_INVALIDARG;
        }
        args.push_back(v);
    }
    va_end(ap);
    // Dispatch takes the arguments last first.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS dp = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    DISPID named = DISPID_PROPERTYPUT;
    if (kind == DISPATCH_PROPERTYPUT) {
        dp.rgdispidNamedArgs = &named;
        dp.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &dp, retType == VT_EMPTY ? nullptr : &result,
                              nullptr, nullptr);
    for (VARIANT& a : args) VariantClear(&a);
    if (FAILED(hr)) return hr;
    if (retType != VT_EMPTY && ret) {
        if (retType == VT_DISPATCH) {
            IDispatch** out = static_cast<IDispatch**>(ret);
            *out = nullptr;
            if (V_VT(&result) == VT_DISPATCH && V_DISPATCH(&result)) {
                *out = V_DISPATCH(&result);
                (*out)->AddRef();
            }
        } else {
            VARIANT conv;
            VariantInit(&conv);
            hr = VariantChangeType(&conv, &result, 0, retType);
            if (SUCCEEDED(hr)) {
                switch (retType) {
                case VT_BOOL: *static_cast<int*>(ret) = V_BOOL(&conv) ? 1 : 0; break;
                case VT_I4: *static_cast<long*>(ret) = V_I4(&conv); break;
                case VT_R8: *static_cast<double*>(ret) = V_R8(&conv); break;
                case VT_BSTR: *static_cast<std::string*>(ret) = FromBstr(V_BSTR(&conv)); break;
                default: hr = E_INVALIDARG; break;
                }
            }
            VariantClear(&conv);
        }
    }
    VariantClear(&result);
    return hr;
}

}  // namespace olehost
