// The recordings command: the list the browser shows, as a table for a
// spreadsheet (native build only).
#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace suite {

// recordings list FOLDER [--sort 1|2|3|4] [--format tsv|csv|json]
// Exit 0; 1 on a usage error; 2 when the folder cannot be read.
int RunRecordingsTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace suite
