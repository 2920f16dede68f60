// The record of one recording. Its first 3,636 bytes are the recording-start
// record that facetkit allocates (process heap) and reads back when the
// recording ends; tunerdeck appends the fields only the player and the pipe
// use. Whoever receives it with status 46 frees it with HeapFree.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct RecordJob {
    // ---- shared with facetkit (3,636 bytes)
    int32_t timerEntryId;       // -1: started by hand
    int32_t pieceNumber;        // number of pieces, filled in when the recording ends
    int32_t firstCounter;       // first piece number
    int32_t createFolder;       // -1: started by hand
    int32_t reserved;
    char quality[532];          // recording-quality profile (section of formate.ini)
    char cutProfile[1024];      // cut profile (section of schneiden.ini)
    char folder[1024];          // folder of the recording
    char fileName[1024];        // title when handed over, then the full path of the file
    uint32_t mp3Bitrate;        // 0: setting MP3_Bitrate
    int32_t mp3Channels;        // -1: setting STEREO_ART
    int32_t mp3Vbr;             // -1: setting MP3_VBR
    // ---- tunerdeck only
    int32_t recordFormat;       // 0 WAV, 1 MP3
    int32_t sampleRate;
    int32_t bitsPerSample;
    int32_t channels;
    int32_t cutValue;
    int32_t cutType;            // 0 none, 1 minutes, 2 mebibytes
    int32_t language;
    int32_t reserved2[9];
};
#pragma pack(pop)

static_assert(offsetof(RecordJob, quality) == 20, "recording-start record layout");
static_assert(offsetof(RecordJob, cutProfile) == 552, "recording-start record layout");
static_assert(offsetof(RecordJob, folder) == 1576, "recording-start record layout");
static_assert(offsetof(RecordJob, fileName) == 2600, "recording-start record layout");
static_assert(offsetof(RecordJob, mp3Bitrate) == 3624, "recording-start record layout");
static_assert(offsetof(RecordJob, recordFormat) == 3636, "recording-start record layout");
static_assert(sizeof(RecordJob) == 3700, "recording record size");

constexpr size_t kRecordStartRecordSize = 3636;

// Allocation on the process heap, as both sides free it there.
RecordJob* NewRecordJob();
void FreeRecordJob(RecordJob* job);
