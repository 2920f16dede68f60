#include "decoder.h"

#include <cstring>

#include <lame.h>

#include "stream_parse.h"

namespace pe {

namespace {
const size_t kSniffLimit = 64 * 1024;
}

AudioDecoder::~AudioDecoder() {
    if (hip_) hip_decode_exit(static_cast<hip_t>(hip_));
}

void AudioDecoder::Emit(const int16_t* interleaved, size_t frames, std::vector<int16_t>* out) {
    if (skipFrames_) {
        size_t skip = skipFrames_ < frames ? static_cast<size_t>(skipFrames_) : frames;
        skipFrames_ -= skip;
        interleaved += skip * channels_;
        frames -= skip;
    }
    out->insert(out->end(), interleaved, interleaved + frames * channels_);
}

void AudioDecoder::EmitAtRate(const int16_t* interleaved, size_t frames, uint32_t rate, std::vector<int16_t>* out) {
    if (rate == 0 || rate == rate_) {
        resampleFrom_ = 0;
        Emit(interleaved, frames, out);
        return;
    }
    if (!frames) return;
    if (resampleFrom_ != rate) {
        // A run of another rate starts at its first frame.
        resampleFrom_ = rate;
        resamplePhase_ = 0;
        for (uint16_t c = 0; c < channels_; ++c) resamplePrev_[c] = interleaved[c];
    }
    const double step = double(rate) / double(rate_);
    std::vector<int16_t> converted;
    converted.reserve((static_cast<size_t>(double(frames) / step) + 2) * channels_);
    for (size_t i = 0; i < frames; ++i) {
        const int16_t* next = interleaved + i * channels_;
        while (resamplePhase_ < 1.0) {
            for (uint16_t c = 0; c < channels_; ++c)
                converted.push_back(
                    static_cast<int16_t>(resamplePrev_[c] + (next[c] - resamplePrev_[c]) * resamplePhase_));
            resamplePhase_ += step;
        }
        resamplePhase_ -= 1.0;
        for (uint16_t c = 0; c < channels_; ++c) resamplePrev_[c] = next[c];
    }
    Emit(converted.data(), converted.size() / channels_, out);
}

AudioDecoder::Status AudioDecoder::Feed(const uint8_t* data, size_t len, std::vector<int16_t>* out) {
    if (known_) return mp3_ ? DecodeMp3(data, len, out) : ConvertWav(data, len, out);

    // A leading ID3v2 tag goes unread: with cover art it often outgrows the
    // sniff limit, which counts from its end.
    if (tagLeft_) {
        size_t skip = tagLeft_ < len ? static_cast<size_t>(tagLeft_) : len;
        tagLeft_ -= skip;
        data += skip;
        len -= skip;
        if (!len) return Status::NeedMore;
    }
    sniff_.insert(sniff_.end(), data, data + len);
    if (!tagChecked_) {
        if (sniff_.size() < 10) return Status::NeedMore;
        tagChecked_ = true;
        uint64_t tag = 0;
        if (Id3v2TagBytes(sniff_.data(), sniff_.size(), &tag)) {
            tagBytes_ = tag > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(tag);
            if (tag >= sniff_.size()) {
                tagLeft_ = tag - sniff_.size();
                sniff_.clear();
                return Status::NeedMore;
            }
            sniff_.erase(sniff_.begin(), sniff_.begin() + static_cast<ptrdiff_t>(tag));
        }
    }
    WavInfo wav;
    ParseResult wr = ParseWavHeader(sniff_.data(), sniff_.size(), &wav);
    if (wr == ParseResult::Bad) return Status::Unsupported;
    if (wr == ParseResult::Done) {
        known_ = true;
        channels_ = wav.channels;
        bits_ = wav.bitsPerSample;
        rate_ = wav.sampleRate;
        bitrate_ = rate_ * channels_ * bits_;
        headerBytes_ = wav.dataOffset;
        wavDataBytes_ = wav.dataSize;
        skipFrames_ = uint64_t(skipMs_) * rate_ / 1000;
        std::vector<uint8_t> rest(sniff_.begin() + wav.dataOffset, sniff_.end());
        sniff_.clear();
        return ConvertWav(rest.data(), rest.size(), out);
    }
    if (wr == ParseResult::NeedMore && sniff_.size() < kSniffLimit) return Status::NeedMore;

    Mp3FrameInfo fi;
    long start = FindMp3Start(sniff_.data(), sniff_.size(), &fi);
    if (start < 0) return sniff_.size() >= kSniffLimit ? Status::Unsupported : Status::NeedMore;
    known_ = true;
    mp3_ = true;
    channels_ = fi.channels;
    rate_ = fi.sampleRate;
    bitrate_ = fi.bitrate * 1000;
    headerBytes_ = tagBytes_ + static_cast<uint32_t>(start);
    skipFrames_ = uint64_t(skipMs_) * rate_ / 1000;
    hip_ = hip_decode_init();
    if (!hip_) return Status::Unsupported;
    hipRate_ = fi.sampleRate;
    hipChannels_ = fi.channels;
    std::vector<uint8_t> rest(sniff_.begin() + start, sniff_.end());
    sniff_.clear();
    return DecodeMp3(rest.data(), rest.size(), out);
}

AudioDecoder::Status AudioDecoder::DecodeMp3(const uint8_t* data, size_t len, std::vector<int16_t>* out) {
    // LAME's decoder keeps to the rate and layout of its first frame and
    // skips every frame of another. The frames are walked here: where a
    // station switches (the frame after agrees), the frames before go to
    // the running decoder and a fresh one takes over. Only a frame that
    // may start a switch waits for the header after it.
    pending_.insert(pending_.end(), data, data + len);
    size_t pos = 0, fed = 0;
    while (pos + 4 <= pending_.size()) {
        Mp3FrameInfo fi;
        if (!ParseMp3FrameHeader(pending_.data() + pos, pending_.size() - pos, &fi)) {
            ++pos;   // no frame here: the decoder finds its own way past it
            continue;
        }
        const size_t next = pos + fi.frameBytes;
        if (next > pending_.size()) break;   // the whole frame first
        if (fi.sampleRate != hipRate_ || fi.channels != hipChannels_) {
            if (next + 4 > pending_.size()) break;
            Mp3FrameInfo after;
            if (!ParseMp3FrameHeader(pending_.data() + next, pending_.size() - next, &after) ||
                after.sampleRate != fi.sampleRate || after.channels != fi.channels) {
                ++pos;   // a false header inside the data
                continue;
            }
            if (pos > fed && FeedHip(pending_.data() + fed, pos - fed, out) != Status::Ok) return Status::Unsupported;
            fed = pos;
            hip_decode_exit(static_cast<hip_t>(hip_));
            hip_ = hip_decode_init();
            if (!hip_) return Status::Unsupported;
            hipRate_ = fi.sampleRate;
            hipChannels_ = fi.channels;
        }
        pos = next;
    }
    const Status st = pos > fed ? FeedHip(pending_.data() + fed, pos - fed, out) : Status::Ok;
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(pos));
    return st;
}

void AudioDecoder::Flush(std::vector<int16_t>* out) {
    if (!known_ || !mp3_ || pending_.empty()) return;
    FeedHip(pending_.data(), pending_.size(), out);
    pending_.clear();
}

AudioDecoder::Status AudioDecoder::FeedHip(const uint8_t* data, size_t len, std::vector<int16_t>* out) {
    hip_t hip = static_cast<hip_t>(hip_);
    // hip_decode1 returns at most one frame per call: feed the bytes once,
    // then drain what the decoder holds with empty calls. A fresh decoder
    // answers "need more" after its first header (and after an encoder's
    // information frame) although it holds more: only three answers without
    // samples in a row mean that nothing is left.
    static const size_t kMaxFrame = 1152;
    short left[kMaxFrame * 2], right[kMaxFrame * 2];
    int16_t inter[kMaxFrame * 2 * 2];
    mp3data_struct info;
    memset(&info, 0, sizeof info);
    unsigned char* in = const_cast<unsigned char*>(data);
    size_t inLen = len;
    int idle = 0;
    for (int guard = 0; guard < 100000; ++guard) {
        int n = hip_decode1_headers(hip, in, inLen, left, right, &info);
        in = nullptr;
        inLen = 0;
        if (n < 0) {
            // A damaged frame: the decoder resynchronises on the next one.
            if (++mp3Errors_ > 1000) return Status::Unsupported;
            continue;
        }
        if (n == 0) {
            if (++idle == 3) break;
            continue;
        }
        idle = 0;
        if (n > static_cast<int>(kMaxFrame)) n = kMaxFrame;
        if (info.header_parsed && info.bitrate > 0) bitrate_ = static_cast<uint32_t>(info.bitrate) * 1000;
        const int decodedChannels = info.header_parsed ? info.stereo : channels_;
        const uint32_t decodedRate =
            info.header_parsed && info.samplerate > 0 ? static_cast<uint32_t>(info.samplerate) : rate_;
        for (int i = 0; i < n; ++i) {
            if (channels_ == 2) {
                inter[2 * i] = left[i];
                inter[2 * i + 1] = decodedChannels == 2 ? right[i] : left[i];
            } else {
                inter[i] = decodedChannels == 2 ? static_cast<int16_t>((left[i] + right[i]) / 2) : left[i];
            }
        }
        EmitAtRate(inter, static_cast<size_t>(n), decodedRate, out);
    }
    return Status::Ok;
}

AudioDecoder::Status AudioDecoder::ConvertWav(const uint8_t* data, size_t len, std::vector<int16_t>* out) {
    size_t frameBytes = size_t(channels_) * bits_ / 8;
    std::vector<uint8_t> joined;
    if (!carry_.empty()) {
        joined.assign(carry_.begin(), carry_.end());
        joined.insert(joined.end(), data, data + len);
        carry_.clear();
        data = joined.data();
        len = joined.size();
    }
    size_t frames = len / frameBytes;
    std::vector<int16_t> pcm(frames * channels_);
    if (bits_ == 16) {
        for (size_t i = 0; i < pcm.size(); ++i)
            pcm[i] = static_cast<int16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    } else {
        for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>((int(data[i]) - 128) << 8);
    }
    carry_.assign(data + frames * frameBytes, data + len);
    Emit(pcm.data(), frames, out);
    return Status::Ok;
}

}  // namespace pe
