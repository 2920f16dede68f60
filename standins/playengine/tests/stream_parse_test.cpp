#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "decoder.h"
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

// An ID3v2.4 tag of `body` bytes whose picture is full of false frame
// headers, as cover art often is.
std::string Id3Tag(size_t body, bool footer = false) {
    std::string tag = "ID3";
    tag += '\x04';
    tag += '\x00';
    tag += static_cast<char>(footer ? 0x10 : 0);
    for (int shift : {21, 14, 7, 0}) tag += static_cast<char>((body >> shift) & 0x7F);
    const std::string picture = "APIC\xFF\xFB\x90\x64junk";
    while (tag.size() < 10 + body) tag += picture;
    tag.resize(10 + body);
    if (footer) tag += "3DI\x04\x00\x10" + tag.substr(6, 4);
    return tag;
}

TEST(Mp3Start, TagsOfAnySizeAreSkipped) {
    uint64_t bytes = 0;
    struct Row {
        std::string head;
        bool tag;
        uint64_t size;
    } rows[] = {
        {Id3Tag(0), true, 10},
        {Id3Tag(300), true, 310},
        {Id3Tag(300, true), true, 320},
        {std::string("ID3\x04\x00\x00\x00\x80\x00\x00", 10), false, 0},   // no synch-safe size
        {std::string("ID3\xFF\x00\x00\x00\x00\x00\x00", 10), false, 0},
        {"ID3\x04", false, 0},                                              // cut short
        {std::string("\xFF\xFB\x90\x64\x00\x00\x00\x00\x00\x00", 10), false, 0},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(pe::Id3v2TagBytes(U(r.head), r.head.size(), &bytes), r.tag) << r.head.size();
        if (r.tag) {
            EXPECT_EQ(bytes, r.size);
        }
    }
    const std::string mp3 = pe_test::MakeMp3(pe_test::TestTone(0.5));
    const std::string tagged = Id3Tag(2000) + mp3;
    pe::Mp3FrameInfo fi;
    EXPECT_EQ(pe::FindMp3Start(U(tagged), tagged.size(), &fi), pe::FindMp3Start(U(mp3), mp3.size(), &fi) + 2010);
}

TEST(Decoder, MusicFileWithLargeCoverArtDecodes) {
    // Cover art of several hundred KiB puts the first frame far behind the
    // first 64 KiB; fed in the pieces a file or a socket hands over.
    const std::string mp3 = pe_test::MakeMp3(pe_test::TestTone(1.0));
    pe::Mp3FrameInfo fi;
    const long firstFrame = pe::FindMp3Start(U(mp3), mp3.size(), &fi);
    ASSERT_GE(firstFrame, 0);
    for (size_t body : {size_t(70 * 1024), size_t(400 * 1024)}) {
        for (size_t piece : {size_t(7), size_t(16384)}) {
            SCOPED_TRACE(std::to_string(body) + " in pieces of " + std::to_string(piece));
            const std::string file = Id3Tag(body) + mp3;
            pe::AudioDecoder d;
            std::vector<int16_t> pcm;
            pe::AudioDecoder::Status last = pe::AudioDecoder::Status::NeedMore;
            for (size_t at = 0; at < file.size(); at += piece) {
                last = d.Feed(U(file) + at, std::min(piece, file.size() - at), &pcm);
                ASSERT_NE(last, pe::AudioDecoder::Status::Unsupported) << at;
            }
            ASSERT_TRUE(d.Known());
            EXPECT_TRUE(d.IsMp3());
            EXPECT_EQ(d.SampleRate(), 44100u);
            EXPECT_EQ(d.HeaderBytes(), static_cast<uint32_t>(body + 10 + static_cast<size_t>(firstFrame)));
            EXPECT_GT(pcm.size(), 2u * 44100 * 8 / 10);
        }
    }
    // Without a tag the limit still holds: 64 KiB of noise is no audio.
    pe::AudioDecoder d;
    std::vector<int16_t> pcm;
    const std::string noise(70 * 1024, 'x');
    EXPECT_EQ(d.Feed(U(noise), noise.size(), &pcm), pe::AudioDecoder::Status::Unsupported);
}

size_t DecodedFrames(const std::string& mp3, std::vector<int16_t>* pcm, uint32_t* rate) {
    pe::AudioDecoder d;
    for (size_t at = 0; at < mp3.size(); at += 4096)
        if (d.Feed(U(mp3) + at, std::min<size_t>(4096, mp3.size() - at), pcm) == pe::AudioDecoder::Status::Unsupported)
            return 0;
    d.Flush(pcm);
    *rate = d.SampleRate();
    return pcm->size() / 2;
}

TEST(Decoder, AStationThatSwitchesRateKeepsItsPitchAndSpeed) {
    // The tone at 44.1 kHz, then at another rate (an insert of lower or
    // higher quality), and back: the whole plays at the first rate, the
    // insert as long as it lasts and at the tone's pitch.
    const std::string first = pe_test::MakeMp3(pe_test::TestTone(1.0));
    struct Insert {
        int rate;
        int kbps;
    } inserts[] = {{22050, 64}, {32000, 96}, {48000, 128}};
    std::vector<int16_t> pcm;
    uint32_t rate = 0;
    const size_t firstFrames = DecodedFrames(first, &pcm, &rate);
    ASSERT_GT(firstFrames, 44100u);
    for (const Insert& i : inserts) {
        SCOPED_TRACE(i.rate);
        const std::string insert = pe_test::MakeMp3(tdtest::SineStereo(1000.0, 1.0, 12000, i.rate), i.rate, i.kbps);
        pcm.clear();
        const size_t insertFrames = DecodedFrames(insert, &pcm, &rate) * 44100 / static_cast<size_t>(i.rate);
        pcm.clear();
        const size_t frames = DecodedFrames(first + insert + first, &pcm, &rate);
        ASSERT_EQ(rate, 44100u);
        EXPECT_NEAR(static_cast<double>(frames), static_cast<double>(2 * firstFrames + insertFrames), 0.02 * 44100);
        // The insert, away from the joins.
        tdtest::ToneStats st = tdtest::Measure(pcm.data() + 2 * (firstFrames + 4410), insertFrames - 2 * 4410);
        EXPECT_NEAR(st.frequency, 1000.0, 30.0);
        EXPECT_GT(st.rms, 4000.0);
    }
}

TEST(Playlist, KnownByTheAddressEnding) {
    EXPECT_TRUE(pe::LooksLikePlaylistName("http://host/list.PLS?x=1"));
    EXPECT_TRUE(pe::LooksLikePlaylistName("file://C:/a/list.asx"));
    EXPECT_FALSE(pe::LooksLikePlaylistName("http://host/stream.mp3"));
    EXPECT_FALSE(pe::LooksLikePlaylistName("http://host/stream.mp3?list.pls=1"));
}

}  // namespace
