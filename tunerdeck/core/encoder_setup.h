// Unpacks the MP3 encoder library from the zip archive the skin engine
// downloaded: into the program folder, or the user folder when that fails.
#pragma once

constexpr const char* kEncoderLibrary = "lame_enc.dll";

// 1 when the library was extracted, else 0.
int UnpackEncoderLibrary(const char* archivePath);
