#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "stream_parse.h"
#include "test_audio.h"

namespace {

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(BodyHeaders, RecognisesHeaderBlocksAtTheStartOfTheBody) {
    struct Case {
        const char* body;
        pe::ParseResult result;
        size_t consumed;
        int status;
        uint32_t metaInt;
        const char* name;
    } cases[] = {
        {"ICY 200 OK\r\nicy-name: Radio X\r\nicy-metaint: 8192\r\nicy-br: 128\r\n\r\nAUDIO", pe::ParseResult::Done, 65, 200, 8192, "Radio X"},
        {"icy-name:Y\nicy-metaint:16000\n\n\xFF\xFB", pe::ParseResult::Done, 30, 0, 16000, "Y"},
        {"ICY 404 Resource Not Found\r\n\r\n", pe::ParseResult::Done, 30, 404, 0, ""},
        {"Server: SHOUTcast\r\nicy-metaint: 100\r\n\r\n", pe::ParseResult::Done, 39, 0, 100, ""},
        {"icy-na", pe::ParseResult::NeedMore, 0, 0, 0, ""},
        {"<html><body>", pe::ParseResult::NotPresent, 0, 0, 0, ""},
        {"ICY 200 OK\r\nicy-name: cut", pe::ParseResult::NeedMore, 0, 0, 0, ""},
        {"IC", pe::ParseResult::NeedMore, 0, 0, 0, ""},
        {"\xFF\xFB\x90\x00 frames", pe::ParseResult::NotPresent, 0, 0, 0, ""},
        {"RIFF....WAVE", pe::ParseResult::NotPresent, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        std::string body = c.body;
        pe::BodyHeaders h;
        size_t used = 0;
        EXPECT_EQ(pe::ParseBodyHeaders(U(body), body.size(), &h, &used), c.result) << body;
        if (c.result != pe::ParseResult::Done) continue;
        EXPECT_EQ(used, c.consumed) << body;
        EXPECT_EQ(h.status, c.status) << body;
        EXPECT_EQ(h.metaInt, c.metaInt) << body;
        EXPECT_STREQ(h.name, c.name) << body;
    }
}

TEST(BodyHeaders, EndlessHeaderLinesAreRefused) {
    std::string body = "ICY 200 OK\r\n";
    while (body.size() < 9000) body += "icy-notice: xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\r\n";
    pe::BodyHeaders h;
    size_t used = 0;
    EXPECT_EQ(pe::ParseBodyHeaders(U(body), body.size(), &h, &used), pe::ParseResult::Bad);
}

TEST(IcyDemux, SeparatesAudioFromTitlesAcrossAnySplit) {
    std::string audio(100, 'a');
    std::string stream = audio.substr(0, 40) + pe_test::IcyMetaBlock("First") + audio.substr(40, 40) +
                         std::string(1, '\0') + audio.substr(80, 20);
    // Feed in every piece size, so that the metadata block is cut anywhere.
    for (size_t piece = 1; piece <= stream.size(); ++piece) {
        pe::IcyDemux d(40);
        std::string out;
        bool changedOnce = false;
        for (size_t pos = 0; pos < stream.size(); pos += piece) {
            std::string part = stream.substr(pos, piece);
            std::string buf(part.size(), '\0');
            bool changed = false;
            size_t n = d.Feed(U(part), part.size(), reinterpret_cast<uint8_t*>(&buf[0]), &changed);
            out += buf.substr(0, n);
            changedOnce |= changed;
        }
        EXPECT_EQ(out, audio) << "piece " << piece;
        EXPECT_TRUE(changedOnce);
        EXPECT_STREQ(d.Title(), "First");
    }
}

TEST(IcyDemux, StreamTitleParsing) {
    struct Case {
        const char* meta;
        bool found;
        const char* title;
    } cases[] = {
        {"StreamTitle='Artist - Song';StreamUrl='';", true, "Artist - Song"},
        {"StreamTitle='Rock'n'Roll';", true, "Rock'n'Roll"},
        {"StreamTitle='';", true, ""},
        {"StreamUrl='x';", false, ""},
        {"StreamTitle='unterminated", true, "unterminated"},
    };
    for (const Case& c : cases) {
        char title[64] = "old";
        EXPECT_EQ(pe::ParseStreamTitle(c.meta, strlen(c.meta), title, sizeof title), c.found) << c.meta;
        if (c.found) {
            EXPECT_STREQ(title, c.title) << c.meta;
        }
    }
    // A long title is cut to the buffer.
    std::string longMeta = "StreamTitle='" + std::string(3000, 'x') + "';";
    char small[16];
    EXPECT_TRUE(pe::ParseStreamTitle(longMeta.data(), longMeta.size(), small, sizeof small));
    EXPECT_EQ(strlen(small), 15u);
}

TEST(WavHeader, AcceptsPcmAndRefusesWhatCannotBePlayed) {
    std::string good = pe_test::MakeWav(std::vector<int16_t>(200, 0), 22050);
    pe::WavInfo w;
    ASSERT_EQ(pe::ParseWavHeader(U(good), good.size(), &w), pe::ParseResult::Done);
    EXPECT_EQ(w.channels, 2);
    EXPECT_EQ(w.sampleRate, 22050u);
    EXPECT_EQ(w.dataOffset, 44u);
    EXPECT_EQ(w.dataSize, 400u);
    EXPECT_EQ(pe::ParseWavHeader(U(good), 30, &w), pe::ParseResult::NeedMore);

    struct Mutation {
        size_t offset;
        uint8_t value;
        pe::ParseResult result;
    } cases[] = {
        {20, 3, pe::ParseResult::Bad},      // float samples
        {22, 0, pe::ParseResult::Bad},      // no channels
        {22, 6, pe::ParseResult::Bad},      // six channels
        {34, 24, pe::ParseResult::Bad},     // 24 bits
        {32, 3, pe::ParseResult::Bad},      // block align does not fit
        {0, 'X', pe::ParseResult::NotPresent},
    };
    for (const Mutation& m : cases) {
        std::string bad = good;
        bad[m.offset] = static_cast<char>(m.value);
        EXPECT_EQ(pe::ParseWavHeader(U(bad), bad.size(), &w), m.result) << m.offset;
    }
    // A chunk size that points far beyond any header is no WAV we can play.
    std::string huge = good;
    huge.replace(12, 4, "LIST");
    huge[16] = huge[17] = huge[18] = static_cast<char>(0xFF);
    huge[19] = 0x7F;
    EXPECT_EQ(pe::ParseWavHeader(U(huge), huge.size(), &w), pe::ParseResult::Bad);
}

TEST(Mp3Start, FindsFramesOfRealMp3AndNoneInText) {
    std::string mp3 = pe_test::MakeMp3(pe_test::TestTone(0.5));
    pe::Mp3FrameInfo fi;
    std::string withJunk = "garbage before the frames" + mp3;
    long pos = pe::FindMp3Start(U(withJunk), withJunk.size(), &fi);
    EXPECT_GE(pos, 25);
    EXPECT_EQ(fi.sampleRate, 44100u);
    EXPECT_EQ(fi.bitrate, 128u);
    std::string html = "<html><body>" + std::string(5000, 'x') + "</body></html>";
    EXPECT_EQ(pe::FindMp3Start(U(html), html.size(), &fi), -1);
}

TEST(Playlist, ReadsAsxPlsAndM3u) {
    char entries[4][1024];
    struct Case {
        const char* text;
        int count;
        const char* first;
        const char* second;
    } cases[] = {
        {"<ASX version=\"3.0\"><Entry><Ref href=\"http://a/1\"/></Entry><Entry><REF HREF='http://b/2'/></Entry></ASX>", 2, "http://a/1", "http://b/2"},
        {"[playlist]\r\nNumberOfEntries=2\r\nFile1=http://s1:8000/\r\nTitle1=x\r\nFile2=http://s2/\r\n", 2, "http://s1:8000/", "http://s2/"},
        {"#EXTM3U\n#EXTINF:-1,Radio\nhttp://m/3\nC:\\music\\a.mp3\n", 2, "http://m/3", "C:\\music\\a.mp3"},
        {"just some words\n", 0, "", ""},
    };
    for (const Case& c : cases) {
        int n = pe::ParsePlaylist(c.text, strlen(c.text), entries, 4);
        EXPECT_EQ(n, c.count) << c.text;
        if (n >= 1) {
            EXPECT_STREQ(entries[0], c.first);
        }
        if (n >= 2) {
            EXPECT_STREQ(entries[1], c.second);
        }
    }
    // More entries than room: the rest is dropped, nothing overruns.
    std::string many = "[playlist]\n";
    for (int i = 0; i < 10; ++i) many += "File" + std::to_string(i) + "=http://x/" + std::to_string(i) + "\n";
    EXPECT_EQ(pe::ParsePlaylist(many.data(), many.size(), entries, 4), 4);
    EXPECT_TRUE(pe::LooksLikePlaylistName("http://host/list.PLS?x=1"));
    EXPECT_FALSE(pe::LooksLikePlaylistName("http://host/stream.mp3"));
}

}  // namespace
