#include "common/tests/test_folder.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
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

SmallDisk::SmallDisk(const std::string& utf8Path, size_t kib) : path_(utf8Path) {
    mkdir(path_.c_str(), 0755);
    std::string options = "size=" + std::to_string(kib) + "k";
    mounted_ = geteuid() == 0 && mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

SmallDisk::~SmallDisk() {
    if (mounted_) umount2(path_.c_str(), MNT_DETACH);
}

bool SmallDisk::MakeReadOnly() {
    return mounted_ && mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
}

}  // namespace suite_test
