// linereplay: runs the recorder's pass and tick over a WAV file as if it
// were the line, in a folder laid out like the install folder.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace suite {

// The input's format, as far as linereplay needs it.
struct WavInput {
    int channels = 0;          // 1 or 2
    uint64_t dataOffset = 0;   // first byte of the samples
    uint64_t frames = 0;       // sample frames in the data chunk
};

// Checks a RIFF WAVE header: PCM, 16-bit, 8000 Hz, mono or stereo, with a
// data chunk that lies within fileSize bytes. False with *error (UTF-8, one
// line) when it is anything else. header holds the file's first bytes.
bool ParseWavInput(const std::vector<uint8_t>& header, uint64_t fileSize, WavInput* input, std::string* error);

// The whole tool: arguments without the program name; JSON lines to out,
// messages to err. Returns the exit code (0 done, 1 the folder or its
// settings cannot be used, or a recording could not be saved whole, 2 bad
// arguments or input).
int RunLineReplay(const std::vector<std::string>& args, FILE* out, FILE* err);

}  // namespace suite
