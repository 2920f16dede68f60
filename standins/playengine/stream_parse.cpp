#include "stream_parse.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"

namespace pe {

namespace {

bool StartsWithNoCase(const char* s, size_t len, const char* prefix) {
    size_t n = strlen(prefix);
    if (len < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (tolower(static_cast<unsigned char>(s[i])) != tolower(static_cast<unsigned char>(prefix[i]))) return false;
    return true;
}

// True when the shorter of the two could still grow into the other.
bool PrefixCompatible(const char* s, size_t len, const char* prefix) {
    size_t n = strlen(prefix);
    size_t m = len < n ? len : n;
    for (size_t i = 0; i < m; ++i)
        if (tolower(static_cast<unsigned char>(s[i])) != tolower(static_cast<unsigned char>(prefix[i]))) return false;
    return true;
}

uint32_t ParseU32(const char* text) {
    unsigned long v = strtoul(text, nullptr, 10);
    return v > 0xFFFFFFFFul ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

const size_t kMaxHeaderBlock = 8192;

uint32_t ReadLE32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t ReadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

bool FindHeaderValue(const char* block, size_t len, const char* name, char* value, size_t valueSize) {
    size_t nameLen = strlen(name);
    size_t pos = 0;
    while (pos < len) {
        size_t end = pos;
        while (end < len && block[end] != '\n') ++end;
        size_t lineLen = end - pos;
        if (lineLen > nameLen && StartsWithNoCase(block + pos, lineLen, name) && block[pos + nameLen] == ':') {
            size_t v = pos + nameLen + 1;
            while (v < end && (block[v] == ' ' || block[v] == '\t')) ++v;
            size_t ve = end;
            while (ve > v && (block[ve - 1] == '\r' || block[ve - 1] == ' ')) --ve;
            bk::TextCopyN(value, valueSize, block + v, ve - v);
            return true;
        }
        pos = end + 1;
    }
    return false;
}

ParseResult ParseBodyHeaders(const uint8_t* data, size_t len, BodyHeaders* out, size_t* consumed) {
    const char* s = reinterpret_cast<const char*>(data);
    static const char* const kStarts[] = {"ICY ", "HTTP/"};
    bool match = false, maybe = false;
    for (const char* p : kStarts) {
        if (StartsWithNoCase(s, len, p)) match = true;
        else if (len < strlen(p) && PrefixCompatible(s, len, p)) maybe = true;
    }
    if (!match) {
        // Or a header line ("name: value"); audio never starts with one.
        size_t i = 0;
        while (i < len && i < 64 && (isalnum(static_cast<unsigned char>(s[i])) || s[i] == '-' || s[i] == '_')) ++i;
        if (i > 0 && i < len && s[i] == ':') match = true;
        else if (i == len && i < 64) maybe = true;
    }
    if (!match) return maybe ? ParseResult::NeedMore : ParseResult::NotPresent;

    // The block ends at the first empty line (CRLF CRLF or LF LF).
    size_t end = 0;
    bool found = false;
    for (size_t i = 0; i + 1 < len && i < kMaxHeaderBlock; ++i) {
        if (s[i] == '\n' && s[i + 1] == '\n') { end = i + 2; found = true; break; }
        if (i + 3 < len && s[i] == '\r' && s[i + 1] == '\n' && s[i + 2] == '\r' && s[i + 3] == '\n') {
            end = i + 4; found = true; break;
        }
    }
    if (!found) return len >= kMaxHeaderBlock ? ParseResult::Bad : ParseResult::NeedMore;

    *out = BodyHeaders();
    if (StartsWithNoCase(s, end, "ICY ") || StartsWithNoCase(s, end, "HTTP/")) {
        const char* sp = static_cast<const char*>(memchr(s, ' ', end));
        if (sp) out->status = atoi(sp + 1);
    }
    char value[256];
    if (FindHeaderValue(s, end, "icy-metaint", value, sizeof value)) out->metaInt = ParseU32(value);
    if (FindHeaderValue(s, end, "icy-br", value, sizeof value)) out->bitrate = ParseU32(value);
    FindHeaderValue(s, end, "icy-name", out->name, sizeof out->name);
    FindHeaderValue(s, end, "content-type", out->contentType, sizeof out->contentType);
    *consumed = end;
    return ParseResult::Done;
}

// ---------------------------------------------------------------- ICY metadata

void IcyDemux::Reset(uint32_t metaInt) {
    metaInt_ = metaInt;
    audioLeft_ = metaInt;
    metaLeft_ = 0;
    metaUsed_ = 0;
    inMeta_ = false;
    meta_[0] = 0;
}

void IcyDemux::FinishMeta(bool* titleChanged) {
    meta_[metaUsed_] = 0;
    char title[sizeof title_];
    if (ParseStreamTitle(meta_, metaUsed_, title, sizeof title) && strcmp(title, title_) != 0) {
        bk::TextCopy(title_, title);
        *titleChanged = true;
    }
    inMeta_ = false;
    metaUsed_ = 0;
    audioLeft_ = metaInt_;
}

size_t IcyDemux::Feed(const uint8_t* data, size_t len, uint8_t* audio, bool* titleChanged) {
    *titleChanged = false;
    if (metaInt_ == 0) {
        if (audio != data) memmove(audio, data, len);
        return len;
    }
    size_t out = 0, i = 0;
    while (i < len) {
        if (!inMeta_ && audioLeft_ > 0) {
            size_t n = len - i < audioLeft_ ? len - i : audioLeft_;
            memmove(audio + out, data + i, n);
            out += n;
            i += n;
            audioLeft_ -= static_cast<uint32_t>(n);
        } else if (!inMeta_) {
            metaLeft_ = data[i++] * 16u;
            inMeta_ = true;
            metaUsed_ = 0;
            if (metaLeft_ == 0) FinishMeta(titleChanged);
        } else {
            size_t n = len - i < metaLeft_ ? len - i : metaLeft_;
            memcpy(meta_ + metaUsed_, data + i, n);   // metaUsed_ + metaLeft_ <= 4080 < sizeof meta_
            metaUsed_ += static_cast<uint32_t>(n);
            metaLeft_ -= static_cast<uint32_t>(n);
            i += n;
            if (metaLeft_ == 0) FinishMeta(titleChanged);
        }
    }
    return out;
}

bool ParseStreamTitle(const char* meta, size_t len, char* title, size_t titleSize) {
    static const char kKey[] = "StreamTitle='";
    const size_t keyLen = sizeof kKey - 1;
    for (size_t i = 0; i + keyLen <= len; ++i) {
        if (memcmp(meta + i, kKey, keyLen) != 0) continue;
        size_t start = i + keyLen;
        // The value ends at "';" (titles may hold single quotes themselves).
        size_t end = start;
        while (end < len && meta[end] && !(meta[end] == '\'' && (end + 1 >= len || meta[end + 1] == ';' || meta[end + 1] == 0)))
            ++end;
        bk::TextCopyN(title, titleSize, meta + start, end - start);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- WAV

ParseResult ParseWavHeader(const uint8_t* data, size_t len, WavInfo* out) {
    if (len < 12) {
        if (PrefixCompatible(reinterpret_cast<const char*>(data), len < 4 ? len : 4, "RIFF")) return ParseResult::NeedMore;
        return ParseResult::NotPresent;
    }
    if (memcmp(data, "RIFF", 4) != 0 || memcmp(data + 8, "WAVE", 4) != 0) return ParseResult::NotPresent;
    *out = WavInfo();
    bool haveFmt = false;
    size_t pos = 12;
    while (true) {
        if (pos + 8 > len) return pos > 65536 ? ParseResult::Bad : ParseResult::NeedMore;
        uint32_t size = ReadLE32(data + pos + 4);
        const uint8_t* body = data + pos + 8;
        if (memcmp(data + pos, "fmt ", 4) == 0) {
            if (size < 16) return ParseResult::Bad;
            if (pos + 8 + 16 > len) return ParseResult::NeedMore;
            uint16_t tag = ReadLE16(body);
            out->channels = ReadLE16(body + 2);
            out->sampleRate = ReadLE32(body + 4);
            uint16_t blockAlign = ReadLE16(body + 12);
            out->bitsPerSample = ReadLE16(body + 14);
            if (tag == 0xFFFE && size >= 40) {
                if (pos + 8 + 26 > len) return ParseResult::NeedMore;
                tag = ReadLE16(body + 24);   // the sub-format GUID begins with the tag
            }
            if (tag != 1 || out->channels < 1 || out->channels > 2 ||
                (out->bitsPerSample != 8 && out->bitsPerSample != 16) || out->sampleRate < 1000 ||
                out->sampleRate > 192000 || blockAlign != out->channels * out->bitsPerSample / 8)
                return ParseResult::Bad;
            haveFmt = true;
        } else if (memcmp(data + pos, "data", 4) == 0) {
            if (!haveFmt) return ParseResult::Bad;
            out->dataOffset = static_cast<uint32_t>(pos + 8);
            out->dataSize = size;
            return ParseResult::Done;
        }
        uint64_t next = uint64_t(pos) + 8 + size + (size & 1);
        if (next > 65536 + 8) return ParseResult::Bad;   // headers before the samples are small
        pos = static_cast<size_t>(next);
    }
}

// ---------------------------------------------------------------- MP3

bool ParseMp3FrameHeader(const uint8_t* p, size_t len, Mp3FrameInfo* out) {
    if (len < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
    int version = (p[1] >> 3) & 3;      // 0 = 2.5, 2 = 2, 3 = 1
    int layer = (p[1] >> 1) & 3;        // 1 = layer III
    int brIndex = (p[2] >> 4) & 15;
    int srIndex = (p[2] >> 2) & 3;
    int padding = (p[2] >> 1) & 1;
    if (version == 1 || layer != 1 || brIndex == 0 || brIndex == 15 || srIndex == 3) return false;
    static const uint16_t kBrV1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const uint16_t kBrV2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const uint32_t kSr[] = {44100, 48000, 32000};
    uint32_t rate = kSr[srIndex];
    if (version == 2) rate /= 2;
    if (version == 0) rate /= 4;
    uint32_t br = version == 3 ? kBrV1[brIndex] : kBrV2[brIndex];
    uint32_t samples = version == 3 ? 1152 : 576;
    out->bitrate = br;
    out->sampleRate = rate;
    out->frameBytes = samples / 8 * br * 1000 / rate + padding;
    out->channels = ((p[3] >> 6) & 3) == 3 ? 1 : 2;
    return out->frameBytes >= 4;
}

bool Id3v2TagBytes(const uint8_t* data, size_t len, uint64_t* bytes) {
    if (len < 10 || memcmp(data, "ID3", 3) != 0 || data[3] == 0xFF || data[4] == 0xFF) return false;
    // The size is synch-safe: seven bits a byte.
    if ((data[6] | data[7] | data[8] | data[9]) & 0x80) return false;
    uint64_t body = (uint64_t(data[6]) << 21) | (uint64_t(data[7]) << 14) | (uint64_t(data[8]) << 7) | data[9];
    *bytes = 10 + body + ((data[5] & 0x10) ? 10 : 0);
    return true;
}

long FindMp3Start(const uint8_t* data, size_t len, Mp3FrameInfo* out) {
    size_t pos = 0;
    uint64_t tag = 0;
    if (Id3v2TagBytes(data, len, &tag)) {
        if (tag >= len) return -1;
        pos = static_cast<size_t>(tag);
    }
    for (; pos + 4 <= len; ++pos) {
        Mp3FrameInfo a, b;
        if (!ParseMp3FrameHeader(data + pos, len - pos, &a)) continue;
        size_t next = pos + a.frameBytes;
        if (next + 4 > len) return -1;   // cannot confirm yet
        if (ParseMp3FrameHeader(data + next, len - next, &b) && b.sampleRate == a.sampleRate) {
            *out = a;
            return static_cast<long>(pos);
        }
    }
    return -1;
}

// ---------------------------------------------------------------- playlists

bool LooksLikePlaylistName(const char* address) {
    size_t n = strlen(address);
    const char* q = static_cast<const char*>(memchr(address, '?', n));
    if (q) n = q - address;
    static const char* const kExt[] = {".asx", ".pls", ".m3u", ".wax", ".wvx"};
    for (const char* e : kExt) {
        size_t el = strlen(e);
        if (n >= el && StartsWithNoCase(address + n - el, el, e)) return true;
    }
    return false;
}

}  // namespace pe
