// The move across file systems, on the file layer of either platform.
#include <vector>

#include "common/file_layer.h"

namespace suite {
namespace {

const char kCopySuffix[] = ".part";
const char kNoteSuffix[] = ".move";
constexpr size_t kChunk = size_t(1) << 16;

// Copies from into a new file to and puts the copy on the disk.
bool CopyWhole(const std::string& from, const std::string& to) {
    File in, out;
    uint64_t size = 0;
    if (!in.Open(from, File::Mode::ReadExisting) || !in.Size(&size)) return false;
    if (!out.Open(to, File::Mode::CreateAlways, File::Sharing::WritersExcluded)) return false;
    std::vector<uint8_t> buffer(kChunk);
    for (uint64_t at = 0; at < size;) {
        size_t want = size - at < kChunk ? static_cast<size_t>(size - at) : kChunk;
        if (in.ReadAt(at, buffer.data(), want) != want || !out.WriteAt(at, buffer.data(), want)) return false;
        at += want;
    }
    return out.Flush();
}

bool SameBytes(const std::string& a, const std::string& b) {
    File fa, fb;
    uint64_t sizeA = 0, sizeB = 0;
    if (!fa.Open(a, File::Mode::ReadExisting) || !fb.Open(b, File::Mode::ReadExisting) || !fa.Size(&sizeA) ||
        !fb.Size(&sizeB) || sizeA != sizeB) {
        return false;
    }
    std::vector<uint8_t> bufA(kChunk), bufB(kChunk);
    for (uint64_t at = 0; at < sizeA;) {
        size_t want = sizeA - at < kChunk ? static_cast<size_t>(sizeA - at) : kChunk;
        if (fa.ReadAt(at, bufA.data(), want) != want || fb.ReadAt(at, bufB.data(), want) != want ||
            bufA != bufB) {
            return false;
        }
        at += want;
    }
    return true;
}

// The note: the copy's path and the target's, one a line. Only a note whose
// copy is its target's ".part" is taken, so a damaged one removes nothing else.
bool ReadNote(const std::string& notePath, std::string* copy, std::string* target) {
    File note;
    uint64_t size = 0;
    if (!note.Open(notePath, File::Mode::ReadExisting) || !note.Size(&size) || size > 8192) return false;
    std::string text(static_cast<size_t>(size), '\0');
    if (note.ReadAt(0, &text[0], text.size()) != text.size()) return false;
    size_t first = text.find('\n');
    if (first == std::string::npos || text.empty() || text.back() != '\n') return false;
    *copy = text.substr(0, first);
    *target = text.substr(first + 1, text.size() - first - 2);
    return !target->empty() && target->find('\n') == std::string::npos && *copy == *target + kCopySuffix;
}

}  // namespace

bool MoveByCopy(const std::string& from, const std::string& to) {
    if (PathExists(to) || !PathExists(from) || IsFolder(from)) return false;
    const std::string copy = to + kCopySuffix;
    const std::string notePath = from + kNoteSuffix;
    {
        // Without the note (its folder full) a kill leaves a stray copy, but
        // still nothing under the target's name: the move goes on.
        File note;
        const std::string text = copy + "\n" + to + "\n";
        if (note.Open(notePath, File::Mode::CreateAlways) && note.WriteAt(0, text.data(), text.size())) note.Flush();
    }
    const bool moved = CopyWhole(from, copy) && RenameNoReplace(copy, to, nullptr);
    if (moved) {
        DeleteFilePath(from);
    } else {
        DeleteFilePath(copy);
    }
    DeleteFilePath(notePath);
    return moved;
}

void FinishInterruptedMove(const std::string& from) {
    const std::string notePath = from + kNoteSuffix;
    if (!PathExists(notePath)) return;
    std::string copy, target;
    if (ReadNote(notePath, &copy, &target)) {
        if (PathExists(copy)) {
            // Never put in place: the original is whole.
            DeleteFilePath(copy);
        } else if (PathExists(from) && SameBytes(from, target)) {
            // In place whole; the kill came before the original went.
            DeleteFilePath(from);
        }
    }
    DeleteFilePath(notePath);
}

}  // namespace suite
