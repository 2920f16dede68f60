// The stand-in control as a container sees it: created by class id through
// COM, driven through its dispatch members, heard on the null sink.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mp64_ids.h"
#include "ole_host.h"
#include "tdtest.h"
#include "test_audio.h"

namespace {

using olehost::InvokeHelper;

const VARTYPE kNone[] = {VT_EMPTY};
const VARTYPE kText[] = {VT_BSTR, VT_EMPTY};
const VARTYPE kLong[] = {VT_I4, VT_EMPTY};
const VARTYPE kBool[] = {VT_BOOL, VT_EMPTY};

struct Fired {
    DISPID id;
    long a, b;
};

// A container in miniature: a window, the site, the event sink.
class Mp64ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        // No proxy or buffer setting of an earlier test (the registration
        // creates the player's settings keys afresh, empty).
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\NetShow");
        ASSERT_EQ(pe_test::CallRegistration("mp64control.dll", "DllRegisterServer"), S_OK);
        OleInitialize(nullptr);
        host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
        site = olehost::ControlSite::New();
        RECT rc = {0, 0, 300, 200};
        ASSERT_EQ(site->Create(host, mp64::kClsid, rc), S_OK);
        sink = olehost::EventSink::New([this](DISPID id, DISPPARAMS* p) {
            fired.push_back({id, olehost::EventArgLong(p, 0, -1), olehost::EventArgLong(p, 1, -1)});
            // What a container does: play once the control is ready.
            if (id == mp64::kEvReadyStateChange && olehost::EventArgLong(p, 0) == mp64::kReadyInteractive && autoPlay)
                InvokeHelper(site->Dispatch(), mp64::kPlay, DISPATCH_METHOD, VT_EMPTY, nullptr, kNone);
        });
        ASSERT_EQ(sink->Connect(site->Control()), S_OK);
    }
    void TearDown() override {
        if (sink) {
            sink->Disconnect();
            sink->Release();
        }
        if (site) {
            site->Destroy();
            site->Release();
        }
        if (host) DestroyWindow(host);
        OleUninitialize();
    }
    long GetLong(DISPID id) {
        long v = -1;
        EXPECT_EQ(InvokeHelper(site->Dispatch(), id, DISPATCH_PROPERTYGET, VT_I4, &v, kNone), S_OK);
        return v;
    }
    bool WaitEvent(DISPID id, long b, DWORD ms, size_t* from) {
        return tdtest::WaitFor(
            [&] {
                for (; *from < fired.size(); ++*from) {
                    const Fired& f = fired[*from];
                    if (f.id == id && (b == -2 || f.b == b || (f.b == -1 && f.a == b))) {
                        ++*from;
                        return true;
                    }
                }
                return false;
            },
            ms);
    }

    HWND host = nullptr;
    olehost::ControlSite* site = nullptr;
    olehost::EventSink* sink = nullptr;
    std::vector<Fired> fired;
    bool autoPlay = true;
    tdtest::HttpServer server;
};

TEST_F(Mp64ControlTest, OpensAStationPlaysPausesAndStops) {
    pe_test::IcyStreamOptions o;
    o.audio = pe_test::MakeMp3(pe_test::TestTone(4.0));
    o.bytesPerSecond = 16000;
    server.Route("/live", [&](const tdtest::HttpRequest&) { return pe_test::IcyStream(o); });

    size_t at = 0;
    ASSERT_EQ(InvokeHelper(site->Dispatch(), mp64::kOpen, DISPATCH_METHOD, VT_EMPTY, nullptr, kText,
                           server.Url("/live").c_str()),
              S_OK);
    ASSERT_TRUE(WaitEvent(mp64::kEvReadyStateChange, mp64::kReadyLoading, 5000, &at));
    ASSERT_TRUE(WaitEvent(mp64::kEvOpenStateChange, 6, 10000, &at));
    ASSERT_TRUE(WaitEvent(mp64::kEvReadyStateChange, mp64::kReadyInteractive, 5000, &at));
    ASSERT_TRUE(WaitEvent(mp64::kEvBuffering, VARIANT_TRUE, 5000, &at));
    EXPECT_EQ(GetLong(mp64::kPlayState), 3);
    ASSERT_TRUE(WaitEvent(mp64::kEvPlayStateChange, 2, 10000, &at));
    ASSERT_TRUE(WaitEvent(mp64::kEvBuffering, VARIANT_FALSE, 5000, &at));
    EXPECT_EQ(GetLong(mp64::kBufferingProgress), 100);
    EXPECT_EQ(GetLong(mp64::kOpenState), 6);
    EXPECT_EQ(GetLong(mp64::kEntryCount), 1);
    EXPECT_EQ(GetLong(mp64::kBandwidth), 128000);
    long entry = 0;
    EXPECT_EQ(InvokeHelper(site->Dispatch(), mp64::kGetCurrentEntry, DISPATCH_METHOD, VT_I4, &entry, kNone), S_OK);
    EXPECT_EQ(entry, 1);

    std::string title, author;
    ASSERT_TRUE(tdtest::WaitFor(
        [&] {
            InvokeHelper(site->Dispatch(), mp64::kGetMediaInfoString, DISPATCH_METHOD, VT_BSTR, &title, kLong,
                         mp64::kInfoTitle);
            return !title.empty();
        },
        5000));
    EXPECT_EQ(title, "Test Artist - Test Tone");
    InvokeHelper(site->Dispatch(), mp64::kGetMediaInfoString, DISPATCH_METHOD, VT_BSTR, &author, kLong,
                 mp64::kInfoAuthor);
    EXPECT_EQ(author, "Test Radio");

    tdtest::ToneStats st;
    EXPECT_TRUE(pe_test::HearTone(800, 4000, &st)) << "rms " << st.rms << " freq " << st.frequency;
    double position = 0;
    EXPECT_EQ(InvokeHelper(site->Dispatch(), mp64::kCurrentPosition, DISPATCH_PROPERTYGET, VT_R8, &position, kNone), S_OK);
    EXPECT_GT(position, 0.5);

    InvokeHelper(site->Dispatch(), mp64::kPause, DISPATCH_METHOD, VT_EMPTY, nullptr, kNone);
    ASSERT_TRUE(WaitEvent(mp64::kEvPlayStateChange, 1, 3000, &at));
    InvokeHelper(site->Dispatch(), mp64::kPlay, DISPATCH_METHOD, VT_EMPTY, nullptr, kNone);
    ASSERT_TRUE(WaitEvent(mp64::kEvPlayStateChange, 2, 3000, &at));

    InvokeHelper(site->Dispatch(), mp64::kStop, DISPATCH_METHOD, VT_EMPTY, nullptr, kNone);
    ASSERT_TRUE(WaitEvent(mp64::kEvPlayStateChange, 0, 3000, &at));
    ASSERT_EQ(InvokeHelper(site->Dispatch(), mp64::kFileName, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, kText, ""), S_OK);
    ASSERT_TRUE(WaitEvent(mp64::kEvOpenStateChange, 0, 3000, &at));
}

TEST_F(Mp64ControlTest, ErrorsAreFiredAndReadable) {
    server.Route("/missing", [](const tdtest::HttpRequest&) { return tdtest::HttpResponse::Text(404, "gone"); });
    size_t at = 0;
    ASSERT_EQ(InvokeHelper(site->Dispatch(), mp64::kFileName, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, kText,
                           server.Url("/missing").c_str()),
              S_OK);
    ASSERT_TRUE(WaitEvent(mp64::kEvError, -2, 10000, &at));
    int hasError = 0;
    EXPECT_EQ(InvokeHelper(site->Dispatch(), mp64::kHasError, DISPATCH_PROPERTYGET, VT_BOOL, &hasError, kNone), S_OK);
    EXPECT_EQ(hasError, 1);
    std::string text;
    EXPECT_EQ(InvokeHelper(site->Dispatch(), mp64::kErrorDescription, DISPATCH_PROPERTYGET, VT_BSTR, &text, kNone), S_OK);
    EXPECT_NE(text.find("404"), std::string::npos) << text;
    EXPECT_EQ(GetLong(mp64::kPlayState), 0);
    EXPECT_EQ(GetLong(mp64::kOpenState), 0);
}

TEST_F(Mp64ControlTest, MembersTheContainerSetsAndUnknownOnes) {
    IDispatch* d = site->Dispatch();
    // The BOOL settings a container makes after creation read back.
    struct Flag {
        DISPID id;
        int value;
    } flags[] = {{1062, 1}, {1069, 1}, {1021, 0}, {1020, 0}, {1017, 1}, {1018, 0}, {-514, 0}};
    for (const Flag& f : flags) {
        ASSERT_EQ(InvokeHelper(d, f.id, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, kBool, f.value), S_OK) << f.id;
        int back = -1;
        ASSERT_EQ(InvokeHelper(d, f.id, DISPATCH_PROPERTYGET, VT_BOOL, &back, kNone), S_OK);
        EXPECT_EQ(back, f.value) << f.id;
    }
    EXPECT_EQ(InvokeHelper(d, 4711, DISPATCH_METHOD, VT_EMPTY, nullptr, kNone), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(InvokeHelper(d, mp64::kOpen, DISPATCH_METHOD, VT_EMPTY, nullptr, kNone), DISP_E_BADPARAMCOUNT);
    // Nothing opened: stopped, closed, no entries.
    EXPECT_EQ(GetLong(mp64::kPlayState), 0);
    EXPECT_EQ(GetLong(mp64::kOpenState), 0);
    EXPECT_EQ(GetLong(mp64::kEntryCount), 0);
    // Names resolve for late-bound callers.
    LPOLESTR name = const_cast<LPOLESTR>(L"PlayState");
    DISPID id = 0;
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, mp64::kPlayState);
}

TEST(Mp64Registration, WithoutRegistrationTheControlCannotBeCreated) {
    ASSERT_EQ(pe_test::CallRegistration("mp64control.dll", "DllUnregisterServer"), S_OK);
    OleInitialize(nullptr);
    IUnknown* unk = nullptr;
    HRESULT hr = CoCreateInstance(mp64::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&unk));
    EXPECT_EQ(hr, REGDB_E_CLASSNOTREG);
    if (unk) unk->Release();
    ASSERT_EQ(pe_test::CallRegistration("mp64control.dll", "DllRegisterServer"), S_OK);
    hr = CoCreateInstance(mp64::kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&unk));
    EXPECT_EQ(hr, S_OK);
    if (unk) unk->Release();
    OleUninitialize();
}

}  // namespace
