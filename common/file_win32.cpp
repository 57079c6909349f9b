#include "common/file_layer.h"

#include <windows.h>

#include "common/sjis_text.h"
#include "common/text_convert.h"
#include "common/win32_text.h"

namespace suite {
namespace {

std::u16string Wide(const std::string& path) { return SjisToUtf16(path); }


HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

File::~File() { Close(); }

bool File::Open(const std::string& path, Mode mode, Sharing sharing) {
    Close();
    DWORD access = GENERIC_WRITE;
    DWORD disposition = OPEN_EXISTING;
    switch (mode) {
        case Mode::ReadCreate: access = GENERIC_READ | GENERIC_WRITE; disposition = OPEN_ALWAYS; break;
        case Mode::WriteExisting: disposition = OPEN_EXISTING; break;
        case Mode::TruncateExisting: disposition = TRUNCATE_EXISTING; break;
        case Mode::CreateAlways: disposition = CREATE_ALWAYS; break;
        case Mode::ReadExisting: access = GENERIC_READ; disposition = OPEN_EXISTING; break;
    }
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (sharing == Sharing::WritersExcluded) share = FILE_SHARE_READ;
    // The recorder may move or delete a recording being played; a create
    // that would empty it is refused by the missing write share.
    if (sharing == Sharing::Playback) share = FILE_SHARE_READ | FILE_SHARE_DELETE;
    std::u16string wide = Wide(path);
    HANDLE h = CreateFileW(AsWide(wide), access, share, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    // A file that may not be written, or lies on a write-protected medium,
    // is still opened for reading.
    const DWORD error = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (mode == Mode::ReadCreate && (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)) {
        h = CreateFileW(AsWide(wide), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(h);
    return true;
}

bool File::LockForWriting() {
    if (handle_ == -1) return false;
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(kWriterLockOffset);
    at.OffsetHigh = static_cast<DWORD>(kWriterLockOffset >> 32);
    return LockFileEx(H(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

void File::Close() {
    if (handle_ != -1) CloseHandle(H(handle_));
    handle_ = -1;
}

size_t File::ReadAt(uint64_t offset, void* buffer, size_t n) {
    if (handle_ == -1) return 0;
    size_t done = 0;
    while (done < n) {
        OVERLAPPED at = {};
        uint64_t pos = offset + done;
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        DWORD chunk = static_cast<DWORD>(n - done > 0x40000000 ? 0x40000000 : n - done);
        DWORD got = 0;
        if (!ReadFile(H(handle_), static_cast<char*>(buffer) + done, chunk, &got, &at) || got == 0) break;
        done += got;
    }
    return done;
}

bool File::WriteAt(uint64_t offset, const void* buffer, size_t n) {
    if (handle_ == -1) return false;
    size_t done = 0;
    while (done < n) {
        OVERLAPPED at = {};
        uint64_t pos = offset + done;
        at.Offset = static_cast<DWORD>(pos);
        at.OffsetHigh = static_cast<DWORD>(pos >> 32);
        DWORD chunk = static_cast<DWORD>(n - done > 0x40000000 ? 0x40000000 : n - done);
        DWORD put = 0;
        if (!WriteFile(H(handle_), static_cast<const char*>(buffer) + done, chunk, &put, &at) || put == 0)
            return false;
        done += put;
    }
    return true;
}

bool File::Size(uint64_t* size) const {
    LARGE_INTEGER li;
    if (handle_ == -1 || !GetFileSizeEx(H(handle_), &li)) return false;
    *size = static_cast<uint64_t>(li.QuadPart);
    return true;
}

bool File::Truncate(uint64_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    return handle_ != -1 && SetFilePointerEx(H(handle_), at, nullptr, FILE_BEGIN) && SetEndOfFile(H(handle_));
}

bool File::Flush() { return handle_ != -1 && FlushFileBuffers(H(handle_)); }

bool PathExists(const std::string& path) {
    return !path.empty() && GetFileAttributesW(AsWide(Wide(path))) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
    DWORD a = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(AsWide(Wide(path)));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateFolderPath(const std::string& path) {
    std::u16string wide = Wide(path);
    while (wide.size() > 1 && (wide.back() == u'\\' || wide.back() == u'/')) wide.pop_back();
    if (wide.empty()) return false;
    // A network share ("\\server\share\通話記録") is never created: only
    // the folders after it.
    size_t root = Wide(path.substr(0, PathRootLength(path))).size();
    for (size_t i = root > 0 ? root + 1 : 1; i <= wide.size(); ++i) {
        if (i < wide.size() && wide[i] != u'\\' && wide[i] != u'/') continue;
        std::u16string part = wide.substr(0, i);
        if (part.size() == 2 && part[1] == u':') continue;  // drive letter
        if (!CreateDirectoryW(AsWide(part), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    DWORD a = GetFileAttributesW(AsWide(wide));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool RemoveEmptyFolder(const std::string& path) { return RemoveDirectoryW(AsWide(Wide(path))) != 0; }

bool DeleteFilePath(const std::string& path) { return DeleteFileW(AsWide(Wide(path))) != 0; }

namespace {

RenameFailure RenameFailureOf(DWORD error, size_t targetLength) {
    switch (error) {
        case ERROR_ALREADY_EXISTS: case ERROR_FILE_EXISTS: return RenameFailure::TargetExists;
        case ERROR_FILE_NOT_FOUND: return RenameFailure::SourceMissing;
        case ERROR_PATH_NOT_FOUND:
            return targetLength >= MAX_PATH ? RenameFailure::TooLong : RenameFailure::SourceMissing;
        case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION: return RenameFailure::InUse;
        case ERROR_ACCESS_DENIED: case ERROR_WRITE_PROTECT: return RenameFailure::Denied;
        case ERROR_FILENAME_EXCED_RANGE: return RenameFailure::TooLong;
        default: return RenameFailure::Other;
    }
}

}  // namespace

bool RenameNoReplace(const std::string& from, const std::string& to, bool* otherVolume) {
    if (otherVolume) *otherVolume = false;
    // Without MOVEFILE_COPY_ALLOWED the move never copies, and without
    // MOVEFILE_REPLACE_EXISTING it never replaces: an existing target, one
    // that appeared a moment ago included, is refused in the same step.
    if (MoveFileExW(AsWide(Wide(from)), AsWide(Wide(to)), 0)) return true;
    if (GetLastError() == ERROR_NOT_SAME_DEVICE && otherVolume) *otherVolume = true;
    return false;
}

bool RenamePath(const std::string& from, const std::string& to, RenameFailure* why) {
    if (why) *why = RenameFailure::None;
    bool otherVolume = false;
    if (RenameNoReplace(from, to, &otherVolume)) return true;
    DWORD error = GetLastError();
    // Windows' own copy across volumes writes straight under the target's
    // name, where a kill leaves a short file: ours copies beside it first.
    if (otherVolume) {
        if (MoveByCopy(from, to)) return true;
        error = GetLastError();
    }
    if (why) *why = RenameFailureOf(error, Wide(to).size());
    SetLastError(error);
    return false;
}

namespace {

bool LocalTime(const FILETIME& utc, FileTime* time) {
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &st)) return false;
    *time = FileTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
    return true;
}

}  // namespace

bool CreationTime(const std::string& path, FileTime* time) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(AsWide(Wide(path)), GetFileExInfoStandard, &data)) return false;
    return LocalTime(data.ftCreationTime, time);
}

bool ListFolderItems(const std::string& folder, std::vector<FolderItem>* items, std::vector<std::string>* skipped) {
    items->clear();
    if (skipped) skipped->clear();
    // A folder ending in a kanji whose trail byte is 0x5C has no separator yet.
    std::string pattern = folder;
    if (!pattern.empty() && !SjisEndsWith(pattern, '\\') && !SjisEndsWith(pattern, '/')) pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(AsWide(Wide(pattern)), &data);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        std::u16string name(reinterpret_cast<const char16_t*>(data.cFileName));
        if (name == u"." || name == u"..") continue;
        // A name with characters code page 932 lacks is left out, not garbled.
        std::string sjis;
        if (!WideToSjis(data.cFileName, static_cast<int>(name.size()), &sjis)) continue;
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        FolderItem item{sjis, isFolder, FileTime{}, 0};
        if (!LocalTime(data.ftCreationTime, &item.created)) {
            if (skipped) skipped->push_back(sjis);
            continue;
        }
        if (!isFolder) item.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        items->push_back(std::move(item));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return true;
}

// Windows names hold no "\".
std::string ListedPath(const std::string& folder, const std::string& name) { return folder + name; }

}  // namespace suite
