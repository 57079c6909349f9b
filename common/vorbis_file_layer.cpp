#include "common/vorbis_file_layer.h"

#include <cstdio>

namespace suite {
namespace {

size_t ReadCallback(void* ptr, size_t size, size_t count, void* data) {
    auto* s = static_cast<VorbisFileSource*>(data);
    size_t got = s->file.ReadAt(s->position, ptr, size * count);
    s->position += got;
    return size ? got / size : 0;
}

int SeekCallback(void* data, ogg_int64_t offset, int whence) {
    auto* s = static_cast<VorbisFileSource*>(data);
    int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<int64_t>(s->position)
                                                               : static_cast<int64_t>(s->size);
    if (base + offset < 0) return -1;
    s->position = static_cast<uint64_t>(base + offset);
    return 0;
}

long TellCallback(void* data) { return static_cast<long>(static_cast<VorbisFileSource*>(data)->position); }

}  // namespace

bool OpenVorbisFile(const std::string& path, VorbisFileSource* source, OggVorbis_File* vf) {
    if (!source->file.Open(path, File::Mode::ReadExisting, File::Sharing::Playback) || !source->file.Size(&source->size)) return false;
    source->position = 0;
    ov_callbacks callbacks{ReadCallback, SeekCallback, nullptr, TellCallback};
    return ov_open_callbacks(source, vf, nullptr, 0, callbacks) == 0;
}

}  // namespace suite
