#include "browser/recordings_tool.h"

#include <csv.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "browser/recording_list.h"
#include "browser/recording_source.h"
#include "common/file_layer.h"
#include "common/file_name_rules.h"
#include "common/text_convert.h"

namespace suite {

namespace {

const char kUsage[] =
    "usage: recordings list FOLDER [--sort 1|2|3|4] [--format tsv|csv|json]\n"
    "  sort 1 name ascending, 2 name descending, 3 created ascending, 4 created descending (default 1)\n";

struct Row {
    std::string name;  // UTF-8
    std::string created;
    uint32_t seconds;  // kUnknownLength: printed empty (JSON null)
    uint64_t bytes;
    bool folder;
};

std::string CsvField(const std::string& field) {
    std::string out(field.size() * 2 + 2, '\0');
    out.resize(csv_write(&out[0], out.size(), field.data(), field.size()));
    return out;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string SecondsField(uint32_t seconds, const char* unknown) {
    return seconds == kUnknownLength ? unknown : std::to_string(seconds);
}

// The length of a file as the browser shows it; false (with a line on
// stderr) when the file could not be read at all.
uint32_t Measure(const std::string& path, const std::string& name, std::ostream& err) {
    RecordingSource source;
    SourceError error = SourceError::None;
    if (source.Open(path, &error)) return source.seconds();
    if (error == SourceError::CannotOpen) err << "recordings: cannot read " << name << " (length shown as 0)\n";
    return 0;
}

void Print(const std::vector<Row>& rows, const std::string& format, std::ostream& out) {
    if (format == "json") {
        out << "[";
        for (size_t i = 0; i < rows.size(); ++i) {
            const Row& r = rows[i];
            out << (i ? ",\n " : "\n ") << "{\"name\": " << JsonString(r.name) << ", \"created\": \""
                << r.created << "\", \"seconds\": " << SecondsField(r.seconds, "null") << ", \"bytes\": " << r.bytes
                << ", \"folder\": " << (r.folder ? "true" : "false") << "}";
        }
        out << (rows.empty() ? "]\n" : "\n]\n");
        return;
    }
    const bool csv = format == "csv";
    const char* sep = csv ? "," : "\t";
    const char* end = csv ? "\r\n" : "\n";
    out << "name" << sep << "created" << sep << "seconds" << sep << "bytes" << end;
    for (const Row& r : rows) {
        // A tab or line break in a name would shift the columns of TSV.
        std::string name = r.name;
        if (!csv) std::replace_if(name.begin(), name.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        out << (csv ? CsvField(name) : name) << sep << r.created << sep << SecondsField(r.seconds, "") << sep << r.bytes
            << end;
    }
}

struct ToolOptions {
    std::string format = "tsv";
    int sort = 1;
    std::string folder;  // UTF-8, as given
};

// The command line after "list"; 0, or the exit code of a usage error
// (said on err).
int ParseOptions(const std::vector<std::string>& args, ToolOptions* o, std::ostream& err) {
    std::vector<std::string> operands;
    for (size_t i = 1; i < args.size(); ++i) {
        if ((args[i] == "--sort" || args[i] == "--format") && i + 1 < args.size()) {
            const std::string& value = args[i + 1];
            if (args[i] == "--sort") {
                if (value.size() != 1 || value[0] < '1' || value[0] > '4') {
                    err << "recordings: --sort takes 1, 2, 3 or 4\n";
                    return 1;
                }
                o->sort = value[0] - '0';
            } else {
                if (value != "tsv" && value != "csv" && value != "json") {
                    err << "recordings: --format takes tsv, csv or json\n";
                    return 1;
                }
                o->format = value;
            }
            ++i;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            err << "recordings: unknown option " << args[i] << "\n" << kUsage;
            return 1;
        } else {
            operands.push_back(args[i]);
        }
    }
    if (args.empty() || args[0] != "list" || operands.size() != 1) {
        err << kUsage;
        return 1;
    }
    o->folder = operands[0];
    return 0;
}

// The listed entries of folder (Shift-JIS, ending in "\") in the chosen order.
std::vector<Row> RowsOf(const std::string& folder, const std::vector<FolderItem>& items, int sort, std::ostream& err) {
    std::map<std::string, const FolderItem*> byName;
    for (const FolderItem& item : items) byName[item.name] = &item;
    size_t longest = 0;
    std::vector<Row> rows;
    for (const std::string& name : SortedRows(items, sort, &longest)) {
        const FolderItem& item = *byName[name];
        char created[32];
        std::snprintf(created, sizeof created, "%04d-%02d-%02d %02d:%02d:%02d", item.created.year,
                      item.created.month, item.created.day, item.created.hour, item.created.minute,
                      item.created.second);
        const std::string utf8 = SjisToUtf8(name);
        rows.push_back(Row{utf8, created, item.isFolder ? 0 : Measure(ListedPath(folder, name), utf8, err), item.size,
                           item.isFolder});
    }
    return rows;
}

}  // namespace

int RunRecordingsTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && (args[0] == "help" || args[0] == "-h" || args[0] == "--help")) {
        out << kUsage;
        return 0;
    }
    ToolOptions o;
    if (int code = ParseOptions(args, &o, err)) return code;

    std::string folder = Utf8ToSjis(o.folder);
    std::vector<FolderItem> items;
    std::vector<std::string> skipped;
    if (SjisToUtf8(folder) != o.folder || !ListFolderItems(folder, &items, &skipped)) {
        err << "recordings: cannot read the folder " << o.folder << "\n";
        return 2;
    }
    for (const std::string& name : skipped) {
        if (IsListedName(name)) err << "recordings: cannot examine " << SjisToUtf8(name) << " (left out)\n";
    }
    std::replace(folder.begin(), folder.end(), '/', '\\');
    if (!folder.empty()) folder = WithTrailingSeparator(folder);
    Print(RowsOf(folder, items, o.sort, err), o.format, out);
    return 0;
}

}  // namespace suite
