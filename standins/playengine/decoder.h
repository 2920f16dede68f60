// Turns the audio bytes of a stream (after any ICY metadata is taken out)
// into interleaved 16-bit PCM: finds out whether they are PCM WAV or MP3,
// then converts WAV samples or decodes MP3 with LAME's decoder.
// No Windows calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pe {

class AudioDecoder {
public:
    enum class Status { NeedMore, Ok, Unsupported };

    AudioDecoder() = default;
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Skips the first ms of audio (seeking in files by decoding ahead).
    void SkipMs(uint32_t ms) { skipMs_ = ms; }
    // Appends the PCM decoded from data to out, always at the rate and in
    // the channel layout of the first frame: an MP3 station that switches
    // (an insert of another rate) keeps its pitch and speed. Unsupported
    // once the data is neither WAV nor MP3 (decided within the first 64 KiB
    // after a leading ID3v2 tag, which is skipped whatever its size).
    Status Feed(const uint8_t* data, size_t len, std::vector<int16_t>* out);
    // At the end of the data: decodes what waited for the frame after it.
    void Flush(std::vector<int16_t>* out);
    // At the end of the data: Unsupported when no format was ever found.
    Status Finish() const { return known_ ? Status::Ok : Status::Unsupported; }

    bool Known() const { return known_; }
    bool IsMp3() const { return mp3_; }
    uint16_t Channels() const { return channels_; }
    uint32_t SampleRate() const { return rate_; }
    uint32_t Bitrate() const { return bitrate_; }              // bit/s
    uint32_t HeaderBytes() const { return headerBytes_; }      // bytes before the first sample or frame
    uint32_t WavDataBytes() const { return wavDataBytes_; }    // as the WAV header says

private:
    void Emit(const int16_t* interleaved, size_t frames, std::vector<int16_t>* out);
    // Frames decoded at another rate than the first, brought to it (linear
    // interpolation, carried across calls) before Emit.
    void EmitAtRate(const int16_t* interleaved, size_t frames, uint32_t rate, std::vector<int16_t>* out);
    Status DecodeMp3(const uint8_t* data, size_t len, std::vector<int16_t>* out);
    // Gives whole frames to LAME's decoder and takes out all it decodes.
    Status FeedHip(const uint8_t* data, size_t len, std::vector<int16_t>* out);
    Status ConvertWav(const uint8_t* data, size_t len, std::vector<int16_t>* out);

    std::vector<uint8_t> sniff_;
    bool tagChecked_ = false;
    uint64_t tagLeft_ = 0;       // bytes of a leading ID3v2 tag still to skip
    uint32_t tagBytes_ = 0;      // the tag's size (counted into HeaderBytes)
    bool known_ = false;
    bool mp3_ = false;
    uint16_t channels_ = 0;
    uint16_t bits_ = 16;
    uint32_t rate_ = 0;
    uint32_t bitrate_ = 0;
    uint32_t headerBytes_ = 0;
    uint32_t wavDataBytes_ = 0;
    std::vector<uint8_t> carry_;   // a partial WAV frame
    void* hip_ = nullptr;
    uint32_t hipRate_ = 0;           // the frames the running decoder takes
    uint16_t hipChannels_ = 0;
    std::vector<uint8_t> pending_;   // MP3 bytes from a frame not yet whole
    uint32_t resampleFrom_ = 0;      // the rate being converted; 0 at the first rate
    double resamplePhase_ = 0;       // where the next output frame lies after resamplePrev_
    int16_t resamplePrev_[2] = {};
    uint64_t skipFrames_ = 0;
    uint32_t skipMs_ = 0;
    int mp3Errors_ = 0;
};

}  // namespace pe
