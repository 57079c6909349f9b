// recordings: the browser's list of a folder as TSV, CSV or JSON.
#include <iostream>
#include <string>
#include <vector>

#include "browser/recordings_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return suite::RunRecordingsTool(args, std::cout, std::cerr);
}
