#include "common/file_name_rules.h"

#include <gtest/gtest.h>

#include <string>

using namespace suite;

namespace {

TEST(FileNameRules, DriveAndUncFoldersAsStoredOthersUnderTheProgram) {
    const std::string program = "C:\\Program Files\\Corvinet\\";
    EXPECT_EQ(ResolvedFolder("D:\\x\\", program), "D:\\x\\");
    // A lower-case drive letter is above "Z": relative, as the stored files have it.
    EXPECT_EQ(ResolvedFolder("d:\\x\\", program), program + "d:\\x\\");
    EXPECT_EQ(ResolvedFolder("\\x\\", program), program + "\\x\\");
}

TEST(FileNameRules, TrailingSeparatorIsAddedAlsoAfterAKanjiWithTheSameTrailByte) {
    EXPECT_EQ(WithTrailingSeparator("D:\\calls"), "D:\\calls\\");
    EXPECT_EQ(WithTrailingSeparator("D:\\calls\\"), "D:\\calls\\");
    // "表" is 0x95 0x5C: its trail byte is not a separator.
    EXPECT_EQ(WithTrailingSeparator("D:\\表"), "D:\\表\\");
    EXPECT_EQ(WithTrailingSeparator("D:\\表\\"), "D:\\表\\");
    EXPECT_EQ(WithTrailingSeparator(""), "\\");
}

}  // namespace
