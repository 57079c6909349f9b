// Timings of the browser's list and source (not a test):
//   recordings_bench [FOLDER]
// fills FOLDER (a fresh temporary folder by default) with 10,000 short Ogg
// Vorbis recordings and one of two hours, then times the rebuild in two
// orders, the recordings command with lengths, the length query of the long
// recording and a seek into it (position and the first block read there).
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "browser/recording_list.h"
#include "browser/recording_source.h"
#include "browser/recordings_tool.h"
#include "browser/tests/ogg_fixture.h"
#include "common/file_layer.h"

using namespace suite;

namespace {

double Ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    File f;
    if (!f.Open(path, File::Mode::CreateAlways) || !f.WriteAt(0, bytes.data(), bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder;
    if (argc > 1) {
        folder = argv[1];
    } else {
        char templ[] = "/tmp/recordings-bench-XXXXXX";
        if (!mkdtemp(templ)) return 1;
        folder = templ;
    }
    const std::string many = folder + "/many/";
    CreateFolderPath(many);
    const std::vector<uint8_t> shortOgg = browser_test::EncodeOgg(browser_test::Tone(8000 * 5, 3000), 8000, 1);
    for (int i = 0; i < 10000; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "[着信]%02d日%02d時%02d分%02d秒-%05d-.ogg", i % 28 + 1, i / 60 % 24,
                      i % 60, i * 7 % 60, i);
        Write(many + name, shortOgg);
    }
    RecordingList list;
    list.SetFolder(many);
    for (uint8_t sort : {uint8_t(1), uint8_t(4)}) {
        auto t = std::chrono::steady_clock::now();
        list.Rebuild(sort, 0, "", 0);
        std::printf("rebuild of %zu recordings, order %d: %.1f ms\n", list.rows().size(), sort, Ms(t));
    }
    {
        std::ostringstream out, err;
        auto t = std::chrono::steady_clock::now();
        int rc = RunRecordingsTool({"list", many, "--sort", "4"}, out, err);
        std::printf("recordings list with lengths: %.2f s (exit %d)\n", Ms(t) / 1000, rc);
    }

    const std::string longPath = folder + "/long.ogg";
    {
        auto t = std::chrono::steady_clock::now();
        Write(longPath, browser_test::EncodeOgg(browser_test::Tone(8000u * 7200, 3000), 8000, 1));
        std::printf("(encoding two hours: %.1f s)\n", Ms(t) / 1000);
    }
    auto t = std::chrono::steady_clock::now();
    uint32_t seconds = LengthQuery(longPath);
    std::printf("length query of two hours (%u s): %.2f ms\n", seconds, Ms(t));
    RecordingSource source;
    SourceError error;
    if (!source.Open(longPath, &error)) return 1;
    std::vector<uint8_t> block(8000);
    double worst = 0;
    for (int k = 1; k <= 9; ++k) {
        t = std::chrono::steady_clock::now();
        source.Seek(source.dataBytes() / 10 * static_cast<uint64_t>(k));
        source.Read(block.data(), block.size());
        worst = std::max(worst, Ms(t));
    }
    std::printf("seek and first block, worst of 9: %.2f ms\n", worst);
    if (argc <= 1) {
        std::string command = "rm -rf '" + folder + "'";
        if (std::system(command.c_str()) != 0) return 1;
    }
    return 0;
}
