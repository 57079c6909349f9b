// settingsrecord: makes a settings record of either recorder and reads or
// sets its fields by name.
#include <iostream>
#include <string>
#include <vector>

#include "handset/settings_record_tool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return suite::RunSettingsRecordTool(args, std::cout, std::cerr);
}
