// linecall: writes one simulated telephone call as the adapter would hand it
// to the recorder, a WAV file of 8000 samples/s, 16-bit mono.
//
//   incoming: the exchange's call arrival signal (16 Hz ringing), the caller
//             number burst (V.23 FSK frame), the conversation, then silence
//   outgoing: the 400 Hz dial tone, the dialled DTMF digits (the first one
//             cuts the dial tone off, as the exchange does), the ringing
//             tone heard by the caller, the conversation, then silence
//
// --check replays the file in half-second blocks at every one of the 4000
// block alignments the capture could have, as the recorder's pass meets it (level trigger,
// dial tone test on the first recorded block, the decoder of the direction,
// silence end), and fails unless every alignment yields the number.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/byte_io.h"
#include "common/wav_header.h"
#include "linesignal/caller_number_decoder.h"
#include "linesignal/dial_digit_decoder.h"
#include "linesignal/signal_kit.h"
#include "linesignal/speech_like.h"

using namespace suite;
using namespace suite_test;

namespace {

struct CallOptions {
    bool outgoing = false;
    std::string number = "0312345678";
    bool withheld = false;     // reason code instead of a number ("非通知")
    bool noFrame = false;      // no caller number burst at all
    double leadS = 1.0;        // silence before the call
    double speechS = 4.0;      // conversation
    double silenceS = 12.0;    // quiet line after the call
    double levelDbfs = -15.0;  // FSK burst, dial tone, digits, ringing tone
    double speechDbfs = -6.0;  // peak of the conversation
    unsigned seed = 1;
};

constexpr double kCarDbfs = -6.0;  // call arrival signal

Signal Ringing16Hz(double ms, double dbfs) {
    Signal out = Silence(ms);
    const double amplitude = AmplitudeAt(dbfs);
    for (size_t n = 0; n < out.size(); ++n) out[n] = amplitude * std::sin(6.283185307179586 * 16.0 * n / kRate);
    return out;
}

Signal Speech(double seconds, double peakDbfs, unsigned seed) {
    const size_t count = static_cast<size_t>(seconds * kRate);
    std::vector<int16_t> raw = SpeechLikeSamples(count, seed);
    int peak = 1;
    for (int16_t s : raw) peak = std::max(peak, std::abs(static_cast<int>(s)));
    const double gain = AmplitudeAt(peakDbfs) / peak;
    Signal out(count);
    for (size_t n = 0; n < count; ++n) out[n] = raw[n] * gain;
    return out;
}

Signal IncomingCall(const CallOptions& o) {
    Signal s = Silence(o.leadS * 1000);
    // The exchange rings once (CAR); the terminal answers it and the number
    // follows about a second later.
    Append(s, Ringing16Hz(500, kCarDbfs));
    Append(s, Silence(1000));
    if (!o.noFrame) {
        FrameOptions frame;
        std::string chars = o.number;
        if (o.withheld) {
            frame.parameterType = 0x04;  // reason for absence
            chars = "P";                 // withheld by the caller
        }
        FskOptions fsk;
        fsk.levelDbfs = o.levelDbfs;
        Append(s, FskBurst(CallerFrame(chars, frame), fsk));
    }
    Append(s, Silence(700));
    Append(s, Speech(o.speechS, o.speechDbfs, o.seed));
    Append(s, Silence(o.silenceS * 1000));
    return s;
}

Signal OutgoingCall(const CallOptions& o) {
    Signal s = Silence(o.leadS * 1000);
    Append(s, DialTone(2000, o.levelDbfs));
    for (char digit : o.number) {
        Append(s, DtmfKey(digit, 100, o.levelDbfs, o.levelDbfs + 2));
        Append(s, Silence(100));
    }
    // Connecting, then the ringing tone (1 s on, 2 s off) until answered.
    Append(s, Silence(1500));
    Append(s, RingingTone(1000, o.levelDbfs));
    Append(s, Silence(2000));
    Append(s, RingingTone(1000, o.levelDbfs));
    Append(s, Silence(300));
    Append(s, Speech(o.speechS, o.speechDbfs, o.seed));
    Append(s, Silence(o.silenceS * 1000));
    return s;
}

// 44-byte RIFF header, PCM mono 8000 Hz 16-bit; false when it cannot be written.
bool WriteWav(const char* path, const std::vector<int16_t>& pcm) {
    const uint32_t dataBytes = static_cast<uint32_t>(pcm.size() * 2);
    std::vector<uint8_t> out(kWavHeaderSize + dataBytes);
    BuildWavHeader(dataBytes, out.data());
    ByteWriter w(out.data(), out.size());
    for (size_t i = 0; i < pcm.size(); ++i) w.U16LE(kWavHeaderSize + 2 * i, static_cast<uint16_t>(pcm[i]));

    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    ok = std::fclose(f) == 0 && ok;
    return ok;
}

// ---- the check ----

struct Replay {
    bool recorded = false;
    bool outgoing = false;
    std::string number;
    double endS = -1;  // when the recording ended (silence), -1 never
};

// One pass over the call on a line that was quiet before it, the first
// block holding `offset` samples of that quiet; threshold 10, silence
// choice `choice` (0 = 10 s).
Replay ReplayCall(const std::vector<int16_t>& call, size_t offset, bool expectOutgoing, int choice) {
    std::vector<int16_t> pcm(offset, 0);
    pcm.insert(pcm.end(), call.begin(), call.end());
    Replay r;
    auto buffer = std::make_unique<LineAnalysisBuffer>();
    CallNumberText number = {};
    CallerNumberDecoder caller(*buffer, number);
    DialDigitDecoder dial(*buffer, number);
    const int threshold = 10;
    const int reload = (choice + 1) * 10;
    int level = 0, countdown = 0, attempts = 0, blocksInCall = 0;
    bool decided = false, open = false, done = false;
    std::vector<int16_t> block(kBlockSamples);
    for (size_t start = 0; start + kBlockSamples <= pcm.size(); start += kBlockSamples) {
        std::copy(pcm.begin() + start, pcm.begin() + start + kBlockSamples, block.begin());
        if (decided && !open) {
            open = true;
            r.recorded = true;
            int stop = 0;
            r.outgoing = DialToneTest(block.data(), kBlockSamples, &stop);
            number[0] = 0;
            if (r.outgoing) dial.StartCall(stop);
        }
        if (open && !done) {
            if (r.outgoing && expectOutgoing && !dial.DialComplete()) {
                dial.Decode(block.data());
                if (dial.DialComplete()) done = true;
            } else if (!r.outgoing && !expectOutgoing && attempts < 10) {
                caller.Decode(attempts, block.data());
                if (number[0] != 0) done = true;
                ++attempts;
            }
        }
        level = BlockLevel(block.data(), kBlockSamples, level / 2);
        if (level <= threshold) level = 0;
        if (level != 0) {
            countdown = reload;
            decided = true;
        }
        // The tick counts the seconds down; the pass saves at 1.
        if (open && ++blocksInCall % 2 == 0 && countdown > 1) --countdown;
        if (open && countdown == 1) {
            r.endS = static_cast<double>(start + kBlockSamples - offset) / kRate;
            break;
        }
    }
    r.number = number;
    return r;
}

bool Check(const std::vector<int16_t>& pcm, const CallOptions& o) {
    // The decoders give "非通知" and the full-width "＊" and "＃" in Shift-JIS.
    std::string want;
    if (o.withheld) want = "\x94\xf1\x92\xca\x92\x6d";
    for (char c : o.withheld ? std::string() : o.number)
        want += c == '*' ? std::string("\x81\x96") : c == '#' ? std::string("\x81\x94") : std::string(1, c);
    int failed = 0;
    for (size_t offset = 0; offset < kBlockSamples; ++offset) {
        const Replay r = ReplayCall(pcm, offset, o.outgoing, 0);
        std::string problem;
        if (!r.recorded) problem = "never starts a recording";
        else if (r.outgoing != o.outgoing) problem = r.outgoing ? "classed outgoing" : "classed incoming";
        else if (!o.noFrame && r.number != want) problem = "number \"" + r.number + "\"";
        else if (r.endS < 0) problem = "the recording does not end by silence (10 s choice) within the file";
        if (problem.empty()) continue;
        std::printf("alignment %4zu: %s\n", offset, problem.c_str());
        ++failed;
    }
    std::printf("%d of %d block alignments decode\n", kBlockSamples - failed, kBlockSamples);
    return failed == 0;
}

[[noreturn]] void Usage(const char* message) {
    if (message) std::fprintf(stderr, "linecall: %s\n", message);
    std::fprintf(stderr,
        "usage: linecall incoming|outgoing OUT.wav [options]\n"
        "  --number DIGITS   caller's or dialled number (default 0312345678)\n"
        "  --withheld        incoming: a withheld number (reason code P)\n"
        "  --no-frame        incoming: no caller number burst\n"
        "  --lead S          silence before the call (default 1)\n"
        "  --speech S        conversation length (default 4)\n"
        "  --silence S       silence after the call (default 12)\n"
        "  --level DBFS      level of the line signals (default -15)\n"
        "  --speech-level DBFS  peak of the conversation (default -6)\n"
        "  --seed N          variant of the conversation (default 1)\n"
        "  --check           replay the call as the recorder would; exit 1 unless it decodes\n");
    std::exit(2);
}

double Number(const char* text, double lo, double hi, const char* what) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !(v >= lo && v <= hi)) {
        std::fprintf(stderr, "linecall: %s must be a number from %g to %g\n", what, lo, hi);
        std::exit(2);
    }
    return v;
}

bool ValidNumber(const std::string& number, bool outgoing) {
    if (number.empty() || number.size() > (outgoing ? 32u : 20u)) return false;
    const char* allowed = outgoing ? "0123456789*#" : "0123456789";
    return number.find_first_not_of(allowed) == std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) Usage(nullptr);
    CallOptions o;
    const std::string direction = argv[1];
    if (direction == "outgoing") o.outgoing = true;
    else if (direction != "incoming") Usage("the first argument is incoming or outgoing");
    const char* out = argv[2];
    bool check = false;
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) Usage(("missing value for " + a).c_str());
            return argv[++i];
        };
        if (a == "--number") o.number = value();
        else if (a == "--withheld") o.withheld = true;
        else if (a == "--no-frame") o.noFrame = true;
        else if (a == "--lead") o.leadS = Number(value(), 0, 600, "--lead");
        else if (a == "--speech") o.speechS = Number(value(), 0, 3600, "--speech");
        else if (a == "--silence") o.silenceS = Number(value(), 0, 600, "--silence");
        else if (a == "--level") o.levelDbfs = Number(value(), -60, 0, "--level");
        else if (a == "--speech-level") o.speechDbfs = Number(value(), -60, 0, "--speech-level");
        else if (a == "--seed") o.seed = static_cast<unsigned>(Number(value(), 0, 1e9, "--seed"));
        else if (a == "--check") check = true;
        else Usage(("unknown option " + a).c_str());
    }
    if (!ValidNumber(o.number, o.outgoing))
        Usage(o.outgoing ? "--number takes 1 to 32 of 0-9 * #" : "--number takes 1 to 20 digits");
    if (o.outgoing && (o.withheld || o.noFrame)) Usage("--withheld and --no-frame are for incoming calls");

    const std::vector<int16_t> pcm = ToPcm(o.outgoing ? OutgoingCall(o) : IncomingCall(o));
    if (!WriteWav(out, pcm)) {
        std::fprintf(stderr, "linecall: cannot write %s\n", out);
        return 1;
    }
    std::printf("%s: %s call, %.1f s\n", out, o.outgoing ? "outgoing" : "incoming", pcm.size() / kRate);
    std::fflush(stdout);
    if (check && !Check(pcm, o)) {
        std::fflush(stdout);
        std::fprintf(stderr, "linecall: the call does not decode at every alignment\n");
        return 1;
    }
    return 0;
}
