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
        for (int i = 0; i < 18; ++i) m_auiPReversed[i] = m_auiP[17 - i];
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
        if (mode != CBC && mode != CFB) {
            Codebook(in, out, n, m_auiP);
            return;
        }
        SBlock chain = m_oChain;
        for (unsigned int i = 0; i < n; i += 8) {
            SBlock work = BytesToBlock(in + i);
            if (mode == CBC) {
                work ^= chain;
                Encrypt(work);
                chain = work;
            } else {
                Encrypt(chain);
                work ^= chain;
                chain = work;
            }
            BlockToBytes(work, out + i);
        }
    }

    void Decrypt(const unsigned char* in, unsigned char* out, unsigned int n, int mode = ECB) {
        CheckLength(n);
        if (mode != CBC && mode != CFB) {
            Codebook(in, out, n, m_auiPReversed);
            return;
        }
        SBlock chain = m_oChain;
        for (unsigned int i = 0; i < n; i += 8) {
            SBlock work = BytesToBlock(in + i);
            if (mode == CBC) {
                SBlock kept = work;
                Decrypt(work);
                work ^= chain;
                chain = kept;
            } else {
                SBlock kept = work;
                Encrypt(chain);
                work ^= chain;
                chain = kept;
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

    // Codebook mode over whole buffers (a database file is megabytes): the
    // blocks do not depend on each other, so four go through the rounds side
    // by side and the S-box loads of one fill the waits of the others.
    // Deciphering passes the P-array reversed.
    void Codebook(const unsigned char* in, unsigned char* out, unsigned int n, const uint32_t* p) const {
        unsigned int i = 0;
        for (; n - i >= 32; i += 32) {
            uint32_t l0 = Word(in + i), r0 = Word(in + i + 4), l1 = Word(in + i + 8), r1 = Word(in + i + 12);
            uint32_t l2 = Word(in + i + 16), r2 = Word(in + i + 20), l3 = Word(in + i + 24), r3 = Word(in + i + 28);
            for (int k = 0; k < 16; k += 2) {
                l0 ^= p[k], l1 ^= p[k], l2 ^= p[k], l3 ^= p[k];
                r0 ^= F(l0), r1 ^= F(l1), r2 ^= F(l2), r3 ^= F(l3);
                r0 ^= p[k + 1], r1 ^= p[k + 1], r2 ^= p[k + 1], r3 ^= p[k + 1];
                l0 ^= F(r0), l1 ^= F(r1), l2 ^= F(r2), l3 ^= F(r3);
            }
            PutWord(out + i, r0 ^ p[17]), PutWord(out + i + 4, l0 ^ p[16]);
            PutWord(out + i + 8, r1 ^ p[17]), PutWord(out + i + 12, l1 ^ p[16]);
            PutWord(out + i + 16, r2 ^ p[17]), PutWord(out + i + 20, l2 ^ p[16]);
            PutWord(out + i + 24, r3 ^ p[17]), PutWord(out + i + 28, l3 ^ p[16]);
        }
        for (; i < n; i += 8) {
            uint32_t l = Word(in + i), r = Word(in + i + 4);
            for (int k = 0; k < 16; k += 2) {
                l ^= p[k];
                r ^= F(l);
                r ^= p[k + 1];
                l ^= F(r);
            }
            PutWord(out + i, r ^ p[17]);
            PutWord(out + i + 4, l ^ p[16]);
        }
    }
    static uint32_t Word(const unsigned char* b) {
        return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
    }
    static void PutWord(unsigned char* b, uint32_t v) {
        b[0] = static_cast<unsigned char>(v >> 24);
        b[1] = static_cast<unsigned char>(v >> 16);
        b[2] = static_cast<unsigned char>(v >> 8);
        b[3] = static_cast<unsigned char>(v);
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
    uint32_t m_auiPReversed[18];
    uint32_t m_auiS[4][256];
};
