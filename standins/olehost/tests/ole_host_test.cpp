// The container against a real control of the platform: Wine's Media Player
// 7+ control, which activates in place only in a site that also answers
// IOleInPlaceSiteEx, and fires its events through a dispatch interface.
#include <gtest/gtest.h>

#include <wmp.h>

#include "ole_host.h"
#include "tdtest.h"

namespace {

// {6BF52A52-394A-11d3-B153-00C04F79FAA6}
const CLSID kWmpClsid = {0x6BF52A52, 0x394A, 0x11D3, {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6}};
// Its event dispatch interface {6BF52A51-394A-11D3-B153-00C04F79FAA6}.
const IID kWmpEventsIid = {0x6BF52A51, 0x394A, 0x11D3, {0xB1, 0x53, 0x00, 0xC0, 0x4F, 0x79, 0xFA, 0xA6}};

class OleHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        host = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                               nullptr);
        ASSERT_TRUE(host);
    }
    void TearDown() override {
        DestroyWindow(host);
        OleUninitialize();
    }
    HWND host = nullptr;
};

TEST_F(OleHostTest, HostsAControlInPlaceAndReceivesItsEvents) {
    olehost::ControlSite* site = olehost::ControlSite::New();
    RECT rc = {0, 0, 392, 273};
    ASSERT_EQ(site->Create(host, kWmpClsid, rc), S_OK);
    // In-place activation gave the control a window inside ours.
    EXPECT_TRUE(GetWindow(host, GW_CHILD));

    int fired = 0;
    olehost::EventSink* sink = olehost::EventSink::New([&](DISPID, DISPPARAMS*) { ++fired; });
    ASSERT_EQ(sink->Connect(site->Control(), &kWmpEventsIid), S_OK);

    // Opening a local file makes the control report state changes.
    tdtest::TempFolder tmp;
    std::string wav = "RIFF";
    const unsigned char hdr[] = {36, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0,
                                 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    wav.append(reinterpret_cast<const char*>(hdr), sizeof hdr);
    tmp.Write("silence.wav", wav);
    IWMPPlayer4* player = nullptr;
    ASSERT_EQ(site->Control()->QueryInterface(__uuidof(IWMPPlayer4), reinterpret_cast<void**>(&player)), S_OK);
    BSTR url = olehost::ToBstr(tmp.File("silence.wav").c_str());
    EXPECT_EQ(player->put_URL(url), S_OK);
    SysFreeString(url);
    EXPECT_TRUE(tdtest::WaitFor([&] { return fired > 0; }, 30000));

    player->Release();
    sink->Disconnect();
    sink->Release();
    site->Destroy();
    site->Release();
}

TEST_F(OleHostTest, AnUnknownClassLeavesNothingCreated) {
    olehost::ControlSite* site = olehost::ControlSite::New();
    const CLSID none = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    RECT rc = {0, 0, 10, 10};
    EXPECT_EQ(site->Create(host, none, rc), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(site->Control(), nullptr);
    EXPECT_EQ(site->Dispatch(), nullptr);
    site->Release();
}

}  // namespace
