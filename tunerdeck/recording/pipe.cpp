#include "pipe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bounded_text.h"
#include "debugtext.h"
#include "lame_mp3.h"
#include "mixer.h"

namespace {

// Capture and file width: the profiles may ask for 24 or 32 bits, but the
// capture is opened with 16-bit samples then, and the file must say what it holds.
int CaptureBits(int profileBits) { return profileBits == 8 ? 8 : 16; }
int CaptureChannels(int channels) { return channels <= 1 ? 1 : 2; }

int Clamp32(uint64_t v) { return v > 0x7FFFFFFFull ? 0x7FFFFFFF : static_cast<int>(v); }

}  // namespace

// ---------------------------------------------------------------- life

CPipe::CPipe(cPipeHost* player) : CPipe(player, true) {}

CPipe::CPipe(cPipeHost* player, bool soundCard) : player_(player), soundCard_(soundCard) {
    Log("CPipe - Constructor");
    ApplyPlayerQuality();
    quitEvent_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    statusEvent_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    levelEvent_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel)
        getDiskFree_ = reinterpret_cast<DiskFreeFn>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
    InitPipe();
    peakThreshold_ = 990;
    Log("CPipe - Constructor starting DataToSystemThread");
    thread_ = std::thread(&CPipe::DataToSystemThread, this);
    Log("CPipe - Constructor ok");
}

CPipe::~CPipe() {
    SetEvent(quitEvent_.Get());
    if (recording_) CPipe::StopRecordingToFile();
    if (listening_) CPipe::StopListening();
    StopDataThread();
    CPipe::DeInitPipe();
    Log("CPipe - Destructor");
    Log("CPipe - Destructor..ok");
}

void CPipe::StopDataThread() {
    if (!thread_.joinable()) return;
    SetEvent(quitEvent_.Get());
    // The thread polls the quit event every 9 ms at the latest.
    for (int i = 0; i < 200 && !threadEnded_; ++i) Sleep(50);
    if (threadEnded_) thread_.join();
    else thread_.detach();
}

void CPipe::Pause(DWORD ms) const { Sleep(static_cast<DWORD>(static_cast<uint64_t>(ms) * pausePercent_ / 100)); }

void CPipe::Log(const char* text, int level) const { SendDebugText(text, level); }

void CPipe::InitPipe() {
    Log("CPipe - InitPipe");
    if (!soundCard_) {
        Log("CPipe - do nothing...vista");
        return;
    }
    if (pa18::Pa_Initialize() != 0) {
        Log("CPipe - InitPipe...fehler", 1);
        return;
    }
    paInitialised_ = true;
    deviceCount_ = pa18::Pa_CountDevices();
    if (deviceCount_ > 0) {
        devices_ = new DeviceEntry[deviceCount_];
        for (int i = 0; i < deviceCount_; ++i) {
            const pa18::PaDeviceInfo* d = pa18::Pa_GetDeviceInfo(i);
            if (!d) continue;
            devices_[i].info = *d;
            devices_[i].name = d->name ? d->name : "";
            devices_[i].info.name = devices_[i].name.c_str();
        }
        Log("CPipe - fill device info");
    }
    Log("CPipe - InitPipe...ok");
}

void CPipe::DeInitPipe() {
    Log("CPipe - DeInitPipe");
    if (paInitialised_) {
        pa18::Pa_Terminate();
        paInitialised_ = false;
    }
    delete[] devices_;
    devices_ = nullptr;
    deviceCount_ = 0;
    Log("CPipe - DeInitPipe...ok");
}

void CPipe::DataToSystemThread() {
    // A failure in a level step or a report ends this thread alone, marked
    // as ended so the pipe's stop does not wait for it.
    try {
        for (;;) {
            if (WaitForSingleObject(quitEvent_.Get(), 0) == WAIT_OBJECT_0) {
                OnThreadEnd();
                return;
            }
            if (WaitForSingleObject(levelEvent_.Get(), 0) == WAIT_OBJECT_0) AdjustRecordLevel();
            if (WaitForSingleObject(statusEvent_.Get(), 9) == WAIT_OBJECT_0) SendStatus();
        }
    } catch (...) {
        Log("Execption CPipe - DataToSystemThread", 1);
        OnThreadEnd();
    }
}

void CPipe::OnThreadEnd() { threadEnded_ = 1; }

void CPipe::ApplyPlayerQuality() {
    if (!player_) return;
    waveFormat_.SetBitsPerSample(CaptureBits(player_->GetRecBitsPerSample()));
    waveFormat_.SetSampleRate(player_->GetRecSampleRate());
    waveFormat_.SetChannels(CaptureChannels(player_->GetRecChannels()));
}

void CPipe::RepairWaveFormat() {
    if (waveFormat_.GetBitsPerSample() < 8) waveFormat_.SetBitsPerSample(16);
    if (waveFormat_.GetSampleRate() < 8000) waveFormat_.SetSampleRate(44100);
    if (waveFormat_.GetChannels() < 2) waveFormat_.SetChannels(2);
}

void CPipe::SetBytesPerSecondFromFormat() {
    bytesPerSec_ = static_cast<uint64_t>(waveFormat_.GetBitsPerSample()) * waveFormat_.GetSampleRate() *
                   waveFormat_.GetChannels() / 8;
}

// ---------------------------------------------------------------- skin engine

void CPipe::DetachSkin() {
    bk::ScopedLock hold(skinCs_);
    skinAttached_ = false;
}

void CPipe::AttachSkin() {
    bk::ScopedLock hold(skinCs_);
    skinAttached_ = true;
}

void CPipe::SetPeaksToSkin(int left, int right) {
    bk::ScopedLock hold(skinCs_);
    if (skinAttached_ && player_) player_->SetPeakLevel(left, right);
}

void CPipe::SetRecTimeToSkin(int freeSeconds, uint64_t totalFileBytes, uint64_t recordedSeconds, int state) {
    bk::ScopedLock hold(skinCs_);
    if (skinAttached_ && player_)
        player_->SetRecTime(freeSeconds, Clamp32(totalFileBytes), Clamp32(recordedSeconds), state);
}

// ---------------------------------------------------------------- capture

int CPipe::BlockCallback(void* input, void*, unsigned long frames, double, void* user) {
    CPipe* pipe = static_cast<CPipe*>(user);
    if (input && frames) pipe->ProcessSamples(input, static_cast<unsigned>(frames));
    return 0;
}

void CPipe::StartListening() {
    bk::ScopedLock hold(cs_);
    RepairWaveFormat();
    if (listening_) StopListening();
    int already = 0;
    if (OpenStream(&already) == 0 && stream_) {
        if (already || pa18::Pa_StartStream(stream_) == 0) {
            listening_ = 1;
            Pause(400);
            SetBytesPerSecondFromFormat();
        }
    }
}

void CPipe::ApplyJobQuality(int* sps, int* bps, int* nch) {
    char profile[1024] = "";
    {
        bk::ScopedLock jobHold(targetCs_);
        if (job_ && job_->quality[0]) bk::TextCopyN(profile, sizeof profile, job_->quality, sizeof job_->quality);
    }
    if (!profile[0] && player_) player_->GetQualityMuster(profile, sizeof profile);
    *sps = 44100;
    *bps = 16;
    *nch = 2;
    if (player_) player_->GetRecQualitySettings(profile, sps, bps, nch);
    if (*sps < 8000 || *sps > 192000) *sps = 44100;
    *bps = CaptureBits(*bps);
    *nch = CaptureChannels(*nch);
    // The encoder takes 16-bit samples at 16 kHz or more: an MP3 capture is
    // opened that way, so the stream delivers what the encoder is told.
    if (recordFormat_ == 1) {
        if (*bps < 16) *bps = 16;
        if (*sps < 16000) *sps = 16000;
    }
}

int CPipe::OpenStream(int* alreadyOpen) {
    bk::ScopedLock hold(cs_);
    int sps, bps, nch;
    ApplyJobQuality(&sps, &bps, &nch);
    if (stream_ && (sps != streamRate_ || bps != streamBits_ || nch != streamChannels_)) {
        CloseStream();
        Pause(100);
    }
    waveFormat_.SetSampleRate(sps);
    waveFormat_.SetBitsPerSample(bps);
    waveFormat_.SetChannels(nch);
    if (stream_) {
        if (pa18::Pa_StreamActive(stream_) == 1) {
            if (alreadyOpen) *alreadyOpen = 1;
            return 0;
        }
        CloseStream();   // opened but not running: open it afresh
    }
    int device = player_ ? player_->GetRecordingDevice() : -1;
    pa18::PortAudioStream* s = nullptr;
    int rc = pa18::Pa_OpenStream(&s, device, nch, bps == 8 ? pa18::paUInt8 : pa18::paInt16, nullptr,
                                 pa18::paNoDevice, 0, pa18::paInt16, nullptr, sps, static_cast<unsigned long>(sps / 30),
                                 0, pa18::paClipOff | pa18::paDitherOff, &CPipe::BlockCallback, this);
    if (rc != 0) {
        char line[256];
        bk::TextFormat(line, sizeof line, "CPipe - OpenStream...%s", pa18::Pa_GetErrorText(rc));
        Log(line, 1);
        return rc;
    }
    stream_ = s;
    streamBits_ = bps;
    streamRate_ = sps;
    streamChannels_ = nch;
    if (alreadyOpen) *alreadyOpen = 0;
    return 0;
}

void CPipe::StopListening() {
    if (recording_) StopRecordingToFile();
    int was = listening_.exchange(0);
    {
        // A level request on another thread opens and closes the stream
        // under the same lock; the callback never takes it, so waiting for
        // the stream to stop is safe here.
        bk::ScopedLock hold(cs_);
        if (stream_) {
            pa18::Pa_StopStream(stream_);
            for (int i = 0; i < 500 && pa18::Pa_StreamActive(stream_) == 1; ++i) Sleep(1);
        }
    }
    if (was) Pause(500);
    CloseStream();
}

void CPipe::CloseStream() {
    bk::ScopedLock hold(cs_);
    if (stream_) pa18::Pa_CloseStream(stream_);
    stream_ = nullptr;
    streamBits_ = streamRate_ = streamChannels_ = 0;
}

int CPipe::OpenMixerStream(pa18::PortAudioStream** stream) {
    if (!stream) return -1;
    *stream = nullptr;
    return pa18::Pa_OpenDefaultStream(stream, 0, 2, pa18::paInt16, 44100, 256, 0, nullptr, nullptr);
}

// ---------------------------------------------------------------- blocks

void CPipe::ProcessSamples(const void* data, unsigned frames) {
    ProcessBlock(data, frames, streamChannels_ ? streamChannels_ : waveFormat_.GetChannels(),
                 streamBits_ ? streamBits_ : waveFormat_.GetBitsPerSample());
}

void CPipe::ProcessBlock(const void* data, unsigned frames, int channels, int bits) {
    if (!data || frames == 0 || channels <= 0) return;
    int fullScale;
    if (bits == 16) fullScale = peakThreshold_ * 65535 / 1000;
    else if (bits == 8) fullScale = peakThreshold_ * 255 / 1000;
    else fullScale = 100;

    int minL = 0, maxL = 0, minR = 0, maxR = 0, hitsL = 0;
    bool first = true;
    const bool two = channels >= 2;
    for (unsigned i = 0; i < frames; ++i) {
        int l, r = 0;
        size_t at = static_cast<size_t>(i) * channels;
        if (bits == 16) {
            const int16_t* s = static_cast<const int16_t*>(data);
            l = s[at];
            if (two) r = s[at + 1];
        } else if (bits == 8) {
            const uint8_t* s = static_cast<const uint8_t*>(data);
            l = s[at];
            if (two) r = s[at + 1];
        } else {
            const float* s = static_cast<const float*>(data);
            l = static_cast<int>(s[at] * 100);
            if (two) r = static_cast<int>(s[at + 1] * 100);
        }
        if (first) {
            minL = maxL = l;
            minR = maxR = r;
            hitsL = 1;
            first = false;
            continue;
        }
        if (l > maxL) {
            maxL = l;
            hitsL = 1;
        } else if (l == maxL) {
            ++hitsL;
        }
        if (l < minL) minL = l;
        if (r > maxR) maxR = r;
        if (r < minR) minR = r;
    }
    if (bits != 8 && bits != 16) minL = minR = 0;   // floats: only the maximum counts
    int rangeL = maxL - minL, rangeR = maxR - minR;
    int pl = fullScale ? static_cast<int>(static_cast<int64_t>(rangeL) * 100 / fullScale) : 0;
    int pr = fullScale ? static_cast<int>(static_cast<int64_t>(rangeR) * 100 / fullScale) : 0;
    peakLeft_ = pl;
    peakRight_ = pr;

    if (levelAdjust_ && (pl > 99 || pr > 99)) {
        stepMultiplier_ = hitsL < 7 ? 1 : (hitsL < 51 ? 2 : 15);
        SetEvent(levelEvent_.Get());
    }

    if (recording_) WriteBlock(data, frames, channels, bits, rangeL, rangeR);
    SetEvent(statusEvent_.Get());
}

void CPipe::WriteBlock(const void* data, unsigned frames, int channels, int bits, int rangeL, int rangeR) {
    bk::ScopedLock hold(targetCs_);
    if (!recording_ || !job_) return;

    // Silence: the ranges barely change from block to block and stay low.
    // (A steady loud tone also keeps its range, and is no silence.)
    int dl = abs(rangeL - prevRangeLeft_), dr = abs(rangeR - prevRangeRight_);
    int quietLimit = bits == 8 ? 3 : 655;
    bool quiet = dl < silenceThreshold_ && dr < silenceThreshold_ && rangeL < quietLimit && rangeR < quietLimit;
    bool skip = false;
    if (skipSilence_ && quiet) {
        if (++silentBlocks_ > silenceBlockLimit_) skip = true;
    } else {
        silentBlocks_ = 0;
    }
    prevRangeLeft_ = rangeL;
    prevRangeRight_ = rangeR;
    if (skip) {
        recordState_ = 2;
        return;
    }

    uint64_t bytes = static_cast<uint64_t>(frames) * channels * (bits / 8);
    if (wav_) {
        // RIFF sizes are 32-bit: a long recording goes on in a new piece.
        if (pieceFileBytes_ > 0 && pieceFileBytes_ + bytes > wavePieceLimit_ && !CutPiece()) return;
        cByteBuffer block(data, static_cast<size_t>(bytes));
        if (!wav_->Write(block)) {
            wav_->Close();
            StopRecordingToFile();
            char text[] = "Unable to write to file";
            if (player_) player_->SendStatus(text, 41);
            return;
        }
        totalFileBytes_ += bytes;
        pieceFileBytes_ += bytes;
    } else if (mp3_) {
        if (!mp3_->EncodeChunk(static_cast<int>(bytes), data)) {
            StopRecordingToFile();
            char text[] = "Unable to write to file";
            if (player_) player_->SendStatus(text, 41);
            return;
        }
        uint64_t encoded = mp3_->GetTotalBytes64();
        totalFileBytes_ = totalFileBytes_ - pieceFileBytes_ + encoded;
        pieceFileBytes_ = encoded;
    } else {
        return;
    }
    recordedBytes_ += bytes;
    piecePcmBytes_ += bytes;

    int cutType = job_->cutType, cutValue = job_->cutValue;
    if (cutValue > 0 && bytesPerSec_ > 0) {
        bool cut = false;
        if (cutType == 1) cut = piecePcmBytes_ / bytesPerSec_ / 60 >= static_cast<uint64_t>(cutValue);
        else if (cutType == 2) cut = pieceFileBytes_ / 1048576 >= static_cast<uint64_t>(cutValue);
        if (cut && !CutPiece()) return;
    }
    recordState_ = 1;
}

bool CPipe::CutPiece() {
    piecePcmBytes_ = 0;
    pieceFileBytes_ = 0;
    char current[1024] = "";
    if (wav_) bk::TextCopy(current, wav_->GetFileName().c_str());
    else if (mp3_) bk::TextCopy(current, mp3_->GetFileName());
    char next[1024] = "";
    int counter = player_ ? player_->MakeRecordFileName(current, pieceCounter_, next, sizeof next, job_) : -1;
    bool ok = false;
    if (counter >= 0 && next[0]) {
        if (mp3_) {
            mp3_->DeInit();
            delete mp3_;
            mp3_ = new cLameMP3(next, &waveFormat_.GetRecord());
            ok = mp3_->LoadEncoder() && mp3_->Init();
        } else if (wav_) {
            delete wav_;
            wav_ = new cWaveFile(next, &waveFormat_);
            ok = wav_->IsOpen();
        }
    }
    if (ok) {
        pieceCounter_ = counter;
        job_->pieceNumber = counter - job_->firstCounter + 1;
    } else {
        // No new piece (no name could be made, or its file not opened):
        // stop rather than go on writing nowhere while the skin shows a
        // running recording.
        StopRecordingToFile();
        char text[] = "Unable to write to file";
        if (player_) player_->SendStatus(text, 41);
    }
    return ok;
}

// ---------------------------------------------------------------- status

void CPipe::SendStatus() {
    int l = peakLeft_, r = peakRight_;
    if (l != lastPeakLeft_ || r != lastPeakRight_) {
        SetPeaksToSkin(l, r);
        lastPeakLeft_ = l;
        lastPeakRight_ = r;
    }
    if (recording_) {
        DWORD now = GetTickCount();
        if (now - lastTimeReport_ >= 1000) {
            lastTimeReport_ = now;
            char folder[1024] = "";
            bool mp3 = false;
            uint64_t total = 0, recorded = 0;
            bool haveJob = false;
            {
                bk::ScopedLock hold(targetCs_);
                if (job_) {
                    haveJob = true;
                    bk::TextCopyN(folder, sizeof folder, job_->folder, sizeof job_->folder);
                    mp3 = job_->recordFormat == 1;
                    total = totalFileBytes_;
                    recorded = recordedBytes_;
                }
            }
            if (getDiskFree_ && bytesPerSec_ && haveJob) {
                ULARGE_INTEGER freeBytes = {}, totalBytes = {}, totalFree = {};
                uint64_t seconds = 0;
                if (getDiskFree_(folder, &freeBytes, &totalBytes, &totalFree)) {
                    seconds = freeBytes.QuadPart / bytesPerSec_;
                    if (mp3) seconds *= 10;
                }
                SetRecTimeToSkin(Clamp32(seconds), total, recorded / bytesPerSec_, recordState_);
            }
        }
    }
    ResetEvent(statusEvent_.Get());
}

int CPipe::GetFreeRecordTime() {
    if (!getDiskFree_ || !player_) return 0;
    char dir[1024] = "";
    player_->GetRecordingDir(dir, sizeof dir);
    uint64_t bps = static_cast<uint64_t>(player_->GetRecBitsPerSample()) * player_->GetRecSampleRate() *
                   player_->GetRecChannels() / 8;
    if (bps == 0) return 0;
    ULARGE_INTEGER freeBytes = {}, totalBytes = {}, totalFree = {};
    if (!getDiskFree_(dir[0] ? dir : nullptr, &freeBytes, &totalBytes, &totalFree)) return 0;
    uint64_t seconds = freeBytes.QuadPart / bps;
    if (recordFormat_ == 1) seconds *= 10;
    return Clamp32(seconds);
}

// ---------------------------------------------------------------- recordings

int CPipe::IsRecording() { return recording_; }
void CPipe::SetFormatFlag(int format) { recordFormat_ = format == 1 ? 1 : 0; }
int CPipe::GetCutValue() {
    bk::ScopedLock hold(targetCs_);
    return job_ ? job_->cutValue : 0;
}
int CPipe::GetCutType() {
    bk::ScopedLock hold(targetCs_);
    return job_ ? job_->cutType : 0;
}

void CPipe::StartRecordingToFile(RecordJob* job, int counter) {
    if (!job) return;
    if (recording_) {
        StopRecordingToFile();
        FreeRecordJob(job);
        return;
    }
    pieceCounter_ = counter;
    job->firstCounter = counter;
    job->pieceNumber = 1;

    // What the job asks for, as the capture can deliver it.
    int rate = job->sampleRate >= 8000 && job->sampleRate <= 192000 ? job->sampleRate : 44100;
    int bits = CaptureBits(job->bitsPerSample);
    int channels = CaptureChannels(job->channels);
    SetFormatFlag(job->recordFormat);
    bool restart = rate != waveFormat_.GetSampleRate() || bits != waveFormat_.GetBitsPerSample() ||
                   channels != waveFormat_.GetChannels() || !listening_;
    if (recordFormat_ == 1 && (bits < 16 || rate < 16000)) {
        restart = true;
        if (player_) player_->SendStatus(nullptr, 51);
    }
    if (restart) {
        {
            bk::ScopedLock hold(targetCs_);
            job_ = job;
        }
        StopListening();
        Pause(500);
        StartListening();
        Pause(500);
    }
    recordedBytes_ = piecePcmBytes_ = totalFileBytes_ = pieceFileBytes_ = 0;
    SetBytesPerSecondFromFormat();

    const char* name = job->fileName;
    char title[] = "velmirant - Fehler";
    char text[2048];
    FILE* probe = fopen(name, "wb+");
    bool started = false;
    if (!probe) {
        char line[1400];
        bk::TextFormat(line, sizeof line, "tempFilename: %s -- SPS: %d -- BPS: %d -- NCH: %d", name,
                       waveFormat_.GetSampleRate(), waveFormat_.GetBitsPerSample(), waveFormat_.GetChannels());
        if (player_) player_->DebugLog(line, 1);
        bk::TextFormat(text, sizeof text,
                       "Tempor\xe4re Aufnahmedatei konnte nicht erstellt werden!\nVersucht wurde, folgende Datei zu "
                       "erstellen: %s",
                       name);
        if (player_) player_->ShowMessage(text, title);
    } else {
        fclose(probe);
        DeleteFileA(name);
        // Start text: format, profile, rate, bits, channels, each after the byte 2,
        // kept below the receiver's 1,024 bytes.
        char profile[512];
        bk::TextCopyN(profile, sizeof profile, job->quality, sizeof job->quality);
        char start[1024];
        bk::TextFormat(start, sizeof start, "%s\x02%.900s\x02%d\x02%d\x02%d", recordFormat_ == 1 ? "MP3" : "WAV",
                       profile, waveFormat_.GetSampleRate(), waveFormat_.GetBitsPerSample(),
                       waveFormat_.GetChannels());
        if (recordFormat_ == 0) {
            cWaveFile* wav = new cWaveFile(name, &waveFormat_);
            if (wav->IsOpen()) {
                {
                    bk::ScopedLock hold(targetCs_);
                    wav_ = wav;
                }
                if (player_) player_->SendStatus(start, 47);
                started = true;
            } else {
                delete wav;
                bk::TextFormat(text, sizeof text,
                               "Tempor\xe4re Aufnahmedatei konnte nicht erstellt werden!\nVersucht wurde, folgende "
                               "Datei zu erstellen: %s",
                               name);
                if (player_) player_->ShowMessage(text, title);
            }
        } else {
            cLameMP3* mp3 = new cLameMP3(name, &waveFormat_.GetRecord());
            if (!mp3->LoadEncoder()) {
                char code[16];
                bk::TextFormat(code, sizeof code, "%d", mp3->GetLastError());
                if (player_) player_->SendStatus(code, 48);
                delete mp3;
            } else if (!mp3->Init()) {
                char line[1400];
                bk::TextFormat(line, sizeof line, "Filename: %s -- SPS: %d -- BPS: %d -- NCH: %d", name,
                               waveFormat_.GetSampleRate(), waveFormat_.GetBitsPerSample(),
                               waveFormat_.GetChannels());
                if (player_) player_->DebugLog(line, 1);
                char fmt[512] = "";
                if (player_) player_->GetMessageText(4, player_->GetLanguage(), fmt, sizeof fmt);
                if (!fmt[0] || !strstr(fmt, "%s") || strchr(strstr(fmt, "%s") + 2, '%'))
                    bk::TextCopy(fmt, "Initialisierung der lame_enc.dll fehlgeschlagen!\nVersucht wurde, folgende "
                                      "Datei zu erstellen: %s");
                bk::TextFormat(text, sizeof text, fmt, name);
                if (player_) player_->ShowMessage(text, title);
                delete mp3;
            } else {
                {
                    bk::ScopedLock hold(targetCs_);
                    mp3_ = mp3;
                }
                if (player_) player_->SendStatus(start, 47);
                started = true;
            }
        }
    }
    if (started) {
        bk::ScopedLock hold(targetCs_);
        job_ = job;
        skipSilence_ = player_ ? player_->GetRecordSkipSilents() : 0;
        silenceThreshold_ = waveFormat_.GetBitsPerSample() == 16 ? 65535 / 1000 : 1;
        silenceBlockLimit_ = 30;
        silentBlocks_ = 0;
        prevRangeLeft_ = prevRangeRight_ = 0;
        recordState_ = 1;
        recording_ = 1;
    } else {
        {
            bk::ScopedLock hold(targetCs_);
            if (job_ == job) job_ = nullptr;
        }
        FreeRecordJob(job);
    }
}

void CPipe::FinishTargets() {
    if (mp3_) {
        cLameMP3* mp3 = mp3_;
        mp3_ = nullptr;
        mp3->DeInit();
        delete mp3;
    }
    if (wav_) {
        cWaveFile* wav = wav_;
        wav_ = nullptr;
        delete wav;   // closing fixes the sizes
    }
}

void CPipe::StopRecordingToFile() {
    if (player_) player_->DebugLog("Pipe: StopRecordingToFile", 7);
    RecordJob* job = nullptr;
    uint64_t total = 0, recorded = 0;
    {
        bk::ScopedLock hold(targetCs_);   // waits for a block being written
        if (recording_ && job_) {
            recording_ = 0;
            FinishTargets();
            job = job_;
            job_ = nullptr;
            total = totalFileBytes_;
            recorded = recordedBytes_;
        }
        recording_ = 0;
    }
    if (job) {
        SetRecTimeToSkin(GetFreeRecordTime(), total, bytesPerSec_ ? recorded / bytesPerSec_ : 0, 3);
        if (player_) player_->SendStatus(reinterpret_cast<char*>(job), 46);
        if (player_) player_->DebugLog("Pipe: SendStatus ok", 7);
        recordState_ = 3;
    }
    if (player_) player_->DebugLog("Pipe: StopRecordingToFile ok", 7);
}

void CPipe::SetRecordFormat(int format) {
    if (recording_) return;
    StartListening();
    SetFormatFlag(format);
    if (recordFormat_ != 1) return;
    if (player_) {
        char profile[1024] = "";
        player_->GetQualityMuster(profile, sizeof profile);
        int sps = 44100, bps = 16, nch = 2;
        player_->GetRecQualitySettings(profile, &sps, &bps, &nch);
        bool raised = false;
        if (bps < 16) {
            bps = 16;
            raised = true;
        }
        if (sps < 16000) {
            sps = 16000;
            raised = true;
        }
        if (raised) {
            player_->SetRecQualitySettings(profile, sps, bps, nch);
            waveFormat_.SetBitsPerSample(bps);
            waveFormat_.SetSampleRate(sps);
            player_->SendStatus(nullptr, 51);
        }
    }
    cLameMP3 probe("", nullptr);
    if (probe.LoadEncoder()) {
        probe.DeInit();
    } else if (player_) {
        char code[16];
        bk::TextFormat(code, sizeof code, "%d", probe.GetLastError());
        player_->SendStatus(code, 48);
    }
}

// ---------------------------------------------------------------- input level

void CPipe::StartLevelAdjust() {
    peakThreshold_ = 990;
    levelAdjust_ = player_ ? player_->GetAdjustRecordVol() : 0;
    if (!levelAdjust_) return;
    levelStep_ = levelMax_ = levelMin_ = levelValue_ = -1;
    int value = 0, maximum = 0, minimum = 0, step = 0;
    if (!GetRecordLevel(&value, &maximum, &minimum, &step)) return;
    SetRecordLevel(maximum);
    // The smallest multiple of the mixer's step that reaches 120.
    if (step > 0 && step < 120) levelStep_ = (120 + step - 1) / step * step;
    char text[64];
    bk::TextFormat(text, sizeof text, "%d|%d|%d", maximum, maximum, minimum);
    if (player_) player_->SendStatus(text, 44);
}

void CPipe::AdjustRecordLevel() {
    int value = 0, maximum = 0, minimum = 0, step = 0;
    if (GetRecordLevel(&value, &maximum, &minimum, &step)) {
        int level = value - step * stepMultiplier_;
        if (level < minimum) level = minimum;
        SetRecordLevel(level);
        levelValue_ = level;
        char text[64];
        bk::TextFormat(text, sizeof text, "%d|%d|%d", level, maximum, minimum);
        if (player_) player_->SendStatus(text, 44);
    }
    ResetEvent(levelEvent_.Get());
}

int CPipe::GetRecordLevel(int* value, int* maximum, int* minimum, int* step) {
    if (levelStep_ == -1 || levelMax_ == -1 || levelMin_ == -1 || levelValue_ == -1) {
        bk::ScopedLock hold(cs_);
        bool wasOpen = stream_ != nullptr;
        int already = 0;
        if (OpenStream(&already) != 0 || !stream_) return 0;
        MixerInfo* mixer = OpenMixer(stream_, 0);
        if (!mixer) {
            if (!wasOpen) CloseStream();
            return 0;
        }
        int source = player_ ? player_->GetRecordingSource() : 0;
        if (source < 0 || source >= GetNumSources(mixer)) source = GetCurrentSource(mixer);
        int v = 0, mx = 0, mn = 0, st = 0;
        if (source >= 0) GetVolume(mixer, source, &v, &mx, &mn, &st);
        CloseMixer(mixer);
        if (!wasOpen) CloseStream();
        if (source < 0) return 0;   // no recording source to read
        if (st == 0) st = 50;
        // The mixer counts steps over its whole range; a useful step is
        // raised to at least 100 units.
        int unit = st;
        while (st < 100) st += unit;
        levelValue_ = v;
        levelMax_ = mx;
        levelMin_ = mn;
        levelStep_ = st;
    }
    if (value) *value = levelValue_;
    if (maximum) *maximum = levelMax_;
    if (minimum) *minimum = levelMin_;
    if (step) *step = levelStep_;
    return 1;
}

void CPipe::SetRecordLevel(int level) {
    bk::ScopedLock hold(cs_);
    bool wasOpen = stream_ != nullptr;
    int already = 0;
    if (OpenStream(&already) != 0 || !stream_) return;
    if (MixerInfo* mixer = OpenMixer(stream_, 0)) {
        SetSourceVolume(mixer, level);
        CloseMixer(mixer);
    }
    if (!wasOpen) CloseStream();
    levelValue_ = level;
}

// ---------------------------------------------------------------- output volumes

namespace {
struct OutputMixer {
    pa18::PortAudioStream* stream = nullptr;
    MixerInfo* mixer = nullptr;
    ~OutputMixer() {
        CloseMixer(mixer);
        if (stream) pa18::Pa_CloseStream(stream);
    }
};
}  // namespace

// Output volumes go through a stream opened only to reach the output mixer;
// -1 for everything when it cannot be reached.
static void ReadOutputVolume(CPipe* pipe, int index, int* value, int* maximum, int* minimum, int* step) {
    OutputMixer m;
    int v = -1, mx = -1, mn = -1, st = -1;
    if (pipe->OpenMixerStream(&m.stream) == 0 && (m.mixer = OpenMixer(m.stream, 0)) != nullptr)
        GetVolume(m.mixer, index, &v, &mx, &mn, &st);
    if (value) *value = v;
    if (maximum) *maximum = mx;
    if (minimum) *minimum = mn;
    if (step) *step = st;
}

void CPipe::GetMasterVolume(int* value, int* maximum, int* minimum, int* step) {
    bk::ScopedLock hold(cs_);
    ReadOutputVolume(this, 0, value, maximum, minimum, step);
}

void CPipe::GetWaveOutVolume(int* value, int* maximum, int* minimum, int* step) {
    bk::ScopedLock hold(cs_);
    ReadOutputVolume(this, 1, value, maximum, minimum, step);
}

void CPipe::SetMasterVolume(int value) {
    bk::ScopedLock hold(cs_);
    OutputMixer m;
    if (OpenMixerStream(&m.stream) == 0 && (m.mixer = OpenMixer(m.stream, 0)) != nullptr) SetOutputVolume(m.mixer, 0, value);
}

void CPipe::SetWaveOutVolume(int value) {
    bk::ScopedLock hold(cs_);
    OutputMixer m;
    if (OpenMixerStream(&m.stream) == 0 && (m.mixer = OpenMixer(m.stream, 0)) != nullptr) SetOutputVolume(m.mixer, 1, value);
}

void CPipe::SetOutputSwitch(int on) {
    bk::ScopedLock hold(cs_);
    OutputMixer m;
    if (OpenMixerStream(&m.stream) == 0 && (m.mixer = OpenMixer(m.stream, 0)) != nullptr) SetOutputSwitches(m.mixer, on);
}

int CPipe::Reserved18() { return 0; }

// ---------------------------------------------------------------- devices and sources

void CPipe::GetDeviceNames(std::string& text) {
    for (int i = 0; i < deviceCount_; ++i) {
        if (devices_[i].info.maxInputChannels <= 0) continue;
        if (i > 0) text += '\x01';
        text += devices_[i].name;
    }
    char tail[32];
    bk::TextFormat(tail, sizeof tail, "\x01\x02%d", player_ ? player_->GetRecordingDevice() : -1);
    text += tail;
}

void CPipe::GetSourceNames(std::string& text) {
    int count = 0;
    {
        bk::ScopedLock hold(cs_);
        bool wasOpen = stream_ != nullptr;
        int already = 0;
        if (OpenStream(&already) == 0 && stream_) {
            if (MixerInfo* mixer = OpenMixer(stream_, 0)) {
                count = GetNumSources(mixer);
                for (int i = 0; i < count; ++i) {
                    text += GetSourceName(mixer, i);
                    text += '\x01';
                }
                CloseMixer(mixer);
            }
            if (!wasOpen) CloseStream();
        }
    }
    int current = player_ ? player_->GetRecordingSource() : -1;
    if (current == -1 && count > 0) current = 0;
    char tail[32];
    bk::TextFormat(tail, sizeof tail, "\x02%d", current);
    text += tail;
}

int CPipe::GetRecordSource() {
    bk::ScopedLock hold(cs_);
    bool wasOpen = stream_ != nullptr;
    int already = 0;
    if (OpenStream(&already) != 0 || !stream_) return -1;
    int current = -1;
    if (MixerInfo* mixer = OpenMixer(stream_, 0)) {
        current = GetCurrentSource(mixer);
        CloseMixer(mixer);
    }
    if (!wasOpen) CloseStream();
    return current;
}

void CPipe::SetRecordSource(int index) {
    if (player_) player_->SetRecordingSource(index);
    if (index == GetRecordSource()) return;
    levelStep_ = levelMax_ = levelMin_ = levelValue_ = -1;
    StopListening();
    {
        bk::ScopedLock hold(cs_);
        int already = 0;
        if (OpenStream(&already) == 0 && stream_) {
            if (MixerInfo* mixer = OpenMixer(stream_, 0)) {
                int n = index;
                if (n < 0 || n >= GetNumSources(mixer)) n = 0;
                SetCurrentSource(mixer, n);
                CloseMixer(mixer);
            }
            if (!already) CloseStream();
        }
    }
    StartListening();
}

void CPipe::SetRecordDevice(int n) {
    int seen = -1;
    for (int i = 0; i < deviceCount_; ++i) {
        if (devices_[i].info.maxInputChannels <= 0) continue;
        if (++seen != n) continue;
        if (player_ && i != player_->GetRecordingDevice()) {
            player_->SetRecordingDevice(i);
            StopListening();
            levelStep_ = levelMax_ = levelMin_ = levelValue_ = -1;
            StartListening();
        }
        return;
    }
}

// ---------------------------------------------------------------- jobs

RecordJob* NewRecordJob() {
    void* p = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(RecordJob));
    return static_cast<RecordJob*>(p);
}

void FreeRecordJob(RecordJob* job) {
    if (job) HeapFree(GetProcessHeap(), 0, job);
}
