// A fresh temporary folder per test, removed afterwards; the test process
// works inside it so relative paths behave as in the install folder.
#pragma once
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

}  // namespace suite_test
