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
    std::vector<uint8_t> rest(sniff_.begin() + start, sniff_.end());
    sniff_.clear();
    return DecodeMp3(rest.data(), rest.size(), out);
}

AudioDecoder::Status AudioDecoder::DecodeMp3(const uint8_t* data, size_t len, std::vector<int16_t>* out) {
    hip_t hip = static_cast<hip_t>(hip_);
    // hip_decode1 returns at most one frame per call: feed the bytes once,
    // then drain what the decoder holds with empty calls.
    static const size_t kMaxFrame = 1152;
    short left[kMaxFrame * 2], right[kMaxFrame * 2];
    int16_t inter[kMaxFrame * 2 * 2];
    mp3data_struct info;
    memset(&info, 0, sizeof info);
    unsigned char* in = const_cast<unsigned char*>(data);
    size_t inLen = len;
    for (int guard = 0; guard < 100000; ++guard) {
        int n = hip_decode1_headers(hip, in, inLen, left, right, &info);
        in = nullptr;
        inLen = 0;
        if (n < 0) {
            // A damaged frame: the decoder resynchronises on the next one.
            if (++mp3Errors_ > 1000) return Status::Unsupported;
            continue;
        }
        if (n == 0) break;
        if (n > static_cast<int>(kMaxFrame)) n = kMaxFrame;
        if (info.header_parsed && info.bitrate > 0) bitrate_ = static_cast<uint32_t>(info.bitrate) * 1000;
        // The channel count is fixed by the first frame; a stream that switches
        // is played in the first layout.
        int decodedChannels = info.header_parsed ? info.stereo : channels_;
        for (int i = 0; i < n; ++i) {
            if (channels_ == 2) {
                inter[2 * i] = left[i];
                inter[2 * i + 1] = decodedChannels == 2 ? right[i] : left[i];
            } else {
                inter[i] = decodedChannels == 2 ? static_cast<int16_t>((left[i] + right[i]) / 2) : left[i];
            }
        }
        Emit(inter, static_cast<size_t>(n), out);
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
