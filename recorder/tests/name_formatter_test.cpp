#include "recorder/name_formatter.h"

#include <gtest/gtest.h>

#include "recorder/tests/fake_clock.h"

using namespace suite;

TEST(NameFormatter, ExpandsTokensInPlace) {
    const LocalTime t{2026, 12, 7, 14, 5, 33};
    struct Case {
        const char* format;
        const char* expanded;
    } cases[] = {
        {"yyyy年mm月", "2026年12月"},
        {"dd日xx時xx分xx秒", "07日14時05分33秒"},
        {"yyyy-yyyy", "2026-yyyy"},          // only the first of each
        {"mm/mm dd.dd", "12/mm 07.dd"},
        {"xx:xx:xx:xx", "14:05:33:xx"},      // a fourth "xx" stays letters
        {"xxxxxxxx", "140533xx"},
        {"xxx", "14x"},                      // the next "xx" starts after the hour
        {"dd日", "07日"},                    // no time
        {"mmdd", "1207"},
        {"", ""},
        // Second bytes of ベ (83 78 = 'x') and 電 (93 64 = 'd') are not tokens.
        {"ベxx時", "ベ14時"},
        {"電dd日", "電07日"},
        {"ペyyyy", "ペ2026"},
    };
    for (const Case& c : cases) {
        std::string text = c.format;
        ExpandDateTokens(&text, t);
        EXPECT_EQ(text, c.expanded) << c.format;
        EXPECT_EQ(text.size(), std::string(c.format).size());
    }
}

TEST(NameFormatter, SmallValuesArePaddedAndTheClockIsReadOnce) {
    suite_test::FixedClock clock;
    clock.now = LocalTime{987, 1, 2, 0, 0, 9};
    EXPECT_EQ(NameFormatter("yyyy.mm.dd xx:xx:xx", clock), "0987.01.02 00:00:09");
    // A year past 9999 keeps its last four digits: the name keeps its length.
    clock.now = LocalTime{12026, 1, 2, 0, 0, 9};
    EXPECT_EQ(NameFormatter("yyyy.mm.dd", clock), "2026.01.02");
    clock.now = LocalTime{2026, 12, 7, 14, 5, 33};
    EXPECT_EQ(NameFormatter(kFallbackNameFormat, clock),
              "電話終了時刻は2026年12月07日14時05分です。（設定を見直してください）");
}
