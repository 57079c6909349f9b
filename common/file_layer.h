// The one file layer of the suite. Paths are Shift-JIS texts with "\" as the
// separator, as the settings hold them; the POSIX backend maps them to UTF-8
// with "/", the Win32 backend passes them to the wide-character API.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace suite {

// Where LockForWriting locks: 1 TiB, beyond any file of the suite.
constexpr uint64_t kWriterLockOffset = uint64_t(1) << 40;
// Where a Playback open holds its shared lock (POSIX), the byte after.
constexpr uint64_t kReaderLockOffset = kWriterLockOffset + 1;

class File {
public:
    enum class Mode {
        ReadCreate,         // read and write, created empty when missing
        WriteExisting,      // write, the file must exist; not truncated
        TruncateExisting,   // write, the file must exist; emptied first
        CreateAlways,       // write, created or emptied
        ReadExisting,       // read only, the file must exist
    };

    // Who else may open the file meanwhile. A file the program alone writes
    // (the recording in progress, the phone book) is opened WritersExcluded:
    // other processes may read it but not write it. A recording being played
    // is opened Playback: others may read, move or delete it (the open file
    // goes on reading), none may write it; a create that would empty it
    // fails instead.
    enum class Sharing { Open, WritersExcluded, Playback };

    File() = default;
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Open(const std::string& path, Mode mode, Sharing sharing = Sharing::Open);
    void Close();
    bool IsOpen() const { return handle_ != -1; }

    // Reads up to n bytes at offset; returns the count read (0 on failure).
    size_t ReadAt(uint64_t offset, void* buffer, size_t n);
    // Writes n bytes at offset; true when all were written.
    bool WriteAt(uint64_t offset, const void* buffer, size_t n);
    // Size of the open file; false when it cannot be taken.
    bool Size(uint64_t* size) const;
    // Cuts (or extends) the open file to size bytes.
    bool Truncate(uint64_t size);
    // Puts what was written on the disk before returning.
    bool Flush();
    // Takes the writer's lock of this file without waiting: false when
    // another process holds it. Held until Close. One byte far past any data,
    // so reads and writes are never in its way; Wine maps the Win32 lock to
    // a POSIX lock, so Windows programs under Wine and native tools exclude
    // each other.
    bool LockForWriting();

private:
    intptr_t handle_ = -1;  // file descriptor or HANDLE
};

struct FolderEntry {
    std::string name;  // Shift-JIS
    bool isFolder;
};

// Local calendar time of a file's creation (or its last change where the
// file system keeps no creation time).
struct FileTime {
    int year, month, day, hour, minute, second;
};

// One entry of a folder listing with what a list of recordings shows.
struct FolderItem {
    std::string name;  // Shift-JIS
    bool isFolder;
    FileTime created;  // local time; the last change where no creation time is kept
    uint64_t size;     // bytes; 0 for a folder
};

bool PathExists(const std::string& path);
bool IsFolder(const std::string& path);
// Creates the folder and every missing parent; true when it exists afterwards.
bool CreateFolderPath(const std::string& path);
bool RemoveEmptyFolder(const std::string& path);
bool DeleteFilePath(const std::string& path);
// Why a rename failed.
enum class RenameFailure { None, TargetExists, SourceMissing, InUse, Denied, TooLong, Other };

// Renames, or across file systems copies and removes the original (as the
// Windows move does). Never replaces nor deletes what exists at the target,
// even when it appears meanwhile: the rename fails instead. Only a whole
// file ever appears at the target: a failed or killed move leaves nothing
// there. *why (optional) tells the cause.
bool RenamePath(const std::string& from, const std::string& to, RenameFailure* why = nullptr);
// Renames within one file system, never over an existing target;
// *otherVolume (may be null) is set when the target lies on another one.
bool RenameNoReplace(const std::string& from, const std::string& to, bool* otherVolume);
// The move across file systems: a copy beside the target (target + ".part"),
// put on the disk, renamed into place, then the original removed. While it
// copies, a note beside the original (from + ".move") names the copy, so
// that FinishInterruptedMove can tidy up after a kill.
bool MoveByCopy(const std::string& from, const std::string& to);
// After a kill during MoveByCopy from this path: removes the partial copy,
// or, when the copy had already been put in place whole, the original.
void FinishInterruptedMove(const std::string& from);
bool CreationTime(const std::string& path, FileTime* time);
// Entries of a folder with creation time and size, without "." and "..";
// a name that has no Shift-JIS form is left out rather than garbled. An
// entry that cannot be examined (a dangling link, a file gone meanwhile) is
// left out and, when skipped is given, named there. False when the folder
// cannot be listed, or listed but not searched.
bool ListFolderItems(const std::string& folder, std::vector<FolderItem>* items,
                     std::vector<std::string>* skipped = nullptr);
// The path of a name a listing gave, inside folder (a prefix ending in "\"):
// the name is kept as it is, a "\" in it included where the platform allows
// one in a name (POSIX).
std::string ListedPath(const std::string& folder, const std::string& name);
// Names of a folder's entries, as ListFolderItems takes them.
inline bool ListFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    std::vector<FolderItem> items;
    entries->clear();
    if (!ListFolderItems(folder, &items)) return false;
    for (FolderItem& item : items) entries->push_back(FolderEntry{std::move(item.name), item.isFolder});
    return true;
}

}  // namespace suite
