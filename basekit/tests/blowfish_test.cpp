#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "blowfish.h"

namespace {

std::vector<unsigned char> Hex(const char* hex) {
    std::vector<unsigned char> out;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) out.push_back(static_cast<unsigned char>(std::stoi(std::string(hex + i, 2), nullptr, 16)));
    return out;
}

std::string ToHex(const unsigned char* p, size_t n) {
    static const char d[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += d[p[i] >> 4];
        s += d[p[i] & 15];
    }
    return s;
}

CBlowFish Plain(const std::vector<unsigned char>& key, const SBlock& chain = SBlock()) {
    return CBlowFish(key.data(), static_cast<unsigned int>(key.size()), chain, 0, 0);
}

unsigned char kKey[16] = {'v', 'e', 'l', 'm', 'i', 'r', 'a', 'n', 't', 'k', 'e', 'y', '0', '1', '2', '3'};

}  // namespace

// With both whitening masks at zero the cipher must be plain Blowfish.
TEST(Blowfish, PlainCoreMatchesPublishedVectors) {
    struct Case {
        const char *key, *plain, *cipher;
    } cases[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    };
    for (const Case& c : cases) {
        CBlowFish bf = Plain(Hex(c.key));
        std::vector<unsigned char> buf = Hex(c.plain);
        bf.Encrypt(buf.data(), 8, CBlowFish::ECB);
        EXPECT_EQ(c.cipher, ToHex(buf.data(), 8)) << "key " << c.key;
        bf.Decrypt(buf.data(), 8, CBlowFish::ECB);
        EXPECT_EQ(c.plain, ToHex(buf.data(), 8)) << "key " << c.key;
    }
}

TEST(Blowfish, PlainChainingModesMatchPublishedVectors) {
    std::vector<unsigned char> key = Hex("0123456789ABCDEFF0E1D2C3B4A59687");
    SBlock iv(0xFEDCBA98u, 0x76543210u);
    unsigned char data[32] = "7654321 Now is the time for ";   // 29 bytes with the NUL, zero padded
    unsigned char out[32];

    CBlowFish bf = Plain(key, iv);
    bf.Encrypt(data, out, 32, CBlowFish::CBC);
    EXPECT_EQ("6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC", ToHex(out, 32));

    bf.Encrypt(data, out, 32, CBlowFish::CFB);
    // The published stream ends after 29 bytes; those must agree.
    EXPECT_EQ("E73214A2822139CAF26ECF6D2EB9E76E3DA3DE04D1517200519D57A6C3", ToHex(out, 29));
}

TEST(Blowfish, WhiteningChangesTheCipherAndIsTheFixedPair) {
    unsigned char a[8] = {1, 2, 3, 4, 5, 6, 7, 8}, b[8], c[8];
    memcpy(b, a, 8);
    memcpy(c, a, 8);
    CBlowFish(kKey, 16).Encrypt(a, 8);
    CBlowFish(kKey, 16, SBlock(), 0, 0).Encrypt(b, 8);
    CBlowFish(kKey, 16, SBlock(), kBlowfishWhitenEven, kBlowfishWhitenOdd).Encrypt(c, 8);
    EXPECT_NE(0, memcmp(a, b, 8));
    EXPECT_EQ(0, memcmp(a, c, 8));
    // Whitening is exactly a XOR of the key bytes: plain Blowfish over the
    // pre-whitened key gives the same cipher.
    unsigned char whitened[16];
    for (int i = 0; i < 16; ++i) whitened[i] = kKey[i] ^ ((i & 1) ? kBlowfishWhitenOdd : kBlowfishWhitenEven);
    unsigned char d[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CBlowFish(whitened, 16, SBlock(), 0, 0).Encrypt(d, 8);
    EXPECT_EQ(0, memcmp(a, d, 8));
}

// Pins the player's cipher: enciphered files made today must stay readable.
TEST(Blowfish, PlayerCipherKnownAnswer) {
    unsigned char buf[16] = "tunerdeck data!";
    CBlowFish bf(kKey, 16);
    bf.Encrypt(buf, 16);
    EXPECT_EQ("CEE4F74CECBC67566E12C83564285A8F", ToHex(buf, 16));
    bf.Decrypt(buf, 16);
    EXPECT_STREQ("tunerdeck data!", reinterpret_cast<char*>(buf));
}

TEST(Blowfish, RoundTripInEveryMode) {
    std::vector<unsigned char> data(64);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 37 + 5);
    for (int mode : {CBlowFish::ECB, CBlowFish::CBC, CBlowFish::CFB, 7}) {
        CBlowFish bf(kKey, 16, SBlock(0x01234567u, 0x89ABCDEFu));
        std::vector<unsigned char> buf = data, out(64);
        bf.Encrypt(buf.data(), out.data(), 64, mode);
        EXPECT_NE(data, out) << mode;
        bf.Decrypt(out.data(), 64, mode);
        EXPECT_EQ(data, out) << mode;
    }
}

TEST(Blowfish, EqualGroupsOnlyEqualInCodebookMode) {
    unsigned char buf[16];
    for (int mode : {CBlowFish::ECB, CBlowFish::CBC, CBlowFish::CFB}) {
        memset(buf, 'A', sizeof buf);
        CBlowFish(kKey, 16, SBlock(1, 2)).Encrypt(buf, 16, mode);
        EXPECT_EQ(mode == CBlowFish::ECB, memcmp(buf, buf + 8, 8) == 0) << mode;
    }
}

TEST(Blowfish, ChainIsNotCarriedBetweenCalls) {
    CBlowFish bf(kKey, 16, SBlock(7, 9));
    unsigned char a[16], b[16];
    memset(a, 'x', 16);
    memset(b, 'x', 16);
    bf.Encrypt(a, 16, CBlowFish::CBC);
    bf.Encrypt(b, 16, CBlowFish::CBC);
    EXPECT_EQ(0, memcmp(a, b, 16));
    bf.ResetChain();
    CBlowFish copy = bf;
    memset(b, 'x', 16);
    copy.Encrypt(b, 16, CBlowFish::CBC);
    EXPECT_EQ(0, memcmp(a, b, 16));
}

TEST(Blowfish, KeyLongerThan56BytesIsCut) {
    unsigned char long_key[70], buf1[8] = {0}, buf2[8] = {0}, buf3[8] = {0};
    for (int i = 0; i < 70; ++i) long_key[i] = static_cast<unsigned char>(i + 1);
    CBlowFish(long_key, 57).Encrypt(buf1, 8);
    CBlowFish(long_key, 56).Encrypt(buf2, 8);
    CBlowFish(long_key, 70).Encrypt(buf3, 8);
    EXPECT_EQ(0, memcmp(buf1, buf2, 8));
    EXPECT_EQ(0, memcmp(buf3, buf2, 8));
    CBlowFish(long_key, 55).Encrypt(buf1, 8);
    EXPECT_NE(0, memcmp(buf1, buf2, 8));
}

TEST(Blowfish, BadLengthsThrowAndLeaveTheBufferAlone) {
    try {
        CBlowFish bf(kKey, 0);
        FAIL() << "no throw";
    } catch (const std::exception& e) {
        EXPECT_STREQ("Incorrect key length", e.what());
    }
    CBlowFish bf(kKey, 16);
    for (unsigned int n : {0u, 12u, 7u}) {
        unsigned char buf[16], before[16];
        memset(buf, 0x5A, sizeof buf);
        memcpy(before, buf, sizeof buf);
        for (int op = 0; op < 3; ++op) {
            try {
                if (op == 0) bf.Encrypt(buf, n);
                if (op == 1) bf.Decrypt(buf, n, CBlowFish::CBC);
                if (op == 2) bf.Encrypt(before, buf, n, CBlowFish::CFB);
                FAIL() << "no throw for " << n;
            } catch (const std::exception& e) {
                EXPECT_STREQ("Incorrect buffer length", e.what());
            }
            EXPECT_EQ(0, memcmp(buf, before, sizeof buf));
        }
    }
}
