#include "common/tests/test_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace suite_test {

TestFolder::TestFolder() {
    char templ[] = "/tmp/suite-test-XXXXXX";
    if (!mkdtemp(templ)) throw std::runtime_error("mkdtemp");
    path_ = templ;
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) previous_ = cwd;
    if (chdir(path_.c_str()) != 0) throw std::runtime_error("chdir");
}

TestFolder::~TestFolder() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) std::perror("chdir");
    std::string command = "rm -rf '" + path_ + "'";
    if (std::system(command.c_str()) != 0) std::perror("rm");
}

std::vector<uint8_t> ReadAllBytes(const std::string& utf8Path) {
    std::ifstream in(utf8Path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAllBytes(const std::string& utf8Path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(utf8Path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool Utf8PathExists(const std::string& utf8Path) {
    struct stat st;
    return stat(utf8Path.c_str(), &st) == 0;
}

}  // namespace suite_test
