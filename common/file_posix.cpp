#include "common/file_layer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "common/text_convert.h"

namespace suite {
namespace {

std::string NativePath(const std::string& path) {
    std::string utf8 = SjisToUtf8(path);
    for (char& c : utf8) {
        if (c == '\\') c = '/';
    }
    return utf8;
}

}  // namespace

File::~File() { Close(); }

bool File::Open(const std::string& path, Mode mode, Sharing) {
    Close();
    int flags = 0;
    switch (mode) {
        case Mode::ReadCreate: flags = O_RDWR | O_CREAT; break;
        case Mode::WriteExisting: flags = O_WRONLY; break;
        case Mode::TruncateExisting: flags = O_WRONLY | O_TRUNC; break;
        case Mode::CreateAlways: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
        case Mode::ReadExisting: flags = O_RDONLY; break;
    }
    std::string native = NativePath(path);
    int fd = ::open(native.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0 && mode == Mode::ReadCreate && errno == EACCES) {
        fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

bool File::LockForWriting() {
    if (handle_ == -1) return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(kWriterLockOffset);
    lock.l_len = 1;
    // An open-file-description lock: it conflicts with the POSIX lock Wine
    // takes for a Windows program, and with a second open in this process.
    const int fd = static_cast<int>(handle_);
    if ((fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDONLY) return fcntl(fd, F_OFD_SETLK, &lock) == 0;
    // A file this process may only read cannot be written through; it only
    // has to find no writer at work.
    if (fcntl(fd, F_OFD_GETLK, &lock) != 0) return false;
    return lock.l_type == F_UNLCK;
}

void File::Close() {
    if (handle_ != -1) ::close(static_cast<int>(handle_));
    handle_ = -1;
}

size_t File::ReadAt(uint64_t offset, void* buffer, size_t n) {
    if (handle_ == -1) return 0;
    size_t done = 0;
    while (done < n) {
        ssize_t got = ::pread(static_cast<int>(handle_), static_cast<char*>(buffer) + done, n - done,
                              static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

bool File::WriteAt(uint64_t offset, const void* buffer, size_t n) {
    if (handle_ == -1) return false;
    size_t done = 0;
    while (done < n) {
        ssize_t put = ::pwrite(static_cast<int>(handle_), static_cast<const char*>(buffer) + done, n - done,
                               static_cast<off_t>(offset + done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

bool File::Size(uint64_t* size) const {
    struct stat st;
    if (handle_ == -1 || fstat(static_cast<int>(handle_), &st) != 0) return false;
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool PathExists(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(NativePath(path).c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolderPath(const std::string& path) {
    std::string native = NativePath(path);
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    if (native.empty()) return false;
    for (size_t i = 1; i <= native.size(); ++i) {
        if (i < native.size() && native[i] != '/') continue;
        std::string part = native.substr(0, i);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveEmptyFolder(const std::string& path) { return rmdir(NativePath(path).c_str()) == 0; }

bool DeleteFilePath(const std::string& path) { return unlink(NativePath(path).c_str()) == 0; }

namespace {

// The move of rename(2) across file systems: a copy that is complete
// before the original goes; a copy that fails is removed.
bool CopyThenRemove(const std::string& from, const std::string& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ok = false;
        if (got <= 0) break;
        for (ssize_t done = 0; ok && done < got;) {
            ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) ok = false;
            else done += put;
        }
        if (!ok) break;
    }
    ::close(in);
    if (ok && fsync(out) != 0) ok = false;
    if (::close(out) != 0) ok = false;
    if (!ok) {
        unlink(to.c_str());
        return false;
    }
    unlink(from.c_str());
    return true;
}

}  // namespace

bool RenamePath(const std::string& from, const std::string& to) {
    std::string source = NativePath(from);
    std::string target = NativePath(to);
    struct stat st;
    if (lstat(target.c_str(), &st) == 0) return false;
    if (rename(source.c_str(), target.c_str()) == 0) return true;
    if (errno != EXDEV) return false;
    if (lstat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return CopyThenRemove(source, target);
}

namespace {

// Birth time where the file system keeps one, else the last change.
bool NativeCreation(int dirFd, const char* path, FileTime* time, bool* isFolder, uint64_t* size) {
    struct statx sx;
    if (statx(dirFd, path, 0, STATX_BTIME | STATX_MTIME | STATX_TYPE | STATX_SIZE, &sx) != 0) return false;
    time_t seconds = (sx.stx_mask & STATX_BTIME) ? static_cast<time_t>(sx.stx_btime.tv_sec)
                                                 : static_cast<time_t>(sx.stx_mtime.tv_sec);
    struct tm local;
    if (!localtime_r(&seconds, &local)) return false;
    *time = FileTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour, local.tm_min, local.tm_sec};
    if (isFolder) *isFolder = S_ISDIR(sx.stx_mode);
    if (size) *size = S_ISDIR(sx.stx_mode) ? 0 : sx.stx_size;
    return true;
}

}  // namespace

bool CreationTime(const std::string& path, FileTime* time) {
    return NativeCreation(AT_FDCWD, NativePath(path).c_str(), time, nullptr, nullptr);
}

bool ListFolderItems(const std::string& folder, std::vector<FolderItem>* items) {
    items->clear();
    std::string native = NativePath(folder);
    DIR* dir = opendir(native.empty() ? "." : native.c_str());
    if (!dir) return false;
    int dirFd = dirfd(dir);
    while (struct dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        // iconv marks what it cannot convert; a round trip tells a real
        // Shift-JIS form from a marked one.
        std::string sjis = Utf8ToSjis(name);
        if (SjisToUtf8(sjis) != name) continue;
        FolderItem item{sjis, false, FileTime{}, 0};
        if (!NativeCreation(dirFd, e->d_name, &item.created, &item.isFolder, &item.size)) continue;
        items->push_back(std::move(item));
    }
    closedir(dir);
    return true;
}

}  // namespace suite
