// Parsers for what a radio stream brings in: response headers that arrive in
// the body ("ICY 200 OK" servers), ICY in-band metadata, the RIFF/WAVE header,
// the start of an MP3 stream and the names of playlists. Buffer-and-length only, no
// Windows calls, so they also build natively.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pe {

// ---------------------------------------------------------------- headers in the body
// Shoutcast servers answer "ICY 200 OK" and WinINet hands their header lines
// on as body data. Recognises such a block at the very start of the body.
struct BodyHeaders {
    int status = 0;                // from an "ICY nnn" or "HTTP/x nnn" status line, 0 when none
    uint32_t metaInt = 0;          // icy-metaint
    uint32_t bitrate = 0;          // icy-br, kbit/s
    char name[256] = {};           // icy-name
    char contentType[128] = {};    // content-type
};

enum class ParseResult { NeedMore, Done, NotPresent, Bad };

// Done: *consumed is the length of the header block including its blank line.
// NotPresent: the body starts with data. NeedMore: the block is not complete
// yet (call again with more bytes). Bad: a header block longer than 8 KiB.
ParseResult ParseBodyHeaders(const uint8_t* data, size_t len, BodyHeaders* out, size_t* consumed);

// Case-insensitive header value of a "name: value" line block (CRLF or LF
// separated) into a bounded buffer; false when absent.
bool FindHeaderValue(const char* block, size_t len, const char* name, char* value, size_t valueSize);

// ---------------------------------------------------------------- ICY metadata
// Splits a stream with in-band metadata (every metaInt audio bytes one length
// byte x 16 bytes of "StreamTitle='...';"), handing audio bytes back and
// keeping the newest title.
class IcyDemux {
public:
    explicit IcyDemux(uint32_t metaInt = 0) { Reset(metaInt); }
    void Reset(uint32_t metaInt);
    // Moves the audio bytes of data[0..len) to the front of audio (capacity
    // >= len) and returns their count. *titleChanged is set when a metadata
    // block brought a title other than the last one.
    size_t Feed(const uint8_t* data, size_t len, uint8_t* audio, bool* titleChanged);
    const char* Title() const { return title_; }

private:
    void FinishMeta(bool* titleChanged);

    uint32_t metaInt_ = 0;
    uint32_t audioLeft_ = 0;   // audio bytes until the next length byte
    uint32_t metaLeft_ = 0;    // metadata bytes still to collect
    uint32_t metaUsed_ = 0;
    bool inMeta_ = false;
    char meta_[16 * 255 + 1] = {};
    char title_[512] = {};
};

// Extracts StreamTitle='...' from a metadata block; false when it has none.
bool ParseStreamTitle(const char* meta, size_t len, char* title, size_t titleSize);

// ---------------------------------------------------------------- WAV
struct WavInfo {
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0;
    uint32_t dataOffset = 0;   // first byte of the samples
    uint32_t dataSize = 0;     // as the header says (0xFFFFFFFF or 0 for streams of unknown length)
};

// Done: a PCM WAV of 1 or 2 channels, 8 or 16 bits, rate 1000..192000.
// Bad: RIFF/WAVE that is not such PCM or is malformed. NotPresent: not RIFF/WAVE.
ParseResult ParseWavHeader(const uint8_t* data, size_t len, WavInfo* out);

// ---------------------------------------------------------------- MP3
struct Mp3FrameInfo {
    uint32_t bitrate = 0;      // kbit/s
    uint32_t sampleRate = 0;
    uint32_t frameBytes = 0;
    uint16_t channels = 0;
};
// The whole size of an ID3v2 tag at data[0..10) (header, body and footer);
// false when the bytes start no such tag.
bool Id3v2TagBytes(const uint8_t* data, size_t len, uint64_t* bytes);
// A valid MPEG audio layer III frame header at data[0..4).
bool ParseMp3FrameHeader(const uint8_t* data, size_t len, Mp3FrameInfo* out);
// Offset of the first frame header that is followed by a second valid one
// (skipping an ID3v2 tag); -1 when none in the buffer.
long FindMp3Start(const uint8_t* data, size_t len, Mp3FrameInfo* out);

// ---------------------------------------------------------------- playlists
// (The entries of a playlist are read by basekit's ParsePlaylist, the
// player's own reader.)

// The stream kind an address names by its ending (ignoring a query part).
bool LooksLikePlaylistName(const char* address);

}  // namespace pe
