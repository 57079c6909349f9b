// Where the recording pass takes its half-second blocks from.
//
// How the program uses it: the waveIn capture implements BlockSource.
// NextBlock waits (blocking, on an event or a short sleep) until a capture
// buffer is reported full, reduces it to mono (left channel of a stereo
// buffer, see StereoToMono) and returns true; Stop(), called from the
// user-interface thread at shutdown, makes a waiting NextBlock return false.
// The linereplay tool reads a WAV file, tests read arrays.
#pragma once
#include <cstddef>
#include <cstdint>

namespace suite {

constexpr size_t kBlockSampleCount = 4000;  // samples of one block (0.5 s at 8000 Hz)
constexpr size_t kPendingSampleRoom = 3 * kBlockSampleCount;

class BlockSource {
public:
    virtual ~BlockSource() = default;
    // Waits for the next block and writes its kBlockSampleCount mono samples
    // into mono4000. False when the source has ended or was stopped; the
    // buffer is then left as it was.
    virtual bool NextBlock(int16_t* mono4000) = 0;
    // Makes a waiting or later NextBlock return false; any thread may call it.
    virtual void Stop() = 0;
    // At exit: the audio NextBlock has not handed out yet, oldest first,
    // into samples (room for kPendingSampleRoom): the complete blocks (a
    // capture runs one block ahead of the pass) and what the block in
    // progress holds so far. A capture stops here. Returns the sample count.
    virtual size_t PendingSamples(int16_t* samples) {
        (void)samples;
        return 0;
    }
};

// The first sample of each of frames interleaved stereo frames (the left
// channel), as the capture reduces a stereo buffer.
inline void StereoToMono(const int16_t* interleaved, size_t frames, int16_t* mono) {
    for (size_t i = 0; i < frames; ++i) mono[i] = interleaved[2 * i];
}

}  // namespace suite
