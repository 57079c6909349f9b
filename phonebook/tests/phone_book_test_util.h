// Shared pieces of the phone book tests: a message recorder, the three files
// as bytes, and byte-level expectations on them.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "phonebook/phone_book.h"
#include "common/tests/test_bytes.h"
#include "common/tests/test_folder.h"

namespace pb_test {

struct RecordedMessages : suite::PhoneBookMessages {
    void NoSpace() override { ++noSpace; }
    void AppendWarning(int remaining) override { warnings.push_back(remaining); }
    void CannotOpen(const std::string& path) override { cannotOpen.push_back(path); }
    void CannotWrite(const std::string& path) override { cannotWrite.push_back(path); }
    void InUse(const std::string& path) override { inUse.push_back(path); }

    int noSpace = 0;
    std::vector<int> warnings;
    std::vector<std::string> cannotOpen, cannotWrite, inUse;
};

using Bytes = std::vector<uint8_t>;

// The three files of folder "book" (ASCII, so the UTF-8 and Shift-JIS paths agree).
struct Files {
    Bytes index, data, area;

    static Files Read(const std::string& folder = "book") {
        return Files{suite_test::ReadAllBytes(folder + "/InfoIndex.binary"),
                     suite_test::ReadAllBytes(folder + "/InfoData.binary"),
                     suite_test::ReadAllBytes(folder + "/EriaTable.binary")};
    }
    void Write(const std::string& folder = "book") const {
        suite_test::WriteAllBytes(folder + "/InfoIndex.binary", index);
        suite_test::WriteAllBytes(folder + "/InfoData.binary", data);
        suite_test::WriteAllBytes(folder + "/EriaTable.binary", area);
    }
};

using suite_test::PutU32;
using suite_test::U32;

inline size_t EntryAt(uint32_t entry) { return 4 + 100 * size_t{entry}; }
inline size_t ListAt(uint32_t entry, uint32_t k) { return EntryAt(entry) + 16 + 4 * k; }

// Offsets where two versions of a file differ, a longer file counting its tail.
inline std::vector<std::pair<size_t, size_t>> ChangedRanges(const Bytes& before, const Bytes& after) {
    std::vector<std::pair<size_t, size_t>> ranges;
    size_t n = std::max(before.size(), after.size());
    for (size_t i = 0; i < n; ++i) {
        bool same = i < before.size() && i < after.size() && before[i] == after[i];
        if (same) continue;
        if (!ranges.empty() && ranges.back().second == i) {
            ranges.back().second = i + 1;
        } else {
            ranges.push_back({i, i + 1});
        }
    }
    return ranges;
}

// Every changed byte lies inside one of the allowed [from, to) ranges.
inline ::testing::AssertionResult OnlyChangedWithin(const Bytes& before, const Bytes& after,
                                                    const std::vector<std::pair<size_t, size_t>>& allowed) {
    for (auto [from, to] : ChangedRanges(before, after)) {
        for (size_t i = from; i < to; ++i) {
            bool inside = false;
            for (auto [a, b] : allowed) inside = inside || (i >= a && i < b);
            if (!inside) return ::testing::AssertionFailure() << "byte " << i << " changed outside the writes";
        }
    }
    return ::testing::AssertionSuccess();
}

// An information text of n bytes that differs from position to position.
inline std::string Text(size_t n, char seed = 'a') {
    std::string s(n, ' ');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('!' + (seed + i * 7) % 90);
    return s;
}

// Information length whose record takes exactly `blocks` blocks.
inline size_t InfoForBlocks(size_t blocks) { return blocks * 512 - 203; }

}  // namespace pb_test
