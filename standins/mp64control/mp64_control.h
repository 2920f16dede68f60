// The stand-in for the Media Player 6.4 ActiveX control: an in-process COM
// object under the control's class id that offers the dispatch members and
// events its containers use, and plays through the shared playback engine.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "play_engine.h"

namespace mp64 {

// The event dispatch interface this control fires on (its default source).
// {6D9B2F41-3C1A-4E8B-9F27-5A1C0E7B4D11}
constexpr IID kEventsIid = {0x6D9B2F41, 0x3C1A, 0x4E8B, {0x9F, 0x27, 0x5A, 0x1C, 0x0E, 0x7B, 0x4D, 0x11}};

class Control : public IDispatch,
                public IConnectionPointContainer,
                public IConnectionPoint,
                public IOleObject,
                public IOleInPlaceObject,
                public IPersistStreamInit,
                public IProvideClassInfo2 {
public:
    static HRESULT Create(REFIID riid, void** ppv);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT* argErr) override;
    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;
    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID* pIID) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override;
    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return S_OK; }
    STDMETHODIMP GetExtent(DWORD, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
    // IOleWindow / IOleInPlaceObject: the control draws nothing of its own.
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT, LPCRECT) override { return S_OK; }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }
    // IPersistStreamInit
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(LPSTREAM) override { return S_OK; }
    STDMETHODIMP Save(LPSTREAM, BOOL) override { return S_OK; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override { return S_OK; }
    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** ppTI) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // Window procedure of the hidden window on which the engine's news arrive.
    static LRESULT CALLBACK NotifyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    Control();
    virtual ~Control();

    void OpenAddress(const std::string& address);
    void Fire(DISPID id, std::vector<VARIANT> args);   // args in parameter order
    void FireLongs(DISPID id, long a, long b);
    void TakeEngineEvents();
    void ReadPlayerSettings();
    HRESULT GetProp(DISPID id, VARIANT* result);
    HRESULT PutProp(DISPID id, VARIANT* value);
    HRESULT CallMethod(DISPID id, DISPPARAMS* params, VARIANT* result);

    LONG refs_ = 1;
    HWND notifyWnd_ = nullptr;
    std::unique_ptr<pe::PlayEngine> engine_;
    IOleClientSite* site_ = nullptr;
    std::map<DWORD, IDispatch*> sinks_;
    DWORD nextCookie_ = 1;
    std::map<DISPID, bool> flags_;      // the BOOL properties a container sets and reads back
    std::string fileName_;
    long readyState_ = 0;
    bool firing_ = false;
};

// Counts live objects and locks for DllCanUnloadNow.
extern LONG g_objects;

}  // namespace mp64
