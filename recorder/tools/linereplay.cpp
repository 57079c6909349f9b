// linereplay: replays a WAV recording of the line through the recorder's
// pass and tick. Usage in README.md.
#include <cstdio>
#include <string>
#include <vector>

#include "recorder/line_replay.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return suite::RunLineReplay(args, stdout, stderr);
}
