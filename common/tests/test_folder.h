// A fresh temporary folder per test, removed afterwards; the test process
// works inside it so relative paths behave as in the install folder.
#pragma once
#include <sys/resource.h>

#include <cstdint>
#include <string>
#include <vector>

namespace suite_test {

class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder in UTF-8 (the file layer takes Shift-JIS paths, which for
    // ASCII are the same bytes).
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string previous_;
};

// Whole file as bytes, by a UTF-8 path (independent of the file layer).
std::vector<uint8_t> ReadAllBytes(const std::string& utf8Path);
void WriteAllBytes(const std::string& utf8Path, const std::vector<uint8_t>& bytes);
bool Utf8PathExists(const std::string& utf8Path);

// A small file system of its own (tmpfs) at a folder of the test folder:
// another device for moves, a disk that fills, a medium made read-only.
// Needs root; the tests that use it are skipped without.
class SmallDisk {
public:
    SmallDisk(const std::string& utf8Path, size_t kib);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    // Mounts it again read-only, as a write-protected medium.
    bool MakeReadOnly();

private:
    std::string path_;
    bool mounted_ = false;
};

// Disk full, imitated natively with a file size limit: writes beyond it
// fail (SIGXFSZ ignored), as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_;
    void (*previousHandler_)(int);
};

}  // namespace suite_test
