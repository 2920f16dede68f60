// A small ActiveX control container, written once for every program that
// hosts a control: the playback host (Media Player 6.4 control), the Media
// Player bridge (Media Player 7+ control) and the banners (web browser).
//
// ControlSite creates a control by CLSID inside a window of ours and serves
// it as client site, in-place site (including IOleInPlaceSiteEx, which Wine's
// controls ask for before they activate) and in-place frame. EventSink
// receives a control's dispatch events through its connection point.
// InvokeHelper calls dispatch members with typed arguments.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <string>

namespace olehost {

class ControlSite : public IOleClientSite,
                    public IOleInPlaceSiteEx,
                    public IOleInPlaceFrame,
                    public IOleControlSite,
                    public IDispatch {
public:
    // The site is a COM object: create it with new and let Release end it.
    static ControlSite* New();

    // Creates the control in parent at rect (client coordinates of parent),
    // hands it this site and activates it in place. S_OK or the failing step's
    // result; on failure nothing stays created.
    HRESULT Create(HWND parent, REFCLSID clsid, const RECT& rect);
    // Deactivates and closes the control and lets it go; safe to call twice.
    void Destroy();

    IUnknown* Control() const { return control_; }
    IDispatch* Dispatch() const { return dispatch_; }   // null when the control has no IDispatch
    HWND Window() const { return parent_; }
    HWND ControlWindow() const;                         // the control's own window, if it has one
    void Move(const RECT& rect);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** ppmk) override;
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT rect) override;
    // IOleInPlaceSiteEx
    STDMETHODIMP OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD) override;
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
    STDMETHODIMP RequestUIActivate() override { return S_OK; }
    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** ppDisp) override;
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(LPMSG, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // IDispatch: the ambient properties a control asks its site for
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

private:
    ControlSite() = default;
    virtual ~ControlSite();

    LONG refs_ = 1;
    HWND parent_ = nullptr;
    RECT rect_ = {};
    IUnknown* control_ = nullptr;
    IOleObject* oleObject_ = nullptr;
    IDispatch* dispatch_ = nullptr;
};

// Receives the events of a control's dispatch event interface.
class EventSink : public IDispatch {
public:
    using Handler = std::function<void(DISPID id, DISPPARAMS* params)>;
    static EventSink* New(Handler handler);

    // Advises on the control's connection point for iid; with a null iid the
    // control's default source interface (IProvideClassInfo2) is used.
    HRESULT Connect(IUnknown* control, const IID* iid = nullptr);
    void Disconnect();
    const IID& ConnectedIid() const { return iid_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    explicit EventSink(Handler h) : handler_(std::move(h)) {}
    virtual ~EventSink();

    LONG refs_ = 1;
    Handler handler_;
    IConnectionPoint* point_ = nullptr;
    DWORD cookie_ = 0;
    IID iid_ = IID_NULL;
};

// Reads an event argument: parameters arrive in reverse order in rgvarg.
long EventArgLong(const DISPPARAMS* params, UINT index, long fallback = 0);
double EventArgDouble(const DISPPARAMS* params, UINT index, double fallback = 0);
std::string EventArgText(const DISPPARAMS* params, UINT index);

// One dispatch call. kind is DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT or
// DISPATCH_METHOD; retType is VT_EMPTY (no result), VT_BOOL (int*), VT_I4
// (long*), VT_R8 (double*), VT_BSTR (std::string*, converted to the ANSI code
// page) or VT_DISPATCH (IDispatch**, caller releases); paramTypes is a list of
// VT_BOOL (int), VT_I4 (long), VT_R8 (double) and VT_BSTR (const char*) ended
// by VT_EMPTY, followed by the arguments in order.
HRESULT InvokeHelper(IDispatch* disp, DISPID id, WORD kind, VARTYPE retType, void* ret, const VARTYPE* paramTypes,
                     ...);

// Text conversion between the ANSI code page and BSTR.
BSTR ToBstr(const char* text);
std::string FromBstr(BSTR text);

}  // namespace olehost
