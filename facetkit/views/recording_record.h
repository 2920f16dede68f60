// The record in which a recording request travels to the host and comes
// back when the recording ends. Both sides use this layout; every member is
// fixed-width so the 32-bit and 64-bit builds agree.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 4)
struct RecordingStartRecord {
    int32_t timerEntryId;     // -1: started by hand
    int32_t pieceCount;       // filled in by the host at the end
    int32_t firstPiece;       // filled in by the host at the end
    int32_t createFolder;     // -1: started by hand
    int32_t reserved;
    char quality[532];
    char cutProfile[1024];
    char folder[1024];        // filled in by the host
    char name[1024];          // title when handed over, file path when handed back
    uint32_t mp3Bitrate;      // 0: the setting MP3_Bitrate
    int32_t mp3Channels;      // -1: the setting STEREO_ART
    int32_t mp3Vbr;           // -1: the setting MP3_VBR
};
#pragma pack(pop)
static_assert(sizeof(RecordingStartRecord) == 3636, "recording-start record layout");
static_assert(offsetof(RecordingStartRecord, quality) == 20, "quality");
static_assert(offsetof(RecordingStartRecord, cutProfile) == 552, "cut profile");
static_assert(offsetof(RecordingStartRecord, folder) == 1576, "folder");
static_assert(offsetof(RecordingStartRecord, name) == 2600, "name");
static_assert(offsetof(RecordingStartRecord, mp3Bitrate) == 3624, "bit rate");
