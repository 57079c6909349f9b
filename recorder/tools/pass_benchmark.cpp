// Per-block cost of the recording pass (not a test). Runs in a fresh folder
// under /tmp, where it writes "非常用フォルダー\TMP.tmp" and "通話記録\".
//   pass_benchmark [blocks per case, default 240 = two minutes]
// Prints the median, 99th percentile and maximum per pass in microseconds.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "recorder/recording_pass.h"
#include "common/settings_record.h"
#include "linesignal/signal_kit.h"
#include "linesignal/speech_like.h"

using namespace suite;
using namespace suite_test;

namespace {

using Block = std::vector<int16_t>;
using Steady = std::chrono::steady_clock;

class ListSource : public BlockSource {
public:
    const Block* next = nullptr;
    bool NextBlock(int16_t* mono) override {
        std::copy(next->begin(), next->end(), mono);
        return true;
    }
    void Stop() override {}
};

struct Bench {
    RecorderShared shared;
    SettingsRecord record;
    SystemClock clock;
    std::unique_ptr<RecordingPass> pass;
    ListSource source;

    Bench(uint8_t format, int32_t command) {
        record.MakeDefaults(WorkArea{0, 0, 1024, 768});
        record.record_folder().Set("通話記録\\");
        record.recording_format() = format;
        pass = std::make_unique<RecordingPass>(shared, LinePassConfig(&record), clock, nullptr);
        pass->PrimeDecoders();
        shared.MuteBuffers.store(0);
        shared.RecorderCommand.store(command);
    }
    // Time of one pass over b, in microseconds.
    double Pass(const Block& b) {
        source.next = &b;
        auto t0 = Steady::now();
        pass->RunPass(source);
        return std::chrono::duration<double, std::micro>(Steady::now() - t0).count();
    }
};

void Report(const char* name, std::vector<double> us) {
    std::sort(us.begin(), us.end());
    std::printf("| %s | %zu | %.1f | %.1f | %.1f |\n", name, us.size(), us[us.size() / 2], us[us.size() * 99 / 100],
                us.back());
    std::fflush(stdout);
}

std::vector<Block> Blocks(const std::vector<int16_t>& pcm) {
    std::vector<Block> out;
    for (size_t at = 0; at + kBlockSampleCount <= pcm.size(); at += kBlockSampleCount) {
        out.emplace_back(pcm.begin() + at, pcm.begin() + at + kBlockSampleCount);
    }
    return out;
}

// Idle: stopped mode, the line's noise floor; only the level is measured.
void Idle(int blocks) {
    Bench b(2, kCommandStop);
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0, 200);
    Block block(kBlockSampleCount);
    for (int16_t& s : block) s = static_cast<int16_t>(noise(rng));
    std::vector<double> us;
    for (int i = 0; i < blocks * 10; ++i) us.push_back(b.Pass(block));
    Report("idle (level only), stopped mode", us);
}

// One manual recording of speech-like audio, saved at the end (the save is
// reported apart).
void Recording(const char* name, uint8_t format, const std::vector<Block>& speech) {
    Bench b(format, kCommandManual);
    std::vector<double> us;
    for (const Block& block : speech) us.push_back(b.Pass(block));
    b.shared.RecorderCommand.store(kCommandStopAndSave);
    b.Pass(speech[0]);
    double save = b.Pass(speech[0]);
    Report(name, us);
    std::printf("|   its save step (finish, name, rename) | 1 | %.1f | | |\n", save);
}

// Incoming calls whose caller number never decodes, with the signal that
// costs the decoder most (damaged frames that pass the header), Ogg 0.5:
// every pass of the first ten blocks writes, encodes and decodes everything
// gathered so far.
void WorstIncoming(int calls) {
    std::vector<Block> call = Blocks(ToPcm(BadCrcFrames(40000)));
    Block loud(kBlockSampleCount, 8000);
    std::vector<double> all, tenth;
    Bench b(1, kCommandAutomatic);
    for (int c = 0; c < calls; ++c) {
        b.Pass(loud);  // decides
        for (size_t i = 0; i < call.size(); ++i) {
            double t = b.Pass(call[i]);
            all.push_back(t);
            if (i == 9) tenth.push_back(t);
        }
        b.shared.RecorderCommand.store(kCommandStop);  // drop it
        b.Pass(loud);
        b.shared.RecorderCommand.store(kCommandAutomatic);
        b.Pass(Block(kBlockSampleCount, 0));
    }
    Report("worst incoming: blocks 1..10 of a call, bad 127-digit frames, Ogg 0.5", all);
    Report("worst incoming: the tenth block alone (attempt 9)", tenth);
}

// Outgoing calls: dial tone, then blocks with three DTMF bursts each.
void WorstOutgoing(int calls) {
    Signal s = DialTone(4000, -18);
    for (int blockIndex = 1; blockIndex < 10; ++blockIndex) {
        for (int k = 0; k < 3; ++k) {
            MixAt(s, DtmfKey(static_cast<char>('1' + k), 100, -14, -12), blockIndex * 4000 + 300 + k * 1200);
        }
    }
    s.resize(40000);
    std::vector<Block> call = Blocks(ToPcm(s));
    Block loud(kBlockSampleCount, 8000);
    std::vector<double> all;
    Bench b(1, kCommandAutomatic);
    for (int c = 0; c < calls; ++c) {
        b.Pass(loud);
        for (const Block& block : call) all.push_back(b.Pass(block));
        b.shared.RecorderCommand.store(kCommandStop);
        b.Pass(loud);
        b.shared.RecorderCommand.store(kCommandAutomatic);
        b.Pass(Block(kBlockSampleCount, 0));
    }
    Report("outgoing: dial tone then three DTMF bursts per block, Ogg 0.5", all);
}

// The first block of a recording on a noisy line with no tone: the dial
// tone test looks at every span of it before it gives the call as incoming.
void NoisyFirstBlock(int calls) {
    std::mt19937 rng(2);
    std::normal_distribution<double> noise(0, 3000);
    Block block(kBlockSampleCount);
    Block loud(kBlockSampleCount, 8000);
    std::vector<double> us;
    Bench b(1, kCommandAutomatic);
    for (int c = 0; c < calls; ++c) {
        for (int16_t& x : block) x = static_cast<int16_t>(noise(rng));
        b.Pass(loud);
        us.push_back(b.Pass(block));
        b.shared.RecorderCommand.store(kCommandStop);
        b.Pass(loud);
        b.shared.RecorderCommand.store(kCommandAutomatic);
        b.Pass(Block(kBlockSampleCount, 0));
    }
    Report("first block of a recording, noise without a tone (dial tone test), Ogg 0.5", us);
}

}  // namespace

int main(int argc, char** argv) {
    int blocks = argc > 1 ? std::atoi(argv[1]) : 240;
    if (blocks < 10) {
        std::fprintf(stderr, "usage: pass_benchmark [blocks per case, at least 10]\n");
        return 2;
    }
    char folder[] = "/tmp/pass_benchmark.XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) {
        std::perror("pass_benchmark");
        return 1;
    }
    std::printf("per pass, microseconds (block period 500000 us), folder %s\n", folder);
    std::printf("| case | passes | median | p99 | max |\n|---|---|---|---|---|\n");
    Idle(blocks);
    std::vector<Block> speech = Blocks(SpeechLikeSamples(kBlockSampleCount * static_cast<size_t>(blocks)));
    Recording("recording WAV (format 0), speech", 0, speech);
    Recording("recording Ogg 0.5 (format 1), speech", 1, speech);
    Recording("recording Ogg 0.3 (format 2), speech", 2, speech);
    Recording("recording Ogg 0.0 (format 3), speech", 3, speech);
    WorstIncoming(blocks / 10);
    WorstOutgoing(blocks / 10);
    NoisyFirstBlock(blocks);
    return 0;
}
