#include "common/file_layer.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include "common/program_folder.h"

#include "common/tests/test_folder.h"

using namespace suite;
using suite_test::ReadAllBytes;
using suite_test::SmallDisk;
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

// A read-only medium is opened for reading, as a file that may not be written.
TEST(FileLayer, FileOnAReadOnlyMediumOpensForReading) {
    TestFolder dir;
    SmallDisk disk("ro", 64);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
    suite_test::WriteAllBytes("ro/book.binary", {1, 2, 3});
    ASSERT_TRUE(disk.MakeReadOnly());
    File f;
    ASSERT_TRUE(f.Open("ro\\book.binary", File::Mode::ReadCreate));
    uint8_t got[3] = {};
    EXPECT_EQ(f.ReadAt(0, got, 3), 3u);
    EXPECT_EQ(got[2], 3);
    EXPECT_FALSE(f.WriteAt(0, "x", 1));
    EXPECT_FALSE(f.Open("ro\\missing.binary", File::Mode::ReadCreate)) << "nothing to read";
}

// A kill while a move copies to another file system never leaves a short
// file under the target's name; the next start removes the partial copy
// and keeps the original whole, or removes the original when the copy was
// already in place.
TEST(FileLayer, KilledMoveAcrossFileSystemsLeavesNoShortTarget) {
    TestFolder dir;
    std::vector<uint8_t> bytes(300000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    suite_test::WriteAllBytes("a.tmp", bytes);
    // Another file system where root may mount one; else the copying move itself.
    SmallDisk disk("dest", 1024);
    ASSERT_TRUE(CreateFolderPath("dest"));
    const bool mounted = disk.mounted();
    auto move = [mounted](const std::string& from, const std::string& to) {
        return mounted ? RenamePath(from, to) : MoveByCopy(from, to);
    };

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        rlimit limit{100000, 100000};  // SIGXFSZ ends the process part way through the copy
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_DFL);
        move("a.tmp", "dest\\b.ogg");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the copy was not cut short";
    EXPECT_FALSE(Utf8PathExists("dest/b.ogg"));
    FinishInterruptedMove("a.tmp");
    EXPECT_FALSE(Utf8PathExists("dest/b.ogg.part"));
    EXPECT_FALSE(Utf8PathExists("a.tmp.move"));
    EXPECT_EQ(ReadAllBytes("a.tmp"), bytes);

    // Killed after the copy was put in place, before the original went.
    suite_test::WriteAllBytes("dest/c.ogg", bytes);
    const std::string note = "dest\\c.ogg.part\ndest\\c.ogg\n";
    suite_test::WriteAllBytes("a.tmp.move", std::vector<uint8_t>(note.begin(), note.end()));
    FinishInterruptedMove("a.tmp");
    EXPECT_FALSE(Utf8PathExists("a.tmp"));
    EXPECT_FALSE(Utf8PathExists("a.tmp.move"));
    EXPECT_EQ(ReadAllBytes("dest/c.ogg"), bytes);

    // Undisturbed: the target whole, nothing else left.
    suite_test::WriteAllBytes("a.tmp", bytes);
    ASSERT_TRUE(move("a.tmp", "dest\\d.ogg"));
    EXPECT_EQ(ReadAllBytes("dest/d.ogg"), bytes);
    EXPECT_FALSE(Utf8PathExists("a.tmp"));
    EXPECT_FALSE(Utf8PathExists("a.tmp.move"));
    EXPECT_FALSE(Utf8PathExists("dest/d.ogg.part"));
}

// The start's probe of the program's folder: a folder the user cannot write
// fails it, and a folder that can be written keeps nothing of it. Root may
// write anywhere, so as root the read-only case runs as "nobody".
TEST(FileLayer, FolderProbeFailsWhereNoFileCanBeMade) {
    TestFolder dir;
    ASSERT_TRUE(CreateFolderPath("rw\\"));
    ASSERT_TRUE(CreateFolderPath("ro\\"));
    EXPECT_TRUE(CanCreateFileIn("rw\\", "~probe.tmp"));
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder("rw", &entries));
    EXPECT_TRUE(entries.empty()) << "the probe file is left behind";
    EXPECT_FALSE(CanCreateFileIn("missing\\", "~probe.tmp"));

    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod("rw", 0777), 0);
    ASSERT_EQ(chmod("ro", 0555), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        if (!CanCreateFileIn("rw\\", "~probe.tmp")) _exit(2);
        _exit(CanCreateFileIn("ro\\", "~probe.tmp") ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 3) << "cannot become nobody";
    EXPECT_NE(WEXITSTATUS(status), 2) << "a writable folder fails the probe";
    EXPECT_NE(WEXITSTATUS(status), 1) << "a read-only folder passes the probe";
    ASSERT_EQ(chmod("ro", 0755), 0);
}
