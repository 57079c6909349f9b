// Tables of the decoder sweeps: cells of success rates "ours / reference"
// in percent, with wrong numbers and misdirected calls counted apart, and
// spandsp's DTMF receiver as the dialled digits' reference.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" {
#include <spandsp.h>
}

namespace suite_test {

constexpr double kCleanSnr = 1000.0;  // "SNR" meaning no noise at all

// True when got holds only characters of sent, in its order: keys missed,
// none turned into another.
inline bool IsSubsequence(const std::string& got, const std::string& sent) {
    size_t at = 0;
    for (char c : got) {
        at = sent.find(c, at);
        if (at == std::string::npos) return false;
        ++at;
    }
    return true;
}

// Outcome counts of one cell for one decoder.
struct Tally {
    int ok = 0;
    int wrong = 0;        // decoded, but not exactly the number sent
    int other = 0;        // of those, with a key read as another
    int misdirected = 0;  // an outgoing call named as incoming
    void Add(const std::string& got, const std::string& sent) {
        if (got == sent) {
            ++ok;
        } else if (!got.empty()) {
            ++wrong;
            if (!IsSubsequence(got, sent)) ++other;
        }
    }
};

struct Cell {
    Tally ours;
    Tally reference;
};

struct Totals {
    int ourWrong = 0;
    int referenceWrong = 0;
    int cellsBehind = 0;  // cells where ours succeeded less often
};

inline void PrintCell(const Cell& c, int trials, Totals& totals) {
    std::printf(" %.0f / %.0f", 100.0 * c.ours.ok / trials, 100.0 * c.reference.ok / trials);
    if (c.ours.wrong || c.reference.wrong) std::printf(" (wrong %d / %d)", c.ours.wrong, c.reference.wrong);
    if (c.ours.other || c.reference.other) std::printf(" (another digit %d / %d)", c.ours.other, c.reference.other);
    if (c.ours.misdirected) std::printf(" (incoming %d)", c.ours.misdirected);
    if (c.ours.ok < c.reference.ok) {
        std::printf(" !");
        ++totals.cellsBehind;
    }
    std::printf(" |");
    totals.ourWrong += c.ours.wrong;
    totals.referenceWrong += c.reference.wrong;
    std::fflush(stdout);
}

inline void PrintTotals(const Totals& t) {
    std::printf("\nWrong numbers: ours %d, reference %d; cells where ours is behind (!): %d\n", t.ourWrong,
                t.referenceWrong, t.cellsBehind);
}

inline void Header(const char* first, const std::vector<std::string>& columns) {
    std::printf("| %s |", first);
    for (const std::string& c : columns) std::printf(" %s |", c.c_str());
    std::printf("\n|---|");
    for (size_t k = 0; k < columns.size(); ++k) std::printf("---|");
    std::printf("\n");
}

inline std::vector<std::string> SnrColumns(const std::vector<double>& snrs) {
    std::vector<std::string> out;
    char text[32];
    for (double snr : snrs) {
        if (snr >= kCleanSnr) std::snprintf(text, sizeof text, "clean");
        else std::snprintf(text, sizeof text, "%.0f dB", snr);
        out.push_back(text);
    }
    return out;
}

// Keys as the decoder writes them: "＊" and "＃" full width.
inline std::string ShownKeys(const std::string& keys) {
    std::string out;
    for (char key : keys) out += key == '*' ? "＊" : key == '#' ? "＃" : std::string(1, key);
    return out;
}

// The keys spandsp's DTMF receiver finds in the samples, as sent ("*", "#").
inline std::string ReferenceKeys(const int16_t* samples, size_t count) {
    dtmf_rx_state_t* rx = dtmf_rx_init(nullptr, nullptr, nullptr);
    for (size_t at = 0; at < count; at += 4000) {
        const size_t n = count - at < 4000 ? count - at : 4000;
        dtmf_rx(rx, samples + at, static_cast<int>(n));
    }
    char digits[128];
    const size_t n = dtmf_rx_get(rx, digits, sizeof digits - 1);
    dtmf_rx_free(rx);
    return std::string(digits, n);
}

}  // namespace suite_test
