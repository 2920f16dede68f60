#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "profiles.h"
#include "registry.h"
#include "tdtest.h"

namespace {

class ProfilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        GetValue("PathUser", oldPath_, sizeof oldPath_);
        SetValue("PathUser", (folder_.Path() + "\\").c_str());
    }
    void TearDown() override { SetValue("PathUser", oldPath_[0] ? oldPath_ : nullptr); }

    struct Quality {
        int sps, bps, nch, language;
    };
    static Quality GetQuality(const char* name) {
        Quality q = {-9, -9, -9, -9};
        GetRecQualitySettings(name, &q.sps, &q.bps, &q.nch, &q.language);
        return q;
    }
    struct Cut {
        int type, value, folder, language;
        bool operator==(const Cut& o) const {
            return type == o.type && value == o.value && folder == o.folder && language == o.language;
        }
    };
    static Cut GetCut(const char* name) {
        Cut c = {-9, -9, -9, -9};
        GetAutoCutSettings(name, &c.type, &c.value, &c.folder, &c.language);
        return c;
    }
    static std::vector<std::string> Formate() {
        std::vector<char> buf(65536);
        ReadFormate(buf.data(), static_cast<int>(buf.size()));
        std::vector<std::string> names;
        for (const char* p = buf.data(); *p; p += strlen(p) + 1) names.emplace_back(p);
        return names;
    }
    // Section names in the order the file lists them.
    std::vector<std::string> Sections(const char* file) const {
        std::vector<std::string> names;
        const std::string text = folder_.Read(file);
        for (size_t at = text.find('['); at != std::string::npos; at = text.find('[', at + 1))
            names.push_back(text.substr(at + 1, text.find(']', at) - at - 1));
        return names;
    }

    tdtest::TempFolder folder_{"prof"};
    char oldPath_[512] = "";
};

TEST_F(ProfilesTest, MissingProfilesReadAsDefaults) {
    Quality q = GetQuality("gibt es nicht");
    EXPECT_EQ(44100, q.sps);
    EXPECT_EQ(16, q.bps);
    EXPECT_EQ(2, q.nch);
    EXPECT_EQ(-1, q.language);
    EXPECT_TRUE((GetCut("gibt es nicht") == Cut{0, 20, 0, -1}));
    folder_.Write("schneiden.ini", "[halb]\r\nVALUE=abc\r\n");
    EXPECT_TRUE((GetCut("halb") == Cut{0, 0, 0, -1}));   // present but not a number

    // Null outputs: nothing is read or written.
    int sps = 1, bps = 2, language = 3;
    GetRecQualitySettings("x", &sps, &bps, nullptr, &language);
    EXPECT_EQ(1, sps);
    EXPECT_EQ(3, language);
    GetRecQualitySettings("x", &sps, &bps, &bps, nullptr);
    EXPECT_EQ(44100, sps);
    EXPECT_EQ(3, language);
}

TEST_F(ProfilesTest, QualityProfilesRoundTripAndKeepTheirLanguage) {
    ASSERT_EQ(1, SetRecQualitySettings("CD", 44100, 16, 2));
    ASSERT_EQ(1, SetRecQualitySettings("Sprache", 22050, 8, 1));
    Quality q = GetQuality("Sprache");
    EXPECT_EQ(22050, q.sps);
    EXPECT_EQ(8, q.bps);
    EXPECT_EQ(1, q.nch);
    EXPECT_EQ(-1, q.language);
    EXPECT_NE(std::string::npos, folder_.Read("formate.ini").find("LANGUAGE=-1"));

    folder_.Write("formate.ini", folder_.Read("formate.ini") + "[Englisch]\r\nSPS=1\r\nLANGUAGE=1\r\n");
    ASSERT_EQ(1, SetRecQualitySettings("Englisch", 48000, 24, 2));
    q = GetQuality("Englisch");
    EXPECT_EQ(48000, q.sps);
    EXPECT_EQ(1, q.language);
    EXPECT_EQ((std::vector<std::string>{"CD", "Sprache", "Englisch"}), Formate());

    ASSERT_EQ(1, DeleteRecQualitySettings("Sprache"));
    EXPECT_EQ((std::vector<std::string>{"CD", "Englisch"}), Formate());
    EXPECT_EQ(22050 * 0 + 44100, GetQuality("Sprache").sps);
    EXPECT_FALSE(folder_.Exists("formate.ini.tmp"));
}

TEST_F(ProfilesTest, CutProfilesRoundTrip) {
    ASSERT_EQ(1, SetAutoCutSettings("Stunde", 1, 60, 1, 0));
    ASSERT_EQ(1, SetAutoCutSettings("Gross", 2, 650, 0, -1));
    EXPECT_TRUE((GetCut("Stunde") == Cut{1, 60, 1, 0}));
    EXPECT_TRUE((GetCut("gross") == Cut{2, 650, 0, -1}));   // names ignore case, as the profile API's
    ASSERT_EQ(1, SetAutoCutSettings("Stunde", 1, 45, 0, 1));
    EXPECT_TRUE((GetCut("Stunde") == Cut{1, 45, 0, 1}));
    ASSERT_EQ(1, DeleteAutoCutSettings("Stunde"));
    EXPECT_TRUE((GetCut("Stunde") == Cut{0, 20, 0, -1}));
    EXPECT_EQ((std::vector<std::string>{"Gross"}), Sections("schneiden.ini"));
}

TEST_F(ProfilesTest, EmptyAndOddNames) {
    EXPECT_EQ(0, SetRecQualitySettings("", 1, 2, 3));
    EXPECT_EQ(0, SetRecQualitySettings(nullptr, 1, 2, 3));
    EXPECT_EQ(0, SetAutoCutSettings("", 1, 2, 3, 4));
    EXPECT_FALSE(folder_.Exists("formate.ini"));
    EXPECT_FALSE(folder_.Exists("schneiden.ini"));
    ASSERT_EQ(1, SetAutoCutSettings("bleibt", 1, 2, 0, -1));
    const std::string before = folder_.Read("schneiden.ini");
    EXPECT_EQ(0, DeleteAutoCutSettings(""));
    EXPECT_EQ(0, DeleteRecQualitySettings(""));
    EXPECT_EQ(before, folder_.Read("schneiden.ini"));

    // Brackets and line breaks cannot open sections of their own.
    ASSERT_EQ(1, SetAutoCutSettings("a]b\r\n[c", 1, 33, 0, -1));
    EXPECT_TRUE((GetCut("a]b\r\n[c") == Cut{1, 33, 0, -1}));
    EXPECT_EQ((std::vector<std::string>{"bleibt", "a b   c"}), Sections("schneiden.ini"));
    ASSERT_EQ(1, DeleteAutoCutSettings("a]b\r\n[c"));
    EXPECT_EQ((std::vector<std::string>{"bleibt"}), Sections("schneiden.ini"));
}

TEST_F(ProfilesTest, SortOrdersByKindThenValue) {
    EXPECT_EQ(0, SortAutoCutSettings());   // no file: none is made
    EXPECT_FALSE(folder_.Exists("schneiden.ini"));
    const int kTime = 1, kSize = 2;
    SetAutoCutSettings("Zeit 30", kTime, 30, 1, 0);
    SetAutoCutSettings("Groesse 10", kSize, 10, 0, -1);
    SetAutoCutSettings("Zeit 10", kTime, 10, 0, 1);
    ASSERT_EQ(1, SortAutoCutSettings());
    EXPECT_EQ((std::vector<std::string>{"Zeit 10", "Zeit 30", "Groesse 10"}), Sections("schneiden.ini"));
    EXPECT_TRUE((GetCut("Zeit 30") == Cut{kTime, 30, 1, 0}));
    EXPECT_TRUE((GetCut("Zeit 10") == Cut{kTime, 10, 0, 1}));
}

// More names than the first buffer holds, and more rows than a fixed table
// would: every profile survives the sort.
TEST_F(ProfilesTest, SortNeverLosesAProfile) {
    std::string text;
    const int n = 1500;
    for (int i = 0; i < n; ++i) {
        int type = (i * 7) % 3, value = (i * 13) % 97;
        text += "[Profil mit einem recht langen Namen " + std::to_string(i) + "]\r\nCUT_TYPE=" + std::to_string(type) +
                "\r\nVALUE=" + std::to_string(value) + "\r\nFOLDER=1\r\nLANGUAGE=" + std::to_string(i) + "\r\n";
    }
    folder_.Write("schneiden.ini", text);
    ASSERT_EQ(1, SortAutoCutSettings());
    std::vector<std::string> names = Sections("schneiden.ini");
    ASSERT_EQ(static_cast<size_t>(n), names.size());
    // The profile's number tells the values it must still carry.
    std::vector<bool> seen(n, false);
    std::pair<int, int> prev = {-1, -1};
    for (const std::string& name : names) {
        int i = atoi(name.substr(name.rfind(' ') + 1).c_str());
        ASSERT_TRUE(i >= 0 && i < n && !seen[i]) << name;
        seen[i] = true;
        std::pair<int, int> key = {(i * 7) % 3, (i * 13) % 97};
        EXPECT_LE(prev, key) << name;
        prev = key;
    }
    Cut sample = GetCut("Profil mit einem recht langen Namen 1234");
    EXPECT_TRUE((sample == Cut{(1234 * 7) % 3, (1234 * 13) % 97, 1, 1234}));
}

TEST_F(ProfilesTest, AFailedWriteLeavesThePreviousFile) {
    ASSERT_EQ(1, SetAutoCutSettings("alt", 1, 10, 0, -1));
    const std::string before = folder_.Read("schneiden.ini");
    ASSERT_TRUE(CreateDirectoryA(folder_.File("schneiden.ini.tmp").c_str(), nullptr));
    EXPECT_EQ(0, SetAutoCutSettings("neu", 1, 20, 0, -1));
    EXPECT_EQ(0, SortAutoCutSettings());
    EXPECT_EQ(before, folder_.Read("schneiden.ini"));
    RemoveDirectoryA(folder_.File("schneiden.ini.tmp").c_str());

    SetValue("PathUser", static_cast<const char*>(nullptr));
    EXPECT_EQ(0, SetAutoCutSettings("nirgends", 1, 20, 0, -1));
    EXPECT_TRUE((GetCut("alt") == Cut{0, 20, 0, -1}));
    std::vector<char> buf(16, 'x');
    ReadFormate(buf.data(), 16);
    EXPECT_EQ(0, buf[0]);
}

}  // namespace
