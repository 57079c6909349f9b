#include "common/wav_header.h"

#include "common/byte_io.h"

namespace suite {

void BuildWavHeader(uint32_t dataBytes, uint8_t h[kWavHeaderSize]) {
    ByteWriter w(h, kWavHeaderSize);
    w.Bytes(0, "RIFF", 4);
    w.U32LE(4, dataBytes + 36);
    w.Bytes(8, "WAVEfmt ", 8);
    w.U32LE(16, 16);
    w.U16LE(20, 1);      // PCM
    w.U16LE(22, 1);      // channels
    w.U32LE(24, 8000);   // samples per second
    w.U32LE(28, 16000);  // bytes per second
    w.U16LE(32, 2);      // block align
    w.U16LE(34, 16);     // bits per sample
    w.Bytes(36, "data", 4);
    w.U32LE(40, dataBytes);
}

}  // namespace suite
