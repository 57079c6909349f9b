// A check of the player's Win32 side under Wine (not installed):
//   wave_out_check FILE [--step N] [--pause-at MS --pause-for MS]
//                       [--stop-at MS] [--seek-at MS --seek-to PERMILLE]
//   wave_out_check --list FOLDER
//   wave_out_check --files FOLDER
// plays FILE to the default output with the real wave-out device and
// prints what happened with its time; --list prints the folder as the
// Win32 file layer lists it (name, creation time, size); --files checks in
// FOLDER that a rename never replaces a file and that a file being played
// may be moved and deleted but not emptied ("ok" or "FAIL" per check).
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "browser/wave_out_win32.h"
#include "common/file_layer.h"
#include "common/text_convert.h"

using namespace suite;

namespace {

// Sets the request words at their times, as the window's buttons would.
class ScriptedHost : public PlayerHostWin32 {
public:
    ScriptedHost(const WaveOutWin32& device, PlayerWords& words, const BarGeometry& bar)
        : PlayerHostWin32(nullptr, device), words_(words), bar_(bar), start_(timeGetTime()) {}

    int pauseAt = -1, pauseFor = 0, stopAt = -1, seekAt = -1, seekTo = 0;
    int waits = 0;

    bool Wait(uint32_t timeoutMs) override {
        ++waits;
        bool go = PlayerHostWin32::Wait(timeoutMs);
        const int t = static_cast<int>(timeGetTime() - start_);
        if (pauseAt >= 0 && t >= pauseAt && words_.playControl == 0 && !paused_) {
            paused_ = true;
            words_.playControl = 1;
            std::printf("%d ms: pause\n", t);
        }
        if (paused_ && words_.playControl == 1 && t >= pauseAt + pauseFor) {
            words_.playControl = 0;
            std::printf("%d ms: resume\n", t);
        }
        if (stopAt >= 0 && t >= stopAt && words_.playControl != 2) {
            words_.playControl = 2;
            std::printf("%d ms: stop\n", t);
        }
        if (seekAt >= 0 && t >= seekAt) {
            seekAt = -1;
            words_.seekClick = 1;
            std::printf("%d ms: seek to %d per mille\n", t, seekTo);
        }
        std::fflush(stdout);
        return go;
    }
    void Pointer(int* x, int* y) override {
        *x = bar_.left + (bar_.right - bar_.left) * seekTo / 1000;
        *y = (bar_.top + bar_.bottom) / 2;
    }
    int Elapsed() const { return static_cast<int>(timeGetTime() - start_); }

private:
    PlayerWords& words_;
    BarGeometry bar_;
    DWORD start_;
    bool paused_ = false;
};

int List(const char* folder) {
    std::vector<FolderItem> items;
    if (!ListFolderItems(folder, &items)) {
        std::printf("cannot list %s\n", folder);
        return 2;
    }
    for (const FolderItem& i : items)
        std::printf("%s\t%04d-%02d-%02d %02d:%02d:%02d\t%llu\t%s\n", SjisToUtf8(i.name).c_str(), i.created.year,
                    i.created.month, i.created.day, i.created.hour, i.created.minute, i.created.second,
                    static_cast<unsigned long long>(i.size), i.isFolder ? "folder" : "file");
    return 0;
}

bool Put(const std::string& path, const char* bytes) {
    File f;
    return f.Open(path, File::Mode::CreateAlways) && f.WriteAt(0, bytes, std::strlen(bytes));
}

std::string Get(File& f) {
    char bytes[16] = {};
    return std::string(bytes, f.ReadAt(0, bytes, sizeof bytes - 1));
}

int Files(const std::string& folder) {
    int failures = 0;
    auto check = [&](const char* what, bool ok) {
        std::printf("%s %s\n", ok ? "ok" : "FAIL", what);
        failures += !ok;
    };
    const std::string a = folder + "\\a.wav", b = folder + "\\b.wav", c = folder + "\\c.wav";
    check("files written", Put(a, "A") && Put(b, "B"));
    RenameFailure why = RenameFailure::None;
    check("rename onto an existing file refused", !RenamePath(a, b, &why) && why == RenameFailure::TargetExists);
    File kept;
    check("the existing file kept whole", kept.Open(b, File::Mode::ReadExisting) && Get(kept) == "B" && PathExists(a));
    kept.Close();

    File played;
    check("opened for playing", played.Open(b, File::Mode::ReadExisting, File::Sharing::Playback));
    check("moved while played", RenamePath(b, c) && !PathExists(b) && PathExists(c));
    File writer;
    check("not emptied by a create while played", !writer.Open(c, File::Mode::CreateAlways, File::Sharing::WritersExcluded));
    check("still read after the move", Get(played) == "B");
    check("deleted while played", DeleteFilePath(c));
    check("still read after the delete", Get(played) == "B");
    played.Close();
    check("gone once closed", !PathExists(c));

    check("recording opened", writer.Open(a, File::Mode::CreateAlways, File::Sharing::WritersExcluded));
    check("a recording being written is not played", !played.Open(a, File::Mode::ReadExisting, File::Sharing::Playback));
    check("a recording being written is not renamed, the cause told",
          !RenamePath(a, folder + "\\d.wav", &why) && why == RenameFailure::InUse && PathExists(a));
    return failures ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The test script reading our output is a Unix tool: "\n", not "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc == 3 && std::strcmp(argv[1], "--list") == 0) return List(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--files") == 0) return Files(argv[2]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: wave_out_check FILE [options] | --list FOLDER | --files FOLDER\n");
        return 1;
    }
    PlayerWords words;
    const BarGeometry bar = BarFor(620, 200);
    WaveOutWin32 device;
    ScriptedHost host(device, words, bar);
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string o = argv[i];
        const int v = std::atoi(argv[i + 1]);
        if (o == "--step") words.amplifyStep = v;
        else if (o == "--pause-at") host.pauseAt = v;
        else if (o == "--pause-for") host.pauseFor = v;
        else if (o == "--stop-at") host.stopAt = v;
        else if (o == "--seek-at") host.seekAt = v;
        else if (o == "--seek-to") host.seekTo = v;
    }
    timeBeginPeriod(1);
    static const GainTables gains;
    const int result = Play(argv[1], bar, gains, words, device, host);
    std::printf("%d ms: ended with %d after %d waits\n", host.Elapsed(), result, host.waits);
    timeEndPeriod(1);
    return result;
}
