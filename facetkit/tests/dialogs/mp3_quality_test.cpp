#include <memory>
#include <string>

#include "dialogs_fixture.h"
#include "mp3_quality_wnd.h"

namespace {

class Mp3QualityTest : public dlgtest::DialogTest {
protected:
    std::unique_ptr<cMp3QualityWnd> Open() {
        return std::unique_ptr<cMp3QualityWnd>(new cMp3QualityWnd(nullptr, nullptr, res_.get()));
    }
    static std::string Stored(const char* key) {
        char text[64] = {};
        GetValue(key, text, sizeof text);
        return text;
    }
};

TEST_F(Mp3QualityTest, StoredValuesAreShownAsTheirEntries) {
    struct Case {
        const char* rate;
        const char* art;
        const char* vbr;
        const char* shownRate;
        int channelEntry;
        int vbrStatus;
    };
    const Case cases[] = {
        {"192", "STEREO", "1", "192 kbit/s", 0, 1},
        {"32", "JSTEREO", "0", " 32 kbit/s", 1, 2},
        {"100", "stereo", "", "128 kbit/s", 1, 2},           // not in the list; the case of the mode counts
        {"99999999999", "", "yes", "128 kbit/s", 1, 2},
    };
    for (const Case& c : cases) {
        dlgtest::ScopedValue rate("MP3_Bitrate", c.rate), art("STEREO_ART", c.art), vbr("MP3_VBR", c.vbr);
        auto wnd = Open();
        EXPECT_EQ(TextOf(wnd->GetList(cMp3QualityWnd::LIST_BITRATE)), c.shownRate) << c.rate;
        EXPECT_EQ(wnd->GetList(cMp3QualityWnd::LIST_CHANNELS)->GetCurSel(), c.channelEntry) << c.art;
        EXPECT_EQ(Status(wnd.get(), cMp3QualityWnd::BOX_VBR), c.vbrStatus) << c.vbr;
        if (std::string(c.rate) == "192") Screenshot(wnd.get(), "mp3_quality_editor");
        Post(wnd.get(), cMp3QualityWnd::BUTTON_CANCEL);
        EXPECT_EQ(Stored("MP3_Bitrate"), c.rate) << "cancel stores nothing";
    }
}

TEST_F(Mp3QualityTest, SaveStoresTheThreeSettings) {
    dlgtest::ScopedValue rate("MP3_Bitrate", "128"), art("STEREO_ART", "STEREO"), vbr("MP3_VBR", "0");
    auto wnd = Open();
    Choose(wnd->GetList(cMp3QualityWnd::LIST_BITRATE), 13);
    Choose(wnd->GetList(cMp3QualityWnd::LIST_CHANNELS), 1);
    Click(wnd.get(), cMp3QualityWnd::BOX_VBR);
    Post(wnd.get(), cMp3QualityWnd::BUTTON_SAVE);
    EXPECT_FALSE(IsWindow(wnd->GetWindow()));
    EXPECT_EQ(Stored("MP3_Bitrate"), "32");
    EXPECT_EQ(Stored("MP3_VBR"), "1");
    EXPECT_EQ(Stored("STEREO_ART"), "JSTEREO");
}

TEST_F(Mp3QualityTest, ChoiceFormHandsBackAndStoresNothing) {
    dlgtest::ScopedValue rate("MP3_Bitrate", "128"), art("STEREO_ART", "STEREO"), vbr("MP3_VBR", "0");
    host_.m_MP3VBR = 1;
    int bitRate = 100, channels = -1, vbrFlag = -1;
    std::unique_ptr<cMp3QualityWnd> wnd(
        new cMp3QualityChoiceWnd(nullptr, nullptr, res_.get(), &bitRate, &channels, &vbrFlag));
    EXPECT_EQ(TextOf(wnd->GetList(cMp3QualityWnd::LIST_BITRATE)), "320 kbit/s");
    EXPECT_EQ(wnd->GetList(cMp3QualityWnd::LIST_CHANNELS)->GetCurSel(), 0) << "stored mode for -1";
    EXPECT_EQ(vbrFlag, 1) << "the player's VBR for -1";
    EXPECT_EQ(Status(wnd.get(), cMp3QualityWnd::BOX_VBR), 1);
    Choose(wnd->GetList(cMp3QualityWnd::LIST_BITRATE), 13);
    Choose(wnd->GetList(cMp3QualityWnd::LIST_CHANNELS), 1);
    Post(wnd.get(), cMp3QualityWnd::BUTTON_SAVE);
    EXPECT_EQ(bitRate, 32);
    EXPECT_EQ(channels, 1);
    EXPECT_EQ(vbrFlag, 1);
    EXPECT_EQ(Stored("MP3_Bitrate"), "128");
    EXPECT_EQ(Stored("STEREO_ART"), "STEREO");
    EXPECT_EQ(Stored("MP3_VBR"), "0");
}

}  // namespace
