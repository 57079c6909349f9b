#include "phonebook/book_transfer.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "common/file_layer.h"
#include "common/sjis_text.h"
#include "common/text_convert.h"

namespace suite {
namespace {

const char kUsage[] =
    "usage: phonebook list DIR [--encoding utf-8|cp932]\n"
    "       phonebook export DIR [--encoding utf-8|cp932] > book.csv\n"
    "       phonebook import DIR book.csv [--encoding utf-8|cp932]\n"
    "\n"
    "DIR is the recorder's phone book folder, holding InfoIndex.binary,\n"
    "InfoData.binary and EriaTable.binary (import creates them when missing).\n"
    "\n"
    "  list    prints each number and its name, separated by a tab\n"
    "  export  writes number,name,information as CSV (RFC 4180) to standard output\n"
    "  import  adds or replaces the records of a CSV file with the same three\n"
    "          columns (\"-\" reads standard input); a first row\n"
    "          number,name,information is skipped. Numbers longer than 14 bytes\n"
    "          are cut; rows that cannot be stored are refused with their line.\n"
    "\n"
    "--encoding: texts on the terminal and in the CSV are UTF-8 (default) or\n"
    "cp932 (Shift-JIS bytes exactly as the phone book holds them).\n"
    "\n"
    "Use this tool only while the recorder (Corvinet) is not running: the\n"
    "recorder keeps the phone book in memory and neither would see the other's\n"
    "changes.\n"
    "\n"
    "Exit status: 0 done, 1 error, 2 some rows were refused.\n";

const char kHeader[] = "number,name,information";

constexpr size_t kPieceSize = 1 << 20;  // bytes converted in one go

bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// Converts between Shift-JIS and UTF-8 (ASCII is the same in both); false
// when a byte or character had no counterpart and became "?".
bool Convert(const std::string& from, bool toSjis, std::string* to) {
    if (IsAscii(from)) {
        *to = from;
        return true;
    }
    *to = toSjis ? Utf8ToSjis(from) : SjisToUtf8(from);
    return std::count(to->begin(), to->end(), '?') == std::count(from.begin(), from.end(), '?');
}

std::string ToOutput(const std::string& sjis, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp932) return sjis;
    std::string utf8;
    Convert(sjis, false, &utf8);
    return utf8;
}

size_t LineEndAfter(const std::string& text, size_t from, size_t limit) {
    size_t end = text.find('\n', from);
    return end == std::string::npos || end >= limit ? limit : end + 1;
}

// UTF-8 text to Shift-JIS in pieces that end at line ends, so a whole file
// costs a few conversions; the lines that lost characters are collected.
std::string TextToSjis(const std::string& text, std::set<size_t>* lossyLines) {
    std::string out;
    out.reserve(text.size());
    size_t pos = 0, line = 1;
    while (pos < text.size()) {
        size_t end = pos + kPieceSize >= text.size() ? text.size() : LineEndAfter(text, pos + kPieceSize, text.size());
        std::string converted;
        if (Convert(text.substr(pos, end - pos), true, &converted)) {
            out += converted;
            line += std::count(text.begin() + pos, text.begin() + end, '\n');
        } else {
            for (size_t p = pos; p < end; ++line) {
                size_t e = LineEndAfter(text, p, end);
                if (!Convert(text.substr(p, e - p), true, &converted)) lossyLines->insert(line);
                out += converted;
                p = e;
            }
        }
        pos = end;
    }
    return out;
}

std::string Quoted(const std::string& field) {
    std::string out(field.size() * 2 + 2, '\0');
    out.resize(csv_write(&out[0], out.size(), field.data(), field.size()));
    return out;
}

// Lone LF or CR become CR LF, the line break the information board shows.
std::string CrLfLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    size_t n = std::char_traits<char>::length(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
    }
    return true;
}

struct CsvRow {
    size_t line;      // line of the file where the row starts
    size_t lastLine;  // and where it ends
    std::vector<std::string> fields;
};

// Collects rows from libcsv, fed one physical line at a time so that each
// row knows the line it starts on.
class CsvReader {
public:
    // False with *error set when text is not valid CSV.
    bool Read(const std::string& text, std::vector<CsvRow>* rows, std::string* error) {
        csv_parser parser;
        if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
            *error = "out of memory";
            return false;
        }
        rows_ = rows;
        size_t line = 1;
        size_t pos = 0;
        bool betweenRows = true;
        bool ok = true;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            end = end == std::string::npos ? text.size() : end + 1;
            if (betweenRows) rowLine_ = line;
            line_ = line;
            rowEnded_ = false;
            size_t length = end - pos;
            if (csv_parse(&parser, text.data() + pos, length, OnField, OnRow, this) != length) {
                *error = "line " + std::to_string(line) + ": not valid CSV (" +
                         csv_strerror(csv_error(&parser)) + ")";
                ok = false;
                break;
            }
            bool blank = text.find_first_not_of("\r\n", pos) >= end;
            if (rowEnded_) {
                betweenRows = true;
            } else if (!blank) {
                betweenRows = false;
            }
            pos = end;
            ++line;
        }
        if (ok && csv_fini(&parser, OnField, OnRow, this) != 0) {
            *error = "line " + std::to_string(rowLine_) + ": a quoted field is not closed";
            ok = false;
        }
        csv_free(&parser);
        return ok;
    }

private:
    static void OnField(void* s, size_t length, void* data) {
        auto* self = static_cast<CsvReader*>(data);
        self->fields_.emplace_back(s ? static_cast<const char*>(s) : "", s ? length : 0);
    }
    static void OnRow(int, void* data) {
        auto* self = static_cast<CsvReader*>(data);
        self->rows_->push_back(CsvRow{self->rowLine_, self->line_, std::move(self->fields_)});
        self->fields_.clear();
        self->rowEnded_ = true;
    }

    std::vector<CsvRow>* rows_ = nullptr;
    std::vector<std::string> fields_;
    size_t rowLine_ = 1;
    size_t line_ = 1;
    bool rowEnded_ = false;
};

// Checks one row (Shift-JIS fields) and brings it into the store's form;
// returns the reason when the row is refused.
std::string PrepareRow(const CsvRow& row, std::string* number, std::string* name, std::string* information,
                       bool* cut) {
    static const char* const kColumns[] = {"number", "name", "information"};
    if (row.fields.size() != 3) {
        return "expected 3 fields (number, name, information), found " + std::to_string(row.fields.size());
    }
    for (size_t i = 0; i < 3; ++i) {
        if (row.fields[i].find('\0') != std::string::npos) return std::string("the ") + kColumns[i] + " holds a NUL byte";
    }
    *number = row.fields[0];
    *name = row.fields[1];
    *information = row.fields[2];
    if (number->empty()) return "the number is empty";
    if ((*number)[0] < '0' || (*number)[0] > '9') return "the number must start with a digit 0-9";
    for (char c : *number) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "the number holds a control character";
    }
    *cut = number->size() > kMaxNumberLength;
    if (*cut) {
        char slot[kMaxNumberLength + 1];
        SjisCopy(slot, sizeof slot, *number);
        *number = slot;
    }
    if (name->size() > kNameFieldSize - 1) {
        return "the name is longer than " + std::to_string(kNameFieldSize - 1) + " bytes (" +
               std::to_string(name->size()) + ")";
    }
    if (name->find_first_of("\r\n") != std::string::npos) return "the name must be a single line";
    *information = CrLfLineBreaks(*information);
    if (information->size() > kMaxInformationLength) {
        return "the information is longer than " + std::to_string(kMaxInformationLength) + " bytes (" +
               std::to_string(information->size()) + ")";
    }
    return std::string();
}

// The tool's side of the store's messages: printed, never asked.
class PrintedMessages : public PhoneBookMessages {
public:
    PrintedMessages(std::ostream& err, TextEncoding encoding) : err_(err), encoding_(encoding) {}
    void NoSpace() override { Print(kNoSpaceText); }
    void AppendWarning(int remaining) override { Print(AppendWarningText(remaining)); }
    void CannotOpen(const std::string& path) override { Print(CannotOpenText(path)); }
    void CannotWrite(const std::string& path) override { Print(CannotWriteText(path)); }
    void InUse(const std::string& path) override { Print(InUseText(path)); }

private:
    void Print(const std::string& sjis) { err_ << "phonebook: " << ToOutput(sjis, encoding_) << "\n"; }
    std::ostream& err_;
    TextEncoding encoding_;
};

}  // namespace

void ListBook(PhoneBook& book, TextEncoding encoding, std::ostream& out) {
    for (uint32_t e = 0; e < book.EntryCount(); ++e) {
        std::string number = book.Number(e);
        if (number.empty()) continue;
        out << ToOutput(number, encoding) << '\t' << ToOutput(book.ReadName(e), encoding) << '\n';
    }
}

void ExportCsv(PhoneBook& book, TextEncoding encoding, std::ostream& out, std::ostream& warnings) {
    out << kHeader << "\r\n";
    // Rows are quoted in Shift-JIS ('"' and ',' are never part of a
    // double-byte character) and converted a piece at a time.
    std::string piece;
    std::vector<std::pair<uint32_t, size_t>> rowEnds;  // entry, end of its row in piece
    auto flush = [&]() {
        std::string converted;
        if (encoding == TextEncoding::Cp932) {
            out << piece;
        } else if (Convert(piece, false, &converted)) {
            out << converted;
        } else {
            size_t start = 0;
            for (auto [entry, end] : rowEnds) {
                if (!Convert(piece.substr(start, end - start), false, &converted)) {
                    warnings << "entry " << entry << ": number " << ToOutput(book.Number(entry), encoding)
                             << " has bytes without a UTF-8 form, written as \"?\"; --encoding cp932 copies them"
                                " exactly\n";
                }
                out << converted;
                start = end;
            }
        }
        piece.clear();
        rowEnds.clear();
    };
    InfoRecord record;
    for (uint32_t e = 0; e < book.EntryCount(); ++e) {
        std::string number = book.Number(e);
        if (number.empty()) continue;
        std::optional<uint32_t> first = book.FindEntry(number);
        if (first && *first != e) {
            // The recorder only ever finds the first; an import would let the
            // later one replace it.
            warnings << "entry " << e << ": number " << ToOutput(number, encoding) << " repeats entry " << *first
                     << "; not exported\n";
            continue;
        }
        book.ReadRecord(e, &record);
        piece += Quoted(number) + ',' + Quoted(record.name) + ',' + Quoted(record.information) + "\r\n";
        rowEnds.emplace_back(e, piece.size());
        if (piece.size() >= kPieceSize) flush();
    }
    flush();
}

bool ImportCsv(PhoneBook& book, const std::string& csv, TextEncoding encoding, std::ostream& report,
               ImportCounts* counts) {
    *counts = ImportCounts();
    std::string text = csv;
    std::set<size_t> lossyLines;
    if (encoding == TextEncoding::Utf8) {
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
        text = TextToSjis(text, &lossyLines);
    }
    std::vector<CsvRow> rows;
    std::string error;
    if (!CsvReader().Read(text, &rows, &error)) {
        report << error << "; nothing imported\n";
        return false;
    }
    size_t start = 0;
    if (!rows.empty() && rows[0].fields.size() == 3 && EqualsIgnoringCase(rows[0].fields[0], "number") &&
        EqualsIgnoringCase(rows[0].fields[1], "name") && EqualsIgnoringCase(rows[0].fields[2], "information")) {
        start = 1;
    }
    for (size_t i = start; i < rows.size(); ++i) {
        const CsvRow& row = rows[i];
        std::string number, name, information;
        bool cut = false;
        auto lossy = lossyLines.lower_bound(row.line);
        std::string reason = lossy != lossyLines.end() && *lossy <= row.lastLine
                                 ? "the row is not valid UTF-8 or holds characters that Shift-JIS (CP932) cannot hold"
                                 : PrepareRow(row, &number, &name, &information, &cut);
        report << "line " << row.line << ": ";
        if (!reason.empty()) {
            report << "refused: " << reason << "\n";
            ++counts->refused;
            continue;
        }
        bool existed = book.FindEntry(number).has_value();
        SaveResult result = book.SaveRecord(number, name, information);
        if (result != SaveResult::Saved) {
            report << "stopped: the phone book could not store " << ToOutput(number, encoding) << "\n";
            return false;
        }
        report << (existed ? "replaced " : "added ") << ToOutput(number, encoding)
               << (cut ? " (number cut to 14 bytes)" : "") << "\n";
        ++(existed ? counts->replaced : counts->added);
    }
    return true;
}

namespace {

// The command line after the command word: the encoding and the operands.
// False (with the message written) when an option is unknown.
bool ParseToolOptions(const std::vector<std::string>& args, TextEncoding* encoding,
                      std::vector<std::string>* operands, std::ostream& err) {
    for (size_t i = 1; i < args.size(); ++i) {
        std::string value;
        if (args[i] == "--encoding" && i + 1 < args.size()) {
            value = args[++i];
        } else if (args[i].compare(0, 11, "--encoding=") == 0) {
            value = args[i].substr(11);
        } else if (args[i].size() > 1 && args[i][0] == '-' && args[i] != "-") {
            err << "phonebook: unknown option " << args[i] << "\n" << kUsage;
            return false;
        } else {
            operands->push_back(args[i]);
            continue;
        }
        if (EqualsIgnoringCase(value, "utf-8") || EqualsIgnoringCase(value, "utf8")) {
            *encoding = TextEncoding::Utf8;
        } else if (EqualsIgnoringCase(value, "cp932")) {
            *encoding = TextEncoding::Cp932;
        } else {
            err << "phonebook: unknown encoding " << value << " (utf-8 or cp932)\n";
            return false;
        }
    }
    return true;
}

// The store's Shift-JIS name of the book folder DIR, checked to hold a whole
// book (or, for an import, none of its files). Empty with the message written
// when it cannot be used.
std::string BookFolder(const std::string& dir, bool forImport, std::ostream& err) {
    // The store takes Shift-JIS paths with "\"; "/" is never a trail byte.
    std::string folder = Utf8ToSjis(dir);
    if (SjisToUtf8(folder) != dir) {
        err << "phonebook: the folder name " << dir << " has no Shift-JIS form\n";
        return "";
    }
    std::replace(folder.begin(), folder.end(), '/', '\\');
    if (!IsFolder(folder)) {
        err << "phonebook: " << dir << " is not a folder\n";
        return "";
    }
    // A book is its three files together: with some missing, creating them
    // empty would pair the rest with nothing (an import could then take the
    // blocks of existing contacts). Only a folder with none is a new book.
    const char* const bookFiles[] = {kIndexFileName, kDataFileName, kAreaFileName};
    std::vector<std::string> missing;
    for (const char* name : bookFiles) {
        if (!PathExists(folder + "\\" + name)) missing.push_back(name);
    }
    if (!missing.empty() && missing.size() < 3) {
        err << "phonebook: " << dir << " holds an incomplete phone book:";
        for (const std::string& name : missing) err << " " << name;
        err << (missing.size() == 1 ? " is" : " are")
            << " missing; nothing was read or written (restore the file from a copy of the book, or move "
               "all three away to start an empty book)\n";
        return "";
    }
    if (!forImport && !missing.empty()) {
        err << "phonebook: " << dir << " holds no phone book (" << kIndexFileName << " is missing)\n";
        return "";
    }
    return folder;
}

// The bytes of the CSV file to import ("-": standard input).
bool ReadCsvInput(const std::string& path, std::istream& in, std::string* csv, std::ostream& err) {
    std::ostringstream bytes;
    if (path == "-") {
        bytes << in.rdbuf();
    } else {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            err << "phonebook: cannot read " << path << "\n";
            return false;
        }
        bytes << file.rdbuf();
    }
    *csv = bytes.str();
    return true;
}

int RunImport(PhoneBook& book, const std::string& csv, TextEncoding encoding, std::ostream& out) {
    ImportCounts counts;
    bool ok = ImportCsv(book, csv, encoding, out, &counts);
    out << counts.added << " added, " << counts.replaced << " replaced, " << counts.refused << " refused\n";
    if (!ok) return 1;
    return counts.refused > 0 ? 2 : 0;
}

}  // namespace

int RunPhoneBookTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return 1;
    }
    const std::string& command = args[0];
    if (command == "help" || command == "-h" || command == "--help") {
        out << kUsage;
        return 0;
    }
    TextEncoding encoding = TextEncoding::Utf8;
    std::vector<std::string> operands;
    if (!ParseToolOptions(args, &encoding, &operands, err)) return 1;
    bool isImport = command == "import";
    if ((command != "list" && command != "export" && !isImport) || operands.size() != (isImport ? 2u : 1u)) {
        err << kUsage;
        return 1;
    }
    std::string folder = BookFolder(operands[0], isImport, err);
    if (folder.empty()) return 1;
    std::string csv;
    if (isImport && !ReadCsvInput(operands[1], in, &csv, err)) return 1;

    PrintedMessages messages(err, encoding);
    PhoneBookOptions options;
    options.appendLimit = false;
    options.readOnly = !isImport;
    PhoneBook book(messages, options);
    if (!book.OpenPhoneBook(folder)) return 1;
    int status = 0;
    if (command == "list") {
        ListBook(book, encoding, out);
    } else if (command == "export") {
        ExportCsv(book, encoding, out, err);
    } else {
        status = RunImport(book, csv, encoding, out);
        if (status != 0) return status;
    }
    out.flush();
    return out ? 0 : 1;
}

}  // namespace suite
