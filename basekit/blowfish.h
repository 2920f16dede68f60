// The system's one cipher: Blowfish (64-bit blocks, 16 rounds, keys of 1 to
// 56 bytes) with electronic-codebook, cipher-block-chaining and cipher-
// feedback buffer modes. It differs from plain Blowfish in one step only: the
// key bytes are whitened with two fixed one-byte masks before the key
// schedule. Everything the player enciphers (settings blob, user data files,
// server requests, shipped data files) depends on those two bytes.
//
// The class is header-only on purpose. Its constructor and buffer operations
// throw, and the 32-bit build links each module with its own static GCC
// runtime and DWARF-2 unwinder: an exception thrown inside basekit.dll could
// not be caught by a caller in another module. Compiled into the caller, the
// throw and the catch always sit in the same module.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "blowfish_tables.h"

// Key whitening of the player's cipher. Chosen once; never change them, or
// every enciphered file and registry blob becomes unreadable.
constexpr unsigned char kBlowfishWhitenEven = 0x5C;   // key bytes 0, 2, 4, ...
constexpr unsigned char kBlowfishWhitenOdd = 0x36;    // key bytes 1, 3, 5, ...

struct SBlock {
    SBlock(unsigned int l = 0, unsigned int r = 0) : m_uil(l), m_uir(r) {}
    SBlock(const SBlock&) = default;
    SBlock& operator=(const SBlock&) = default;
    SBlock& operator^=(const SBlock& b) {
        m_uil ^= b.m_uil;
        m_uir ^= b.m_uir;
        return *this;
    }
    unsigned int m_uil;   // left half
    unsigned int m_uir;   // right half
};

class CBlowFish {
public:
    static constexpr int ECB = 0, CBC = 1, CFB = 2;

    static constexpr const uint32_t (&scm_auiInitP)[18] = bk_blowfish_tables::kInitP;
    static constexpr const uint32_t (&scm_auiInitS)[4][256] = bk_blowfish_tables::kInitS;

    // Throws std::runtime_error("Incorrect key length") for an empty key.
    CBlowFish(unsigned char* key, unsigned int length, const SBlock& chain = SBlock())
        : CBlowFish(key, length, chain, kBlowfishWhitenEven, kBlowfishWhitenOdd) {}

    // The same with explicit whitening masks; with both 0 this is plain
    // Blowfish (used to check the core against published test vectors).
    CBlowFish(const unsigned char* key, unsigned int length, const SBlock& chain, unsigned char maskEven,
              unsigned char maskOdd)
        : m_oChain0(chain), m_oChain(chain) {
        if (length == 0 || key == nullptr) throw std::runtime_error("Incorrect key length");
        if (length > 56) length = 56;
        unsigned char k[56];
        for (unsigned int i = 0; i < length; ++i) k[i] = key[i] ^ ((i & 1) ? maskOdd : maskEven);
        memcpy(m_auiP, scm_auiInitP, sizeof m_auiP);
        memcpy(m_auiS, scm_auiInitS, sizeof m_auiS);
        unsigned int j = 0;
        for (int i = 0; i < 18; ++i) {
            uint32_t w = 0;
            for (int b = 0; b < 4; ++b) {
                w = (w << 8) | k[j];
                j = (j + 1) % length;
            }
            m_auiP[i] ^= w;
        }
        SBlock block;
        for (int i = 0; i < 18; i += 2) {
            Encrypt(block);
            m_auiP[i] = block.m_uil;
            m_auiP[i + 1] = block.m_uir;
        }
        for (int s = 0; s < 4; ++s) {
            for (int i = 0; i < 256; i += 2) {
                Encrypt(block);
                m_auiS[s][i] = block.m_uil;
                m_auiS[s][i + 1] = block.m_uir;
            }
        }
    }

    CBlowFish(const CBlowFish&) = default;
    CBlowFish& operator=(const CBlowFish&) = default;

    void ResetChain() { m_oChain = m_oChain0; }

    // n must be a positive multiple of 8, else std::runtime_error("Incorrect
    // buffer length") is thrown before anything is written. Mode 1 is CBC,
    // 2 CFB, anything else ECB. No call changes the chain blocks.
    void Encrypt(unsigned char* buf, unsigned int n, int mode = ECB) { Encrypt(buf, buf, n, mode); }
    void Decrypt(unsigned char* buf, unsigned int n, int mode = ECB) { Decrypt(buf, buf, n, mode); }

    void Encrypt(const unsigned char* in, unsigned char* out, unsigned int n, int mode = ECB) {
        CheckLength(n);
        SBlock chain = m_oChain;
        for (unsigned int i = 0; i < n; i += 8) {
            SBlock work = BytesToBlock(in + i);
            if (mode == CBC) {
                work ^= chain;
                Encrypt(work);
                chain = work;
            } else if (mode == CFB) {
                Encrypt(chain);
                work ^= chain;
                chain = work;
            } else {
                Encrypt(work);
            }
            BlockToBytes(work, out + i);
        }
    }

    void Decrypt(const unsigned char* in, unsigned char* out, unsigned int n, int mode = ECB) {
        CheckLength(n);
        SBlock chain = m_oChain;
        for (unsigned int i = 0; i < n; i += 8) {
            SBlock work = BytesToBlock(in + i);
            if (mode == CBC) {
                SBlock kept = work;
                Decrypt(work);
                work ^= chain;
                chain = kept;
            } else if (mode == CFB) {
                SBlock kept = work;
                Encrypt(chain);
                work ^= chain;
                chain = kept;
            } else {
                Decrypt(work);
            }
            BlockToBytes(work, out + i);
        }
    }

private:
    static void CheckLength(unsigned int n) {
        if (n == 0 || (n & 7) != 0) throw std::runtime_error("Incorrect buffer length");
    }
    static SBlock BytesToBlock(const unsigned char* p) {
        return SBlock((uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3],
                      (uint32_t(p[4]) << 24) | (uint32_t(p[5]) << 16) | (uint32_t(p[6]) << 8) | p[7]);
    }
    static void BlockToBytes(const SBlock& b, unsigned char* p) {
        p[0] = static_cast<unsigned char>(b.m_uil >> 24);
        p[1] = static_cast<unsigned char>(b.m_uil >> 16);
        p[2] = static_cast<unsigned char>(b.m_uil >> 8);
        p[3] = static_cast<unsigned char>(b.m_uil);
        p[4] = static_cast<unsigned char>(b.m_uir >> 24);
        p[5] = static_cast<unsigned char>(b.m_uir >> 16);
        p[6] = static_cast<unsigned char>(b.m_uir >> 8);
        p[7] = static_cast<unsigned char>(b.m_uir);
    }

    uint32_t F(uint32_t x) const {
        return ((m_auiS[0][x >> 24] + m_auiS[1][(x >> 16) & 0xFF]) ^ m_auiS[2][(x >> 8) & 0xFF]) + m_auiS[3][x & 0xFF];
    }
    // Deciphering is enciphering with the P-array reversed.
    void Rounds(SBlock& b, bool decipher) const {
        auto p = [&](int i) { return m_auiP[decipher ? 17 - i : i]; };
        uint32_t l = b.m_uil, r = b.m_uir;
        for (int i = 0; i < 16; ++i) {
            l ^= p(i);
            r ^= F(l);
            uint32_t t = l;
            l = r;
            r = t;
        }
        b.m_uil = r ^ p(17);   // the last swap undone
        b.m_uir = l ^ p(16);
    }
    void Encrypt(SBlock& b) const { Rounds(b, false); }
    void Decrypt(SBlock& b) const { Rounds(b, true); }

    SBlock m_oChain0;
    SBlock m_oChain;
    uint32_t m_auiP[18];
    uint32_t m_auiS[4][256];
};
