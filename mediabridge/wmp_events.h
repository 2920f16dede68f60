// The object that receives the Media Player 7+ control's events, through
// the event interface or through its dispatch form (the only one Wine's
// control offers), and hands them to the host window.
#pragma once

#include <windows.h>
#include <wmp.h>

class CWMPHost;

class CWMPEventDispatch : public IWMPEvents, public IDispatch {
public:
    static CWMPEventDispatch* New();   // one reference, dropped with Release
    void SetHost(CWMPHost* host) { host_ = host; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

    // IWMPEvents: the events the host acts on ...
    void STDMETHODCALLTYPE OpenStateChange(LONG state) override;
    void STDMETHODCALLTYPE PlayStateChange(LONG state) override;
    void STDMETHODCALLTYPE Buffering(VARIANT_BOOL start) override;
    void STDMETHODCALLTYPE Error() override;
    void STDMETHODCALLTYPE MediaError(IDispatch* media) override;
    void STDMETHODCALLTYPE ScriptCommand(BSTR type, BSTR param) override;
    void STDMETHODCALLTYPE EndOfStream(LONG result) override;
    void STDMETHODCALLTYPE PositionChange(double oldPosition, double newPosition) override;
    // ... and the rest, which it does not need.
    void STDMETHODCALLTYPE AudioLanguageChange(LONG) override {}
    void STDMETHODCALLTYPE StatusChange() override {}
    void STDMETHODCALLTYPE NewStream() override {}
    void STDMETHODCALLTYPE Disconnect(LONG) override {}
    void STDMETHODCALLTYPE Warning(LONG, LONG, BSTR) override {}
    void STDMETHODCALLTYPE MarkerHit(LONG) override {}
    void STDMETHODCALLTYPE DurationUnitChange(LONG) override {}
    void STDMETHODCALLTYPE CdromMediaChange(LONG) override {}
    void STDMETHODCALLTYPE PlaylistChange(IDispatch*, WMPPlaylistChangeEventType) override {}
    void STDMETHODCALLTYPE CurrentPlaylistChange(WMPPlaylistChangeEventType) override {}
    void STDMETHODCALLTYPE CurrentPlaylistItemAvailable(BSTR) override {}
    void STDMETHODCALLTYPE MediaChange(IDispatch*) override {}
    void STDMETHODCALLTYPE CurrentMediaItemAvailable(BSTR) override {}
    void STDMETHODCALLTYPE CurrentItemChange(IDispatch*) override {}
    void STDMETHODCALLTYPE MediaCollectionChange() override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringAdded(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringRemoved(BSTR, BSTR) override {}
    void STDMETHODCALLTYPE MediaCollectionAttributeStringChanged(BSTR, BSTR, BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionChange() override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistAdded(BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistRemoved(BSTR) override {}
    void STDMETHODCALLTYPE PlaylistCollectionPlaylistSetAsDeleted(BSTR, VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE ModeChange(BSTR, VARIANT_BOOL) override {}
    void STDMETHODCALLTYPE OpenPlaylistSwitch(IDispatch*) override {}
    void STDMETHODCALLTYPE DomainChange(BSTR) override {}
    void STDMETHODCALLTYPE SwitchedToPlayerApplication() override {}
    void STDMETHODCALLTYPE SwitchedToControl() override {}
    void STDMETHODCALLTYPE PlayerDockedStateChange() override {}
    void STDMETHODCALLTYPE PlayerReconnect() override {}
    void STDMETHODCALLTYPE Click(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE DoubleClick(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE KeyDown(short, short) override {}
    void STDMETHODCALLTYPE KeyPress(short) override {}
    void STDMETHODCALLTYPE KeyUp(short, short) override {}
    void STDMETHODCALLTYPE MouseDown(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE MouseMove(short, short, LONG, LONG) override {}
    void STDMETHODCALLTYPE MouseUp(short, short, LONG, LONG) override {}

    // DISPIDs of the dispatch form.
    enum : DISPID {
        kOpenStateChange = 5001,
        kPlayStateChange = 5101,
        kEndOfStream = 5201,
        kPositionChange = 5202,
        kScriptCommand = 5301,
        kBuffering = 5402,
        kError = 5501,
        kMediaError = 5821,
    };

private:
    CWMPEventDispatch() = default;
    virtual ~CWMPEventDispatch() = default;

    LONG refs_ = 1;
    CWMPHost* host_ = nullptr;
};
