#include <gtest/gtest.h>

#include <vector>

#include "mp3_frame_header.h"

namespace {

struct HeaderCase {
    const char* what;
    unsigned char bytes[4];
    bool valid;
    unsigned bitrate;
};

const HeaderCase kHeaders[] = {
    {"MPEG-1 Layer III 128", {0xFF, 0xFB, 0x90, 0x64}, true, 128},
    {"MPEG 2.5 Layer III 8", {0xFF, 0xE3, 0x18, 0xC4}, true, 8},
    {"MPEG-2 Layer III 32", {0xFF, 0xF3, 0x48, 0xC4}, true, 32},
    {"MPEG-1 Layer III top rate", {0xFF, 0xFB, 0xE0, 0x00}, true, 320},
    {"MPEG-1 Layer II top rate", {0xFF, 0xFD, 0xE0, 0x00}, true, 384},
    {"MPEG-1 Layer I top rate", {0xFF, 0xFF, 0xE0, 0x00}, true, 448},
    {"MPEG-1 Layer I lowest rate", {0xFF, 0xFF, 0x10, 0x00}, true, 32},
    {"MPEG-2 Layer I", {0xFF, 0xF7, 0xD0, 0x00}, true, 224},
    {"MPEG-2 Layer II top rate", {0xFF, 0xF5, 0xE0, 0x00}, true, 160},
    {"emphasis 50/15 us", {0xFF, 0xFB, 0x90, 0x01}, true, 128},
    {"emphasis CCITT", {0xFF, 0xFB, 0x90, 0x03}, true, 128},
    {"free format", {0xFF, 0xFB, 0x00, 0x00}, false, 0},
    {"bad bit-rate index", {0xFF, 0xFB, 0xF0, 0x00}, false, 0},
    {"reserved emphasis", {0xFF, 0xFD, 0xA0, 0x02}, false, 0},
    {"reserved version", {0xFF, 0xEB, 0x90, 0x00}, false, 0},
    {"reserved layer", {0xFF, 0xF9, 0x90, 0x00}, false, 0},
    {"reserved sample rate", {0xFF, 0xFB, 0x9C, 0x00}, false, 0},
    {"first byte not FF", {0xFE, 0xFB, 0x90, 0x64}, false, 0},
    {"sync one bit short", {0xFF, 0xDB, 0x90, 0x64}, false, 0},
    {"all zero", {0x00, 0x00, 0x00, 0x00}, false, 0},
    {"all ones", {0xFF, 0xFF, 0xFF, 0xFF}, false, 0},
};

TEST(Mp3FrameHeader, ValidityAndBitrateOfRealAndMalformedHeaders) {
    for (const HeaderCase& c : kHeaders) {
        cMp3FrameHeader h;
        h.Set(c.bytes);
        EXPECT_EQ(h.IsValid(), c.valid) << c.what;
        // A header that is not valid must never index outside the table.
        EXPECT_EQ(h.GetBitrate(), c.bitrate) << c.what;
    }
}

TEST(Mp3FrameHeader, FieldsComeFromTheirBits) {
    const unsigned char bytes[4] = {0xFF, 0xE3, 0x18, 0xC6};
    cMp3FrameHeader h;
    h.Set(bytes);
    EXPECT_EQ(h.GetValue(), 0xFFE318C6u);
    EXPECT_EQ(h.GetSync(), 2047u);
    EXPECT_EQ(h.GetVersionId(), unsigned(cMp3FrameHeader::VERSION_25));
    EXPECT_EQ(h.GetLayer(), unsigned(cMp3FrameHeader::LAYER_3));
    EXPECT_EQ(h.GetBitrateIndex(), 1u);
    EXPECT_EQ(h.GetSampleRateIndex(), 2u);
    EXPECT_EQ(h.GetEmphasis(), 2u);
}

TEST(Mp3FrameHeader, EveryBitrateOfEveryRowMatchesTheStandard) {
    struct Row {
        unsigned char second;
        unsigned rates[14];
    };
    const Row rows[] = {
        {0xFF, {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}},
        {0xFD, {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384}},
        {0xFB, {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {0xF7, {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256}},
        {0xF5, {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
        {0xF3, {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
        {0xE3, {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
    };
    for (const Row& r : rows) {
        for (unsigned index = 1; index <= 14; ++index) {
            const unsigned char bytes[4] = {0xFF, r.second, static_cast<unsigned char>(index << 4), 0};
            cMp3FrameHeader h;
            h.Set(bytes);
            EXPECT_EQ(h.GetBitrate(), r.rates[index - 1]) << std::hex << unsigned(r.second) << " index " << index;
        }
    }
}

TEST(Mp3FrameHeader, ScanFindsTheFirstValidHeaderWithinTheBuffer) {
    const std::vector<unsigned char> header = {0xFF, 0xFB, 0x90, 0x64};
    struct ScanCase {
        const char* what;
        std::vector<unsigned char> data;
        long long offset;
    };
    std::vector<unsigned char> afterTag = {'I', 'D', '3', 0xFF, 0x00, 0xFF, 0xFB, 0x00, 0x00, 0xFF};
    afterTag.insert(afterTag.end(), header.begin(), header.end());
    std::vector<unsigned char> cutAtEnd = {0, 0, 0xFF, 0xFB, 0x90};
    std::vector<unsigned char> lastPosition = {0, 0};
    lastPosition.insert(lastPosition.end(), header.begin(), header.end());
    const ScanCase cases[] = {
        {"empty", {}, -1},
        {"three bytes", {0xFF, 0xFB, 0x90}, -1},
        {"header at 0", header, 0},
        {"false syncs before the header", afterTag, 10},
        {"header cut at the end", cutAtEnd, -1},
        {"header in the last four bytes", lastPosition, 2},
    };
    for (const ScanCase& c : cases)
        EXPECT_EQ(FindMp3FrameHeader(c.data.empty() ? nullptr : c.data.data(), c.data.size()), c.offset) << c.what;
}

}  // namespace
