// Ogg Vorbis files opened with libvorbisfile through the file layer (its
// Unicode paths), not through the library's stdio callbacks.
#pragma once
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <string>

#include "common/file_layer.h"

namespace suite {

// What the callbacks read from; must outlive the OggVorbis_File.
struct VorbisFileSource {
    File file;
    uint64_t position = 0;
    uint64_t size = 0;
};

// Opens path for reading and the Vorbis stream in it; false (nothing to
// clear) when the file cannot be read or holds no Vorbis stream.
bool OpenVorbisFile(const std::string& path, VorbisFileSource* source, OggVorbis_File* vf);

}  // namespace suite
