// phone_book_list_bench DIR: times the phone book list's work over the phone
// book in DIR (fill, sorts, a search step over every row, the delete of 1000
// rows chunk by chunk). Deletes 1000 numbers: run it on a copy. Built for
// Windows too, so the figures can be taken under Wine with its file layer.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "phonebook/phone_book.h"
#include "phonebook/phone_book_list.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct PrintedMessages : suite::PhoneBookMessages {
    void NoSpace() override { std::puts("message: no space"); }
    void AppendWarning(int remaining) override { std::printf("message: append warning %d\n", remaining); }
    void CannotOpen(const std::string& path) override { std::printf("message: cannot open %s\n", path.c_str()); }
    void CannotWrite(const std::string& path) override { std::printf("message: cannot write %s\n", path.c_str()); }
    void InUse(const std::string& path) override { std::printf("message: in use %s\n", path.c_str()); }
};

struct QuietView : suite::PhoneBookListView {
    void SetRowCount(size_t) override {}
    void ShowRow(size_t) override {}
    void SelectRow(size_t, bool) override {}
    std::vector<size_t> SelectedRows() override { return selection; }
    void Redraw() override {}
    void ShowCount(const std::string&, bool, bool) override {}
    void SetSearchButton(bool) override {}
    void Tell(const std::string&, const std::string&) override { ++told; }
    std::vector<size_t> selection;
    int told = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: phone_book_list_bench DIR\n");
        return 2;
    }
    PrintedMessages messages;
    suite::PhoneBook book(messages, suite::PhoneBookOptions{false, false});
    if (!book.OpenPhoneBook(argv[1])) return 1;
    QuietView view;
    suite::PhoneBookList list(book, view);

    Clock::time_point t0 = Clock::now();
    list.Fill();
    std::printf("fill of %zu rows: %.1f ms\n", list.RowCount(), MsSince(t0));
    t0 = Clock::now();
    list.SortBy(0);
    std::printf("sort by number: %.1f ms\n", MsSince(t0));
    t0 = Clock::now();
    list.SortBy(1);
    std::printf("sort by name: %.1f ms\n", MsSince(t0));

    // A key no row holds: the step reads every row.
    list.RequestSearch("該当なし");
    t0 = Clock::now();
    list.Tick();
    std::printf("search step over every row: %.1f ms (%s)\n", MsSince(t0), view.told ? "no hit" : "hit");

    size_t step = std::max<size_t>(1, list.RowCount() / 1000);
    for (size_t row = 0; row < list.RowCount() && view.selection.size() < 1000; row += step) {
        view.selection.push_back(row);
    }
    list.RequestDelete();
    double longest = 0;
    int chunks = 1;
    t0 = Clock::now();
    Clock::time_point c0 = t0;
    bool more = list.Tick();
    longest = MsSince(c0);
    while (more) {
        c0 = Clock::now();
        more = list.ContinueDelete();
        longest = std::max(longest, MsSince(c0));
        ++chunks;
    }
    std::printf("delete of %zu rows: %.1f ms in %d chunks, longest chunk %.1f ms\n", view.selection.size(),
                MsSince(t0), chunks, longest);
    return 0;
}
