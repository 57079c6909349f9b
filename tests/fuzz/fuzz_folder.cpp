#include "tests/fuzz/fuzz_folder.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace suite_fuzz {

void EnterFuzzFolder() {
    static bool entered = false;
    if (entered) return;
    entered = true;
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/suite-fuzz-XXXXXX";
    if (!mkdtemp(&templ[0]) || chdir(templ.c_str()) != 0) {
        std::perror("suite fuzz folder");
        std::abort();
    }
}

void WriteFile(const std::string& path, const uint8_t* data, size_t n) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (n) std::fwrite(data, 1, n, f);
    std::fclose(f);
}

void EmptyFolder(const std::string& path) {
    DIR* dir = opendir(path.c_str());
    if (!dir) return;
    while (struct dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") unlink((path + "/" + name).c_str());
    }
    closedir(dir);
}

}  // namespace suite_fuzz
