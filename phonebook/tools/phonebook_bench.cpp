// Timings of the phone book on a large book: import, open, lookup, a
// 20-block save, export, and the import of that export into an empty folder.
// usage: phonebook_bench [COUNT]   (default 100000 numbers; works in /tmp)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "common/text_convert.h"
#include "phonebook/book_transfer.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from) {
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

// Wall time and the process's CPU time of one phase, so a busy machine shows.
struct Phase {
    Clock::time_point wall = Clock::now();
    std::clock_t cpu = std::clock();
    std::string Report() const {
        char text[64];
        std::snprintf(text, sizeof text, "%8.1f ms (cpu %.1f ms)", Ms(wall),
                      1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC);
        return text;
    }
};

struct Printed : suite::PhoneBookMessages {
    void NoSpace() override { std::cerr << "no space\n"; }
    void AppendWarning(int remaining) override { std::cerr << "append warning " << remaining << "\n"; }
    void CannotOpen(const std::string& path) override { std::cerr << "cannot open " << path << "\n"; }
    void CannotWrite(const std::string& path) override { std::cerr << "cannot write " << path << "\n"; }
    void InUse(const std::string& path) override { std::cerr << "in use " << path << "\n"; }
};

std::string NumberOf(size_t i) { return "0" + std::to_string(310000000 + i * 37); }

// Names of a few full-width characters, information of 0 to 1500 bytes in
// lines, mixed Japanese and ASCII.
std::string MakeCsv(size_t count, std::mt19937& rng) {
    const char* words[] = {u8"請求書", u8"送付済み", u8"折り返し", u8"担当", u8"見積", u8"order", u8"memo", u8"12:30"};
    std::string csv = "number,name,information\r\n";
    for (size_t i = 0; i < count; ++i) {
        std::string info;
        size_t target = rng() % 1501;
        while (info.size() + 12 < target) {
            info += words[rng() % 8];
            info += rng() % 6 == 0 ? "\r\n" : " ";
        }
        csv += NumberOf(i) + u8",\"顧客 " + std::to_string(i) + "\",\"" + info + "\"\r\n";
    }
    return csv;
}

// Best of five opens, the recorder's view.
double OpenMs(Printed& messages, const std::string& folder) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        suite::PhoneBook book(messages);
        Clock::time_point t = Clock::now();
        book.OpenPhoneBook(folder);
        best = std::min(best, Ms(t));
    }
    return best;
}

// Lookups of known numbers and, one in ten, of unknown ones: times sorted.
std::vector<double> FindTimes(suite::PhoneBook& book, size_t count, int lookups, std::mt19937& rng) {
    std::vector<double> times;
    for (int i = 0; i < lookups; ++i) {
        std::string number = i % 10 == 0 ? "0999" + std::to_string(i) : NumberOf(rng() % count);
        Clock::time_point t = Clock::now();
        volatile bool found = book.FindEntry(number).has_value();
        (void)found;
        times.push_back(Ms(t));
    }
    std::sort(times.begin(), times.end());
    return times;
}

// 20-block saves: growing an existing record, rewriting it in place, a new number.
struct SaveTimes {
    double max = 0, total = 0;
    int saves = 0;
};
SaveTimes TimeSaves(suite::PhoneBook& book, size_t count, std::mt19937& rng) {
    const std::string big(10000, 'x');
    SaveTimes times;
    for (int i = 0; i < 30; ++i) {
        for (const std::string& number : {NumberOf(rng() % count), NumberOf(rng() % count), "0888" + std::to_string(i)}) {
            Clock::time_point t = Clock::now();
            book.SaveRecord(number, "bench", big);
            double ms = Ms(t);
            times.max = std::max(times.max, ms);
            times.total += ms;
            ++times.saves;
        }
    }
    return times;
}

std::string TimeImport(Printed& messages, const std::string& folder, const std::string& csv,
                       suite::ImportCounts* counts) {
    suite::PhoneBookOptions toolOptions;
    toolOptions.appendLimit = false;
    suite::PhoneBook book(messages, toolOptions);
    book.OpenPhoneBook(folder);
    std::ostringstream report;
    Phase phase;
    suite::ImportCsv(book, csv, suite::TextEncoding::Utf8, report, counts);
    return phase.Report();
}

std::string TimeExport(Printed& messages, const std::string& folder, std::ostringstream& exported) {
    suite::PhoneBookOptions readOnly;
    readOnly.readOnly = true;
    suite::PhoneBook reader(messages, readOnly);
    reader.OpenPhoneBook(folder);
    std::ostringstream warnings;
    Phase phase;
    suite::ExportCsv(reader, suite::TextEncoding::Utf8, exported, warnings);
    return phase.Report();
}

}  // namespace

int main(int argc, char** argv) {
    size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    char templ[] = "/tmp/phonebook-bench-XXXXXX";
    if (!mkdtemp(templ)) return 1;
    const std::string root = templ;
    const std::string source = root + "/source", copy = root + "/copy";
    std::filesystem::create_directory(source);
    std::filesystem::create_directory(copy);
    std::mt19937 rng(7);
    Printed messages;

    const std::string csv = MakeCsv(count, rng);
    suite::ImportCounts counts;
    const std::string importTime = TimeImport(messages, source, csv, &counts);

    const double openMs = OpenMs(messages, source);
    suite::PhoneBook book(messages);
    book.OpenPhoneBook(source);
    const int lookups = 20000;
    const std::vector<double> findTimes = FindTimes(book, count, lookups, rng);
    double findTotal = 0;
    for (double ms : findTimes) findTotal += ms;
    const SaveTimes save = TimeSaves(book, count, rng);
    book.ClosePhoneBook();

    std::ostringstream exported;
    const std::string exportTime = TimeExport(messages, source, exported);
    const std::string reimportTime = TimeImport(messages, copy, exported.str(), &counts);

    std::printf("numbers: %zu (CSV %.1f MB, data file %.1f MB)\n", count, csv.size() / 1e6,
                std::filesystem::file_size(source + "/InfoData.binary") / 1e6);
    std::printf("import of generated CSV:      %s\n", importTime.c_str());
    std::printf("OpenPhoneBook (best of 5):    %8.2f ms\n", openMs);
    std::printf("FindEntry mean / 99.9%% / max: %8.4f / %.4f / %.4f ms (%d lookups)\n", findTotal / lookups,
                findTimes[findTimes.size() * 999 / 1000], findTimes.back(), lookups);
    std::printf("SaveRecord 20 blocks mean/max:%8.3f / %.3f ms (%d saves)\n", save.total / save.saves, save.max,
                save.saves);
    std::printf("export:                       %s\n", exportTime.c_str());
    std::printf("import of export, empty dir:  %s, %zu added\n", reimportTime.c_str(), counts.added);
    std::filesystem::remove_all(root);
    return 0;
}
