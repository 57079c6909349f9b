#include "common/file_layer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "common/sjis_text.h"
#include "common/text_convert.h"

namespace suite {
namespace {

// A "\" inside a listed name travels through a path as this pair, which
// no Shift-JIS character is (0x7F is never a trail byte). Its bytes can
// still follow a character ending in 0x81: it is found at character starts.
const char kNameBackslash[] = "\x81\x7F";

// The start of the next stand-in at a character start from from, or npos.
size_t FindNameBackslash(const std::string& path, size_t from) {
    for (size_t i = from; i < path.size(); ++i) {
        if (!IsSjisLeadByte(static_cast<unsigned char>(path[i])) || i + 1 == path.size()) continue;
        if (path.compare(i, 2, kNameBackslash) == 0) return i;
        ++i;
    }
    return std::string::npos;
}

// The path's "\" separators become "/"; a name's own "\" stays.
std::string NativePath(const std::string& path) {
    std::string native;
    for (size_t from = 0;;) {
        const size_t at = FindNameBackslash(path, from);
        std::string utf8 = SjisToUtf8(path.substr(from, at == std::string::npos ? at : at - from));
        for (char& c : utf8) {
            if (c == '\\') c = '/';
        }
        native += utf8;
        if (at == std::string::npos) return native;
        native += '\\';
        from = at + 2;
    }
}

}  // namespace

File::~File() { Close(); }

namespace {

// A lock of one byte at offset: taken (F_OFD_SETLK) or tested (F_OFD_GETLK:
// true when nothing else holds a conflicting one).
bool ByteLock(int fd, short type, uint64_t offset, int command) {
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = 1;
    if (fcntl(fd, command, &lock) != 0) return false;
    return command != F_OFD_GETLK || lock.l_type == F_UNLCK;
}

}  // namespace

bool File::Open(const std::string& path, Mode mode, Sharing sharing) {
    Close();
    int flags = 0;
    bool truncate = false;
    switch (mode) {
        case Mode::ReadCreate: flags = O_RDWR | O_CREAT; break;
        case Mode::WriteExisting: flags = O_WRONLY; break;
        case Mode::TruncateExisting: flags = O_WRONLY; truncate = true; break;
        case Mode::CreateAlways: flags = O_WRONLY | O_CREAT; truncate = true; break;
        case Mode::ReadExisting: flags = O_RDONLY; break;
    }
    std::string native = NativePath(path);
    // Non-blocking, so a FIFO under a recording's name cannot hold the open.
    int fd = ::open(native.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
    // A file that may not be written, or lies on a read-only medium, is
    // still opened for reading.
    if (fd < 0 && mode == Mode::ReadCreate && (errno == EACCES || errno == EROFS)) {
        fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd < 0) return false;
    struct stat st;
    // Never a folder nor a FIFO: no recording nor setting lies in one.
    bool ok = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode) && !S_ISFIFO(st.st_mode) && !S_ISSOCK(st.st_mode) &&
              fcntl(fd, F_SETFL, 0) == 0;
    // A file being played is never emptied under the player (as the Win32
    // sharing refuses the create). A recording is a regular file: a device
    // read as one could block.
    if (ok && sharing == Sharing::Playback) {
        ok = S_ISREG(st.st_mode) && ByteLock(fd, F_RDLCK, kReaderLockOffset, F_OFD_SETLK);
    }
    // Only a regular file is emptied, as O_TRUNC does: a device (the
    // full-disk seam) opens as it is.
    if (ok && truncate && S_ISREG(st.st_mode)) {
        ok = ByteLock(fd, F_WRLCK, kReaderLockOffset, F_OFD_GETLK) && ftruncate(fd, 0) == 0;
    }
    if (!ok) {
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

bool File::Truncate(uint64_t size) {
    if (handle_ == -1) return false;
    while (ftruncate(static_cast<int>(handle_), static_cast<off_t>(size)) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

bool File::Flush() { return handle_ != -1 && fsync(static_cast<int>(handle_)) == 0; }

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

RenameFailure RenameFailureOf(int error) {
    switch (error) {
        case EEXIST: case ENOTEMPTY: return RenameFailure::TargetExists;
        case ENOENT: return RenameFailure::SourceMissing;
        case EBUSY: case ETXTBSY: return RenameFailure::InUse;
        case EACCES: case EPERM: case EROFS: return RenameFailure::Denied;
        case ENAMETOOLONG: return RenameFailure::TooLong;
        default: return RenameFailure::Other;
    }
}

}  // namespace

bool RenameNoReplace(const std::string& from, const std::string& to, bool* otherVolume) {
    if (otherVolume) *otherVolume = false;
    std::string source = NativePath(from);
    std::string target = NativePath(to);
    // The kernel refuses an existing target in the same step as the rename.
    bool done = renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
    if (!done && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without that flag: a link fails on an existing name too.
        struct stat st;
        if (lstat(source.c_str(), &st) != 0) return false;
        if (!S_ISDIR(st.st_mode)) {
            if (link(source.c_str(), target.c_str()) == 0) {
                if (unlink(source.c_str()) == 0) return true;
                const int error = errno;
                unlink(target.c_str());
                errno = error;
                return false;
            }
            // Only a file system without links is left to the look first.
            if (errno != EPERM && errno != EOPNOTSUPP) {
                if (errno == EXDEV && otherVolume) *otherVolume = true;
                return false;
            }
        }
        if (lstat(target.c_str(), &st) == 0) {
            errno = EEXIST;
            return false;
        }
        done = rename(source.c_str(), target.c_str()) == 0;
    }
    if (done) return true;
    if (errno == EXDEV && otherVolume) *otherVolume = true;
    return false;
}

bool RenamePath(const std::string& from, const std::string& to, RenameFailure* why) {
    if (why) *why = RenameFailure::None;
    bool otherVolume = false;
    if (RenameNoReplace(from, to, &otherVolume)) return true;
    int error = errno;
    if (otherVolume) {
        if (MoveByCopy(from, to)) return true;
        error = errno;
    }
    if (why) *why = RenameFailureOf(error);
    errno = error;
    return false;
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

bool ListFolderItems(const std::string& folder, std::vector<FolderItem>* items, std::vector<std::string>* skipped) {
    items->clear();
    if (skipped) skipped->clear();
    std::string native = NativePath(folder);
    DIR* dir = opendir(native.empty() ? "." : native.c_str());
    if (!dir) return false;
    int dirFd = dirfd(dir);
    bool searchable = true;
    while (struct dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        // iconv marks what it cannot convert; a round trip tells a real
        // Shift-JIS form from a marked one.
        std::string sjis = Utf8ToSjis(name);
        if (SjisToUtf8(sjis) != name) continue;
        FolderItem item{sjis, false, FileTime{}, 0};
        if (!NativeCreation(dirFd, e->d_name, &item.created, &item.isFolder, &item.size)) {
            // The entry itself, not what a link points at: when even that
            // is refused, the folder may be read but not searched.
            struct stat st;
            if (fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == EACCES) {
                searchable = false;
                break;
            }
            if (skipped) skipped->push_back(sjis);
            continue;
        }
        items->push_back(std::move(item));
    }
    closedir(dir);
    if (!searchable) items->clear();
    return searchable;
}

std::string ListedPath(const std::string& folder, const std::string& name) {
    std::string path = folder;
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(name[i]);
        if (IsSjisLeadByte(b) && i + 1 < name.size()) {
            path.append(name, i++, 2);
        } else if (b == '\\') {
            path += kNameBackslash;
        } else {
            path += name[i];
        }
    }
    return path;
}

}  // namespace suite
