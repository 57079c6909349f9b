// Repeatable speech-like test audio: voiced syllables with formants, a
// little hiss and pauses, 8000 samples per second.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace suite {

inline std::vector<int16_t> SpeechLikeSamples(size_t count, unsigned seed = 1) {
    std::vector<int16_t> out(count);
    const double kPi = 3.14159265358979323846;
    uint32_t noise = seed * 2654435761u + 1;
    double phase = 0;
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / 8000.0;
        // Syllables of 0.2 s; the last 0.2 s of every second is a pause.
        double envelope = std::fmod(t, 1.0) > 0.8 ? 0.0 : std::pow(std::sin(kPi * std::fmod(t, 0.2) / 0.2), 2);
        double pitch = 120 + 30 * std::sin(2 * kPi * 0.7 * t + seed);
        phase += 2 * kPi * pitch / 8000.0;
        double voiced = 0;
        for (int h = 1; h <= 20; ++h) {
            double f = h * pitch;
            // Formants near 700 and 1200 Hz.
            double gain = 1.0 / (1 + std::pow((f - 700) / 150, 2)) + 0.6 / (1 + std::pow((f - 1200) / 200, 2)) + 0.05;
            voiced += gain * std::sin(h * phase);
        }
        noise = noise * 1664525u + 1013904223u;
        double hiss = static_cast<int32_t>(noise) / 2147483648.0;
        double v = 6000 * envelope * voiced + 15 * hiss;
        if (v > 32767) v = 32767;
        if (v < -32768) v = -32768;
        out[i] = static_cast<int16_t>(v);
    }
    return out;
}

}  // namespace suite
