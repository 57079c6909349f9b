#include "common/file_layer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "test_folder.h"

using namespace suite;
using suite_test::ReadAllBytes;
using suite_test::TestFolder;
using suite_test::Utf8PathExists;

TEST(FileLayer, OpenModes) {
    TestFolder dir;
    File f;
    EXPECT_FALSE(f.Open("missing.bin", File::Mode::WriteExisting)) << "must not create";
    EXPECT_FALSE(f.Open("missing.bin", File::Mode::TruncateExisting)) << "must not create";
    EXPECT_FALSE(Utf8PathExists("missing.bin"));

    ASSERT_TRUE(f.Open("a.bin", File::Mode::ReadCreate));
    uint64_t size = 99;
    ASSERT_TRUE(f.Size(&size));
    EXPECT_EQ(size, 0u);
    ASSERT_TRUE(f.WriteAt(0, "abcdef", 6));
    f.Close();

    // Writing an existing file keeps what lies beyond the write.
    ASSERT_TRUE(f.Open("a.bin", File::Mode::WriteExisting));
    ASSERT_TRUE(f.WriteAt(2, "XY", 2));
    f.Close();
    EXPECT_EQ(ReadAllBytes("a.bin"), (std::vector<uint8_t>{'a', 'b', 'X', 'Y', 'e', 'f'}));

    ASSERT_TRUE(f.Open("a.bin", File::Mode::TruncateExisting));
    ASSERT_TRUE(f.WriteAt(0, "Q", 1));
    f.Close();
    EXPECT_EQ(ReadAllBytes("a.bin"), std::vector<uint8_t>{'Q'});

    ASSERT_TRUE(f.Open("a.bin", File::Mode::CreateAlways));
    ASSERT_TRUE(f.Size(&size));
    EXPECT_EQ(size, 0u);
}

TEST(FileLayer, ReadAtOffsetStopsAtTheEnd) {
    TestFolder dir;
    File f;
    ASSERT_TRUE(f.Open("r.bin", File::Mode::CreateAlways));
    ASSERT_TRUE(f.WriteAt(0, "0123456789", 10));
    f.Close();
    ASSERT_TRUE(f.Open("r.bin", File::Mode::ReadCreate));
    char buf[8] = {};
    EXPECT_EQ(f.ReadAt(7, buf, sizeof buf), 3u);
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(f.ReadAt(100, buf, sizeof buf), 0u);
}

TEST(FileLayer, ShiftJisPathsWithBackslashes) {
    TestFolder dir;
    const std::string folder = "マニュアル 兼 作業フォルダー\\表示\\深い";
    ASSERT_TRUE(CreateFolderPath(folder + "\\"));
    EXPECT_TRUE(Utf8PathExists(u8"マニュアル 兼 作業フォルダー/表示/深い"));
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_TRUE(CreateFolderPath(folder)) << "an existing folder is success";

    File f;
    const std::string file = folder + "\\setting（編集厳禁）.ini";
    ASSERT_TRUE(f.Open(file, File::Mode::ReadCreate));
    f.Close();
    EXPECT_TRUE(PathExists(file));
    EXPECT_FALSE(IsFolder(file));

    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(folder, &entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "setting（編集厳禁）.ini");
    EXPECT_FALSE(entries[0].isFolder);

    FileTime t{};
    ASSERT_TRUE(CreationTime(file, &t));
    EXPECT_GE(t.year, 2024);
    EXPECT_TRUE(t.month >= 1 && t.month <= 12);

    EXPECT_FALSE(RemoveEmptyFolder(folder)) << "not empty";
    ASSERT_TRUE(DeleteFilePath(file));
    EXPECT_FALSE(PathExists(file));
    EXPECT_TRUE(RemoveEmptyFolder(folder));
    EXPECT_FALSE(PathExists(folder));
}

TEST(FileLayer, RenameNeverOverwrites) {
    TestFolder dir;
    File f;
    ASSERT_TRUE(f.Open("a.tmp", File::Mode::CreateAlways));
    f.WriteAt(0, "A", 1);
    f.Close();
    ASSERT_TRUE(f.Open("b.ogg", File::Mode::CreateAlways));
    f.WriteAt(0, "B", 1);
    f.Close();
    EXPECT_FALSE(RenamePath("a.tmp", "b.ogg"));
    EXPECT_EQ(ReadAllBytes("b.ogg"), std::vector<uint8_t>{'B'});
    EXPECT_TRUE(RenamePath("a.tmp", "c.ogg"));
    EXPECT_FALSE(PathExists("a.tmp"));
    EXPECT_EQ(ReadAllBytes("c.ogg"), std::vector<uint8_t>{'A'});
}

TEST(FileLayer, FailuresAreReportedNotCrashing) {
    TestFolder dir;
    File f;
    EXPECT_FALSE(f.Open("no\\such\\folder\\x.ini", File::Mode::ReadCreate));
    uint64_t size;
    EXPECT_FALSE(f.Size(&size));
    char c;
    EXPECT_EQ(f.ReadAt(0, &c, 1), 0u);
    EXPECT_FALSE(f.WriteAt(0, &c, 1));
    std::vector<FolderEntry> entries;
    EXPECT_FALSE(ListFolder("no\\such", &entries));
    EXPECT_FALSE(DeleteFilePath("nothing"));
    ASSERT_TRUE(CreateFolderPath("d"));
    EXPECT_FALSE(f.Open("d", File::Mode::ReadCreate)) << "a folder is not a file";

    // A full disk under a file's name: a create opens it as before and the
    // write is what fails.
    ASSERT_EQ(symlink("/dev/full", "full.ini"), 0);
    for (File::Mode mode : {File::Mode::CreateAlways, File::Mode::TruncateExisting}) {
        ASSERT_TRUE(f.Open("full.ini", mode)) << static_cast<int>(mode);
        EXPECT_FALSE(f.WriteAt(0, &c, 1));
    }
}
