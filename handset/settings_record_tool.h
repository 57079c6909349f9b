// The settingsrecord command (README): makes a settings record of either
// recorder and reads or sets its fields by name, so tests and scripts never
// write the layout's offsets themselves.
#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace suite {

// args without the program name. 0 done, 1 refused (usage, unknown field,
// a value that does not fit, a file that is no record): nothing written then.
int RunSettingsRecordTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace suite
