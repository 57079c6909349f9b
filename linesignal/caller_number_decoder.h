// Caller number decoder: finds the exchange's V.23 FSK burst (1200 bit/s,
// mark 1300 Hz, space 2100 Hz) in the blocks of an incoming call and reads
// the DLE/SOH framed message with its CRC-16 into CallNumber.
#pragma once
#include <cstdint>
#include <memory>

#include "linesignal/line_signal.h"

namespace suite {

class CallerNumberDecoder {
public:
    // buffer and callNumber must outlive the decoder.
    CallerNumberDecoder(LineAnalysisBuffer& buffer, CallNumberText& callNumber);
    CallerNumberDecoder(const CallerNumberDecoder&) = delete;
    CallerNumberDecoder& operator=(const CallerNumberDecoder&) = delete;

    // Stores block (kBlockSamples samples) as block `attempt` (0..9) of the
    // call and decodes everything gathered since the call began. CallNumber
    // then holds the number, "非通知", or nothing (failure). The caller
    // empties CallNumber before the first attempt of a call.
    void Decode(int attempt, const int16_t* block);

    // MarkBound of the pass that accepted the last frame; 0 when none was,
    // or when the correlation receiver took it after the passes.
    int AcceptedMarkBound() const { return acceptedMarkBound_; }

    // The CRC-16 table (reflected 0x8408); built by the first Decode.
    const uint16_t* FrameCrcTable() const { return frameCrcTable_; }

private:
    void BuildFrameCrcTable();
    void Resample(int attempt, const int16_t* block);
    void Demodulate(int attempt);

    LineAnalysisBuffer& buffer_;
    char* callNumber_;
    uint16_t frameCrcTable_[256] = {};
    int acceptedMarkBound_ = 0;
    // Mark against space, -1..1, of the 7 samples (8000/s) ending at each
    // sample gathered for the call; kept per slot as the blocks come.
    std::unique_ptr<float[]> markness_;
    // Mark and space oscillators, cosine and sine, over their common
    // period of 80 samples at 8000/s.
    float oscillators_[4][80] = {};
};

}  // namespace suite
