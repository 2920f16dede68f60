#include "wmp_control.h"

#include <wmp.h>

#include "bounded_text.h"
#include "ole_host.h"
#include "win_handles.h"
#include "wmp_ids.h"

namespace {

// A BSTR owned for the length of one call.
class Bstr {
public:
    explicit Bstr(const char* text) : b_(olehost::ToBstr(text)) {}
    Bstr() = default;
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR Get() const { return b_; }
    BSTR* Receive() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    bool CopyTo(char* out, size_t size) const { return bk::TextCopy(out, size, olehost::FromBstr(b_).c_str()), true; }

private:
    BSTR b_ = nullptr;
};

class RealWmpControl : public WmpControl {
public:
    RealWmpControl(olehost::ControlSite* site, IWMPPlayer* player) : site_(site) { player_.Attach(player); }
    ~RealWmpControl() override {
        Disconnect();
        Close();
        player_.Reset();
        if (site_) {
            site_->Destroy();
            site_->Release();
        }
    }

    HRESULT SetUrl(const char* url) override {
        Bstr b(url);
        return player_->put_URL(b.Get());
    }
    void Close() override {
        if (player_ && !closed_) player_->close();
        closed_ = true;
    }
    bool PlayState(long* state) override {
        WMPPlayState s = wmppsUndefined;
        if (FAILED(player_->get_playState(&s))) return false;
        *state = s;
        return true;
    }
    bool OpenState(long* state) override {
        WMPOpenState s = wmposUndefined;
        if (FAILED(player_->get_openState(&s))) return false;
        *state = s;
        return true;
    }

    bool HasCurrentItem() override { return static_cast<bool>(Media()); }
    bool ItemText(const char* attribute, char* out, size_t size) override {
        bk::ComPtr<IWMPMedia> m = Media();
        Bstr name(attribute), value;
        if (!m || FAILED(m->getItemInfo(name.Get(), value.Receive()))) return false;
        return value.CopyTo(out, size);
    }
    bool Duration(double* seconds) override {
        bk::ComPtr<IWMPMedia> m = Media();
        return m && SUCCEEDED(m->get_duration(seconds));
    }
    bool SourceUrl(char* out, size_t size) override {
        bk::ComPtr<IWMPMedia> m = Media();
        Bstr value;
        if (!m || FAILED(m->get_sourceURL(value.Receive()))) return false;
        return value.CopyTo(out, size);
    }
    int ItemError(long* code, std::string* text) override {
        bk::ComPtr<IWMPMedia> m = Media();
        bk::ComPtr<IWMPMedia2> m2;
        if (!m || FAILED(m->QueryInterface(kIidWmpMedia2, reinterpret_cast<void**>(m2.Receive()))) || !m2) return -1;
        bk::ComPtr<IWMPErrorItem> item;
        if (FAILED(m2->get_error(item.Receive())) || !item) return 0;
        ReadErrorItem(item.Get(), code, text);
        return 1;
    }

    bool EntryCount(long* count) override {
        bk::ComPtr<IWMPPlaylist> pl = Playlist();
        LONG n = 0;
        if (!pl || FAILED(pl->get_count(&n))) return false;
        *count = n;
        return true;
    }
    bool CurrentEntry(long* index) override {
        bk::ComPtr<IWMPPlaylist> pl = Playlist();
        bk::ComPtr<IWMPMedia> current = Media();
        LONG n = 0;
        if (!pl || !current || FAILED(pl->get_count(&n))) return false;
        for (LONG i = 0; i < n; ++i) {
            bk::ComPtr<IWMPMedia> item;
            VARIANT_BOOL same = VARIANT_FALSE;
            if (SUCCEEDED(pl->get_Item(i, item.Receive())) && item &&
                SUCCEEDED(current->get_isIdentical(item.Get(), &same)) && same) {
                *index = i;
                return true;
            }
        }
        return false;
    }
    bool PlayEntry(long index) override {
        bk::ComPtr<IWMPPlaylist> pl = Playlist();
        bk::ComPtr<IWMPControls> c = Controls();
        bk::ComPtr<IWMPMedia> item;
        if (!pl || !c || FAILED(pl->get_Item(index, item.Receive())) || !item) return false;
        return SUCCEEDED(c->playItem(item.Get()));
    }

    bool HasControls() override { return static_cast<bool>(Controls()); }
    bool IsAvailable(const char* what) override {
        bk::ComPtr<IWMPControls> c = Controls();
        Bstr name(what);
        VARIANT_BOOL yes = VARIANT_FALSE;
        return c && SUCCEEDED(c->get_isAvailable(name.Get(), &yes)) && yes;
    }
    bool Play() override {
        bk::ComPtr<IWMPControls> c = Controls();
        return c && SUCCEEDED(c->play());
    }
    bool Pause() override {
        bk::ComPtr<IWMPControls> c = Controls();
        return c && SUCCEEDED(c->pause());
    }
    bool Position(double* seconds) override {
        bk::ComPtr<IWMPControls> c = Controls();
        return c && SUCCEEDED(c->get_currentPosition(seconds));
    }
    bool SetPosition(double seconds) override {
        bk::ComPtr<IWMPControls> c = Controls();
        return c && SUCCEEDED(c->put_currentPosition(seconds));
    }

    bool HasNetwork() override { return static_cast<bool>(Network()); }
    bool BufferingProgress(long* percent) override {
        bk::ComPtr<IWMPNetwork> n = Network();
        LONG v = 0;
        if (!n || FAILED(n->get_bufferingProgress(&v))) return false;
        *percent = v;
        return true;
    }
    bool SetBufferingTime(long ms) override {
        bk::ComPtr<IWMPNetwork> n = Network();
        return n && SUCCEEDED(n->put_bufferingTime(ms));
    }
    HRESULT SetProxySettings(const char* protocol, long setting) override {
        bk::ComPtr<IWMPNetwork> n = Network();
        Bstr p(protocol);
        return n ? n->setProxySettings(p.Get(), setting) : E_POINTER;
    }
    HRESULT SetProxyName(const char* protocol, const char* host) override {
        bk::ComPtr<IWMPNetwork> n = Network();
        Bstr p(protocol), h(host);
        return n ? n->setProxyName(p.Get(), h.Get()) : E_POINTER;
    }
    HRESULT SetProxyPort(const char* protocol, long port) override {
        bk::ComPtr<IWMPNetwork> n = Network();
        Bstr p(protocol);
        return n ? n->setProxyPort(p.Get(), port) : E_POINTER;
    }
    bool ProxyName(const char* protocol, char* out, size_t size) override {
        bk::ComPtr<IWMPNetwork> n = Network();
        Bstr p(protocol), value;
        if (!n || FAILED(n->getProxyName(p.Get(), value.Receive()))) return false;
        return value.CopyTo(out, size);
    }

    bool ErrorQueue(std::vector<ErrorEntry>* entries) override {
        bk::ComPtr<IWMPError> error;
        LONG count = 0;
        if (FAILED(player_->get_Error(error.Receive())) || !error || FAILED(error->get_errorCount(&count)))
            return false;
        for (LONG i = 0; i < count; ++i) {
            bk::ComPtr<IWMPErrorItem> item;
            if (FAILED(error->get_Item(i, item.Receive())) || !item) continue;
            ErrorEntry e = {0, std::string()};
            ReadErrorItem(item.Get(), &e.code, &e.text);
            entries->push_back(e);
        }
        return true;
    }

    bool Connect(IUnknown* sink) override {
        Disconnect();
        bk::ComPtr<IConnectionPointContainer> cpc;
        if (FAILED(player_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(cpc.Receive()))) ||
            !cpc)
            return false;
        // The event interface first; a control that only offers the
        // dispatch form (Wine's) gets the same sink through that one.
        if (FAILED(cpc->FindConnectionPoint(kIidWmpEvents, point_.Receive())) || !point_) {
            if (FAILED(cpc->FindConnectionPoint(kDiidWmpOcxEvents, point_.Receive())) || !point_) {
                point_.Reset();
                return false;
            }
        }
        if (FAILED(point_->Advise(sink, &cookie_))) {
            cookie_ = 0;
            point_.Reset();
            return false;
        }
        return true;
    }
    void Disconnect() override {
        if (point_ && cookie_) point_->Unadvise(cookie_);
        cookie_ = 0;
        point_.Reset();
    }

private:
    static void ReadErrorItem(IWMPErrorItem* item, long* code, std::string* text) {
        LONG c = 0;
        if (SUCCEEDED(item->get_errorCode(&c))) *code = c;
        Bstr d;
        if (SUCCEEDED(item->get_errorDescription(d.Receive()))) *text = olehost::FromBstr(d.Get());
    }
    bk::ComPtr<IWMPMedia> Media() {
        bk::ComPtr<IWMPMedia> m;
        if (FAILED(player_->get_currentMedia(m.Receive()))) m.Reset();
        return m;
    }
    bk::ComPtr<IWMPPlaylist> Playlist() {
        bk::ComPtr<IWMPPlaylist> p;
        if (FAILED(player_->get_currentPlaylist(p.Receive()))) p.Reset();
        return p;
    }
    bk::ComPtr<IWMPControls> Controls() {
        bk::ComPtr<IWMPControls> c;
        if (FAILED(player_->get_controls(c.Receive()))) c.Reset();
        return c;
    }
    bk::ComPtr<IWMPNetwork> Network() {
        bk::ComPtr<IWMPNetwork> n;
        if (FAILED(player_->get_network(n.Receive()))) n.Reset();
        return n;
    }

    olehost::ControlSite* site_;
    bk::ComPtr<IWMPPlayer> player_;
    bk::ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<WmpControl> CreateWmpControl(HWND container) {
    olehost::ControlSite* site = olehost::ControlSite::New();
    RECT none = {0, 0, 0, 0};
    if (FAILED(site->Create(container, kClsidWindowsMediaPlayer, none))) {
        site->Release();
        return nullptr;
    }
    IWMPPlayer* player = nullptr;
    if (!site->Control() ||
        FAILED(site->Control()->QueryInterface(kIidWmpPlayer, reinterpret_cast<void**>(&player))) || !player) {
        site->Destroy();
        site->Release();
        return nullptr;
    }
    return std::unique_ptr<WmpControl>(new RealWmpControl(site, player));
}
