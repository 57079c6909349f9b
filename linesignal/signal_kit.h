// Test signals for the line decoders, built from the line standards rather
// than from the decoders: V.23 FSK caller number frames, DTMF keys, the
// 400 Hz dial and ringing tones and white noise, at 8000 samples/s.
// Signals are sequences of doubles in sample units until ToPcm clips them.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace suite_test {

using Signal = std::vector<double>;

constexpr double kRate = 8000.0;
constexpr double kFullScale = 32767.0;

// Peak amplitude of a sine at the given level (0 dBFS = full-scale sine).
double AmplitudeAt(double dbfs);
// RMS of white noise that lies snrDb below a sine at the given level.
double NoiseRmsFor(double dbfs, double snrDb);
size_t SamplesFor(double ms);

// ---- Caller number (V.23 at 1200 bit/s, 7 bits + even parity) ----

uint8_t WithEvenParity(uint8_t c);
// CRC-16 with the reflected polynomial 0x8408, initial value 0, bit by bit.
uint16_t Crc16Kermit(const uint8_t* bytes, size_t n);

struct FrameOptions {
    uint8_t parameterType = 0x02;  // 0x02 number, 0x04 reason for absence
    int corruptCrcBit = -1;        // flip this bit of the CRC (0..15), -1 none
};
// DLE SOH 07 DLE STX 40 len type N chars DLE ETX CRC-low CRC-high; every
// byte before the CRC carries even parity in bit 7, the CRC covers the
// bytes from the header 07 up to ETX as sent.
std::vector<uint8_t> CallerFrame(const std::string& chars, const FrameOptions& options = {});

struct FskOptions {
    double levelDbfs = -15.0;
    double markHz = 1300.0;
    double spaceHz = 2100.0;
    double frequencyScale = 1.0;  // carrier offset, applied to both tones
    double baud = 1200.0;         // change to model clock drift
    double leadInMs = 80.0;       // mark before the first character
    double leadInHz = 0.0;        // lead-in frequency; 0 = mark
    int stopBits = 1;
    double trailMs = 5.0;         // mark after the last byte
    double startPhase = 0.0;      // radians
};
// The bytes as sent on the line: lead-in, then per byte a start bit, eight
// bits least significant first and the stop bits; continuous phase.
Signal FskBurst(const std::vector<uint8_t>& bytes, const FskOptions& options = {});

// ---- Dialling and call progress tones ----

// "0".."9", "*", "#", "A".."D"; levels of the low and the high tone.
Signal DtmfKey(char key, double ms, double lowDbfs, double highDbfs, double frequencyScale = 1.0);
Signal Tone(double hz, double ms, double dbfs, double startPhase = 0.0);
Signal DialTone(double ms, double dbfs);
// 400 Hz with its amplitude modulated at 16 Hz to the given depth (0..1).
Signal RingingTone(double ms, double dbfs, double depth = 0.9);
Signal Silence(double ms);

// ---- Composition ----

void Append(Signal& to, const Signal& part);
// The caller number decoder's costliest input: 127-digit frames with a bad
// CRC (they pass the header, so every pass tries every offset), each
// followed by 50 ms of silence, cut to `samples`.
Signal BadCrcFrames(size_t samples);
// Adds part into to from sample `at` on, growing to when needed.
void MixAt(Signal& to, const Signal& part, size_t at);
void AddWhiteNoise(Signal& to, double rms, std::mt19937& rng);
// Rounded to 16 bits, clipped at full scale.
std::vector<int16_t> ToPcm(const Signal& signal);
// Cut into 4000-sample blocks, the last one padded with zeros; at least
// minBlocks blocks.
std::vector<std::vector<int16_t>> ToBlocks(const Signal& signal, size_t minBlocks = 1);

}  // namespace suite_test
