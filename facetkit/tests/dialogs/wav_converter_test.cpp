#include <memory>
#include <string>

#include "dialogs_fixture.h"
#include "profile_editors.h"
#include "wav_converter_wnd.h"

namespace {

TEST(WavConverterNames, NamesThatCannotBeFiles) {
    const struct {
        const char* name;
        convert::NameCheck check;
    } cases[] = {
        {"song", convert::NAME_OK},         {"song.mp3", convert::NAME_OK},
        {"console", convert::NAME_OK},      {"COM10", convert::NAME_OK},
        {"a?b", convert::NAME_FORBIDDEN_CHARACTER}, {"x/y", convert::NAME_FORBIDDEN_CHARACTER},
        {"x\\y", convert::NAME_FORBIDDEN_CHARACTER}, {"c:x", convert::NAME_FORBIDDEN_CHARACTER},
        {"a|b", convert::NAME_FORBIDDEN_CHARACTER}, {"\"q\"", convert::NAME_FORBIDDEN_CHARACTER},
        {"con", convert::NAME_RESERVED},    {"NUL.txt", convert::NAME_RESERVED},
        {"com1", convert::NAME_RESERVED},   {"LPT9", convert::NAME_RESERVED},
    };
    for (const auto& c : cases) EXPECT_EQ(convert::CheckMp3Name(c.name), c.check) << c.name;
}

TEST(WavConverterNames, Mp3PathAndProposal) {
    const struct {
        const char* folder;
        const char* name;
        const char* path;
    } cases[] = {
        {"C:\\out\\", "x", "C:\\out\\x.mp3"},
        {"C:\\out", "x", "C:\\out\\x.mp3"},
        {"C:/out/", "x", "C:/out/x.mp3"},
        {"C:\\out", "song.mp3", "C:\\out\\song.mp3.mp3"},
    };
    for (const auto& c : cases) {
        char out[1024] = {};
        EXPECT_TRUE(convert::BuildMp3Path(c.folder, c.name, out, sizeof out));
        EXPECT_STREQ(out, c.path);
    }
    char small[12] = "unchanged";
    EXPECT_FALSE(convert::BuildMp3Path("C:\\out", "long name", small, sizeof small));
    EXPECT_STREQ(small, "") << "a cut path is never handed on";

    char name[64] = {}, folder[64] = {};
    convert::ProposeFromWav("C:\\rec\\Show.part1.wav", name, sizeof name, folder, sizeof folder);
    EXPECT_STREQ(name, "Show.part1");
    EXPECT_STREQ(folder, "C:\\rec");
    convert::ProposeFromWav("bare.wav", name, sizeof name, folder, sizeof folder);
    EXPECT_STREQ(name, "bare");
    EXPECT_STREQ(folder, "");
}

std::string g_chosen;
bool ChooseFixture(const char*, const char*, char* out, int size) {
    bk::TextCopy(out, static_cast<size_t>(size), g_chosen.c_str());
    return !g_chosen.empty();
}
int g_overwrite = 0;
int AnswerOverwrite(cElementHost*, HWND, cResourceManager*, const char*) { return g_overwrite; }

class WavConverterTest : public dlgtest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        folder_.reset(new tdtest::TempFolder("dlgBconv"));
        folder_->Write("Show.part1.wav", std::string(64, 'w'));
        g_chosen = folder_->File("Show.part1.wav");
        cWavConverterWnd::SetFileChooser(&ChooseFixture);
        hooks_ = dlgs::ProfileHooks();
        dlgs::ProfileHooks().confirm = &AnswerOverwrite;
        g_overwrite = 0;
        wnd_.reset(new cWavConverterWnd(nullptr, nullptr, res_.get()));
    }
    void TearDown() override {
        wnd_.reset();
        dlgs::ProfileHooks() = hooks_;
        cWavConverterWnd::SetFileChooser(nullptr);
        folder_.reset();
        DialogTest::TearDown();
    }
    void Progress(WPARAM w, LPARAM l) {
        PostMessageA(wnd_->GetWindow(), 1185, w, l);
        fk::PumpPasses(2);
    }
    std::unique_ptr<tdtest::TempFolder> folder_;
    std::unique_ptr<cWavConverterWnd> wnd_;
    dlgs::ProfileEditorHooks hooks_;
};

TEST_F(WavConverterTest, ChosenWavFillsTheFormAndProgressRunsToTheEnd) {
    Post(wnd_.get(), cWavConverterWnd::BUTTON_BROWSE_WAV);
    EXPECT_EQ(TextOf(wnd_->GetEdit(cWavConverterWnd::EDIT_NAME)), "Show.part1");
    EXPECT_EQ(TextOf(wnd_->GetEdit(cWavConverterWnd::EDIT_FOLDER)), folder_->Path());
    Screenshot(wnd_.get(), "wav_converter_input");
    Post(wnd_.get(), cWavConverterWnd::BUTTON_CONVERT);
    ASSERT_EQ(dlgtest::CallsWithCode(62).size(), 1u);
    EXPECT_EQ(wnd_->GetState(), cWavConverterWnd::STATE_CONVERTING);
    EXPECT_EQ(std::string(wnd_->GetOrder().mp3Path), folder_->File("Show.part1.mp3"));
    EXPECT_EQ(std::string(wnd_->GetOrder().wavPath), g_chosen);
    EXPECT_TRUE(Has(wnd_.get(), cWavConverterWnd::BUTTON_STOP));
    for (int percent : {0, 33, 66}) {
        Progress(100, percent);
        EXPECT_EQ(wnd_->GetPercent(), percent);
    }
    Progress(100, 250);
    EXPECT_EQ(wnd_->GetPercent(), 66) << "a value past 100 is ignored";
    Screenshot(wnd_.get(), "wav_converter_progress");
    Progress(100, 100);
    EXPECT_EQ(wnd_->GetState(), cWavConverterWnd::STATE_FINISHED);
    EXPECT_FALSE(wnd_->IsAborted());
    Progress(0, 0);
    EXPECT_FALSE(wnd_->IsAborted()) << "a late report changes nothing";
    Post(wnd_.get(), cWavConverterWnd::BUTTON_CLOSE);
    EXPECT_FALSE(IsWindow(wnd_->GetWindow()));
    EXPECT_TRUE(dlgtest::CallsWithCode(63).empty());
}

TEST_F(WavConverterTest, InputThatCannotBeConvertedIsTold) {
    Post(wnd_.get(), cWavConverterWnd::BUTTON_CONVERT);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(wnd_->IsMissing(i)) << i;
    EXPECT_TRUE(dlgtest::Notices().empty()) << "missing fields only turn red";

    struct Case {
        const char* wav;
        const char* name;
        const char* folder;
    };
    const std::string wav = folder_->File("Show.part1.wav");
    const Case cases[] = {
        {"C:\\no\\such.wav", "x", "C:\\out"},
        {wav.c_str(), "a?b", folder_->Path().c_str()},
        {wav.c_str(), "nul", folder_->Path().c_str()},
        {wav.c_str(), "Show.part1.wav", folder_->Path().c_str()},   // not the same file: .mp3 is added
    };
    for (const Case& c : cases) {
        dlgtest::Notices().clear();
        Type(wnd_->GetEdit(cWavConverterWnd::EDIT_WAV), c.wav);
        Type(wnd_->GetEdit(cWavConverterWnd::EDIT_NAME), c.name);
        Type(wnd_->GetEdit(cWavConverterWnd::EDIT_FOLDER), c.folder);
        Post(wnd_.get(), cWavConverterWnd::BUTTON_CONVERT);
        if (std::string(c.name) == "Show.part1.wav") {
            EXPECT_EQ(wnd_->GetState(), cWavConverterWnd::STATE_CONVERTING);
        } else {
            EXPECT_EQ(dlgtest::Notices().size(), 1u) << c.name;
            EXPECT_EQ(wnd_->GetState(), cWavConverterWnd::STATE_INPUT) << c.name;
        }
    }
}

TEST_F(WavConverterTest, ExistingMp3IsOnlyReplacedWhenTheUserSaysSo) {
    folder_->Write("Show.part1.mp3", "earlier recording");
    Post(wnd_.get(), cWavConverterWnd::BUTTON_BROWSE_WAV);
    Post(wnd_.get(), cWavConverterWnd::BUTTON_CONVERT);
    EXPECT_TRUE(dlgtest::CallsWithCode(62).empty());
    g_overwrite = 1;
    Post(wnd_.get(), cWavConverterWnd::BUTTON_CONVERT);
    EXPECT_EQ(dlgtest::CallsWithCode(62).size(), 1u);
}

TEST_F(WavConverterTest, StopEndsEvenWhenTheWorkerNeverAnswers) {
    Post(wnd_.get(), cWavConverterWnd::BUTTON_BROWSE_WAV);
    Post(wnd_.get(), cWavConverterWnd::BUTTON_CONVERT);
    Post(wnd_.get(), cWavConverterWnd::BUTTON_CANCEL);
    EXPECT_TRUE(IsWindow(wnd_->GetWindow())) << "cancel is the stop button now";
    Post(wnd_.get(), cWavConverterWnd::BUTTON_STOP);
    EXPECT_EQ(dlgtest::CallsWithCode(63).size(), 1u);
    dlgs::PumpFor(cWavConverterWnd::STOP_WAIT_MS + 500);
    EXPECT_EQ(wnd_->GetState(), cWavConverterWnd::STATE_FINISHED);
    EXPECT_TRUE(wnd_->IsAborted());
    EXPECT_TRUE(Has(wnd_.get(), cWavConverterWnd::BUTTON_CLOSE));
}

}  // namespace
