#include "phonebook/phone_book.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/byte_io.h"
#include "common/file_name_rules.h"
#include "common/sjis_text.h"

namespace suite {

const char kIndexFileName[] = "InfoIndex.binary";
const char kDataFileName[] = "InfoData.binary";
const char kAreaFileName[] = "EriaTable.binary";

namespace {

constexpr uint32_t kListOffset = kNumberFieldSize;  // block list inside an entry
// An entry counts only when its number and first list word are in the file:
// AddNumber writes just those 20 bytes of a new last entry.
constexpr uint32_t kShortestEntry = kNumberFieldSize + 4;

// Numbers are compared and stored cut to 14 bytes, as the board cuts them.
std::string NumberKey(const std::string& number) {
    char slot[kMaxNumberLength + 1];
    SjisCopy(slot, sizeof slot, number);
    return slot;
}

// Where word k of an entry's block list is, in the index file and its image.
size_t ListOffset(uint32_t entry, uint32_t k) {
    return kIndexHeaderSize + size_t{kIndexEntrySize} * entry + kListOffset + 4 * size_t{k};
}

uint32_t BlocksFor(size_t storedLength) {
    return static_cast<uint32_t>((storedLength + kBlockSize - 1) / kBlockSize);
}

// Calls f(position in list, first block, count) for each run of consecutive
// block numbers, so neighbouring blocks go through one read or write.
template <typename F>
bool ForEachRun(const std::vector<uint32_t>& blocks, F f) {
    size_t k = 0;
    while (k < blocks.size()) {
        size_t run = 1;
        while (k + run < blocks.size() && blocks[k + run] == blocks[k] + run) ++run;
        if (!f(k, blocks[k], run)) return false;
        k += run;
    }
    return true;
}

}  // namespace

PhoneBook::PhoneBook(PhoneBookMessages& messages, PhoneBookOptions options)
    : messages_(messages), options_(options) {}

PhoneBook::~PhoneBook() { ClosePhoneBook(); }

bool PhoneBook::OpenPhoneBook(const std::string& folder) {
    ClosePhoneBook();
    const std::string prefix = folder.empty() ? folder : WithTrailingSeparator(folder);
    indexPath_ = prefix + kIndexFileName;
    dataPath_ = prefix + kDataFileName;
    areaPath_ = prefix + kAreaFileName;

    // A read-only book (listing, export) never creates a missing file.
    const File::Mode mode = options_.readOnly ? File::Mode::ReadExisting : File::Mode::ReadCreate;
    // One writer at a time: other processes may read the book, never write
    // it behind this one's back.
    const File::Sharing sharing = options_.readOnly ? File::Sharing::Open : File::Sharing::WritersExcluded;
    uint64_t areaSize = 0, indexSize = 0, dataSize = 0;
    if (!areaFile_.Open(areaPath_, mode, sharing)) {
        Fail(areaPath_);
        return false;
    }
    if (!options_.readOnly && !areaFile_.LockForWriting()) {
        ClosePhoneBook();
        messages_.InUse(areaPath_);
        return false;
    }
    if (!areaFile_.Size(&areaSize) || !LoadArea(areaSize)) {
        Fail(areaPath_);
        return false;
    }
    if (!indexFile_.Open(indexPath_, mode, sharing) || !indexFile_.Size(&indexSize) || !LoadIndex(indexSize)) {
        Fail(indexPath_);
        return false;
    }
    if (!dataFile_.Open(dataPath_, mode, sharing) || !dataFile_.Size(&dataSize)) {
        Fail(dataPath_);
        return false;
    }
    writable_ = !options_.readOnly;
    unwritablePath_ = indexPath_;
    if (writable_) ProbeWritable(indexSize, dataSize, areaSize);
    CheckLists(dataSize);
    BuildLookup();
    appendsThisRun_ = 0;
    lowestFreeHint_ = 0;
    open_ = true;
    return true;
}

void PhoneBook::Fail(const std::string& path) {
    ClosePhoneBook();
    messages_.CannotOpen(path);
}

void PhoneBook::ClosePhoneBook() {
    areaFile_.Close();
    indexFile_.Close();
    dataFile_.Close();
    std::vector<uint8_t>().swap(index_);
    std::vector<uint8_t>().swap(area_);
    byNumber_.clear();
    freeEntries_.clear();
    entryCount_ = 0;
    appendsThisRun_ = 0;
    lowestFreeHint_ = 0;
    open_ = false;
    writable_ = false;
}

bool PhoneBook::LoadArea(uint64_t size) {
    // Bytes from block kBlockLimit on can never matter.
    size_t n = static_cast<size_t>(std::min<uint64_t>(size, kBlockLimit));
    area_.assign(n, 0);
    area_.reserve(n + 2000);
    return n == 0 || areaFile_.ReadAt(0, area_.data(), n) == n;
}

bool PhoneBook::LoadIndex(uint64_t size) {
    uint8_t header[kIndexHeaderSize] = {};
    if (size >= kIndexHeaderSize && indexFile_.ReadAt(0, header, sizeof header) != sizeof header) return false;
    // EntryCount may promise more than the file holds; only entries that are
    // there are used, and the next append writes the true count.
    uint64_t present = size >= kIndexHeaderSize + kShortestEntry
                           ? (size - kIndexHeaderSize - kShortestEntry) / kIndexEntrySize + 1
                           : 0;
    uint64_t count = std::min<uint64_t>(ByteReader(header, sizeof header).U32LE(0), present);
    uint64_t imageSize = kIndexHeaderSize + count * kIndexEntrySize;
    if (imageSize > SIZE_MAX / 2) return false;
    try {
        index_.assign(static_cast<size_t>(imageSize), 0);
        index_.reserve(index_.size() + 100 * kIndexEntrySize);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::memcpy(index_.data(), header, sizeof header);
    size_t want = static_cast<size_t>(std::min<uint64_t>(size, imageSize)) - kIndexHeaderSize;
    if (size > kIndexHeaderSize &&
        indexFile_.ReadAt(kIndexHeaderSize, index_.data() + kIndexHeaderSize, want) != want) {
        return false;
    }
    entryCount_ = static_cast<uint32_t>(count);
    return true;
}

// The file layer falls back to reading when a file cannot be opened for
// writing; rewriting one byte with itself tells us before the first edit.
void PhoneBook::ProbeWritable(uint64_t indexSize, uint64_t dataSize, uint64_t areaSize) {
    struct Probe {
        File* file;
        uint64_t size;
        const std::string* path;
    } probes[] = {{&areaFile_, areaSize, &areaPath_}, {&indexFile_, indexSize, &indexPath_},
                  {&dataFile_, dataSize, &dataPath_}};
    for (const Probe& p : probes) {
        uint8_t b = 0;
        if (p.size == 0 || p.file->ReadAt(0, &b, 1) != 1) continue;
        if (!p.file->WriteAt(0, &b, 1)) {
            writable_ = false;
            unwritablePath_ = *p.path;
            messages_.CannotWrite(*p.path);
            return;
        }
    }
}

// Cuts every block list at its first unsound word: past the 20th, beyond the
// limit, a block free in the area table, a block that starts past the end of
// the data file, or one already listed earlier (the lower entry keeps it).
// The cut is written back so a later run cannot hand the block to this entry
// again once it belongs to another.
void PhoneBook::CheckLists(uint64_t dataSize) {
    const uint64_t dataBlocks = (dataSize + kBlockSize - 1) / kBlockSize;
    std::vector<uint8_t> claimed(area_.size(), 0);
    const uint8_t zero[4] = {};
    for (uint32_t e = 0; e < entryCount_; ++e) {
        if (IsFree(e)) {
            // A free entry's list is meaningless; in memory it owns nothing.
            SetListWord(e, 0, 0);
            continue;
        }
        for (uint32_t k = 0; k < kBlockListWords; ++k) {
            uint32_t word = ListWord(e, k);
            if (word == 0) break;
            uint32_t block = word - 1;
            bool sound = k < kMaxRecordBlocks && block < kBlockLimit && block < area_.size() &&
                         area_[block] != 0 && block < dataBlocks && !claimed[block];
            if (!sound) {
                SetListWord(e, k, 0);
                if (writable_) Write(Target::Index, ListOffset(e, k), zero, 4);
                break;
            }
            claimed[block] = 1;
        }
    }
}

void PhoneBook::BuildLookup() {
    byNumber_.clear();
    byNumber_.reserve(entryCount_);
    freeEntries_.clear();
    for (uint32_t e = 0; e < entryCount_; ++e) Remember(e);
}

// Entries are remembered after their number is written and forgotten before
// it changes, so the lookup always answers like a scan of the image.
void PhoneBook::Remember(uint32_t entry) {
    std::string number = Number(entry);
    if (number.empty()) {
        freeEntries_.insert(freeEntries_.end(), entry);
        return;
    }
    freeEntries_.erase(entry);
    std::vector<uint32_t>& entries = byNumber_[number];
    entries.insert(std::lower_bound(entries.begin(), entries.end(), entry), entry);
}

void PhoneBook::Forget(uint32_t entry) {
    std::string number = Number(entry);
    if (number.empty()) {
        freeEntries_.erase(entry);
        return;
    }
    auto it = byNumber_.find(number);
    if (it == byNumber_.end()) return;
    std::vector<uint32_t>& entries = it->second;
    entries.erase(std::remove(entries.begin(), entries.end(), entry), entries.end());
    if (entries.empty()) byNumber_.erase(it);
}

uint32_t PhoneBook::ListWord(uint32_t entry, uint32_t k) const {
    return ByteReader(index_.data(), index_.size()).U32LE(ListOffset(entry, k));
}

void PhoneBook::SetListWord(uint32_t entry, uint32_t k, uint32_t value) {
    ByteWriter(index_.data(), index_.size()).U32LE(ListOffset(entry, k), value);
}

uint32_t PhoneBook::ListLength(uint32_t entry) const {
    uint32_t k = 0;
    while (k < kMaxRecordBlocks && ListWord(entry, k) != 0) ++k;
    return k;
}

std::string PhoneBook::Number(uint32_t entry) const {
    if (entry >= entryCount_) return std::string();
    const char* field = reinterpret_cast<const char*>(Entry(entry));
    return std::string(field, SjisLength(field, kNumberFieldSize));
}

std::vector<uint32_t> PhoneBook::Blocks(uint32_t entry) const {
    std::vector<uint32_t> blocks;
    if (entry >= entryCount_) return blocks;
    uint32_t n = ListLength(entry);
    for (uint32_t k = 0; k < n; ++k) blocks.push_back(ListWord(entry, k) - 1);
    return blocks;
}

std::optional<uint32_t> PhoneBook::FindEntry(const std::string& number) const {
    std::string key = NumberKey(number);
    if (key.empty()) return std::nullopt;
    auto it = byNumber_.find(key);
    if (it == byNumber_.end()) return std::nullopt;
    return it->second.front();
}

bool PhoneBook::ReadRecord(uint32_t entry, InfoRecord* record) {
    record->name.clear();
    record->information.clear();
    if (!open_ || entry >= entryCount_) return false;
    std::vector<uint32_t> blocks = Blocks(entry);
    if (blocks.empty()) return true;
    std::vector<char> buffer(blocks.size() * kBlockSize, 0);
    // The record is what was read up to the first short read; a gap would
    // join unrelated bytes.
    size_t got = 0;
    ForEachRun(blocks, [&](size_t k, uint32_t first, size_t run) {
        size_t want = run * kBlockSize;
        size_t n = dataFile_.ReadAt(uint64_t{first} * kBlockSize, &buffer[k * kBlockSize], want);
        got += n;
        return n == want;
    });
    char name[kNameFieldSize];
    SjisCopy(name, sizeof name, buffer.data(), std::min<size_t>(got, kNameFieldSize));
    record->name = name;
    if (got > kNameFieldSize) {
        std::vector<char> information(kMaxInformationLength + 1);
        SjisCopy(information.data(), information.size(), &buffer[kNameFieldSize], got - kNameFieldSize);
        record->information = information.data();
    }
    return true;
}

std::string PhoneBook::ReadName(uint32_t entry) {
    if (!open_ || entry >= entryCount_ || ListLength(entry) == 0) return std::string();
    char field[kNameFieldSize];
    size_t got = dataFile_.ReadAt(uint64_t{ListWord(entry, 0) - 1} * kBlockSize, field, sizeof field);
    char name[kNameFieldSize];
    SjisCopy(name, sizeof name, field, got);
    return name;
}

std::vector<PhoneBook::NamedEntry> PhoneBook::ReadAllNames() {
    std::vector<NamedEntry> entries;
    if (!open_) return entries;
    std::vector<std::pair<uint32_t, size_t>> byBlock;  // first block, position in entries
    for (uint32_t e = 0; e < entryCount_; ++e) {
        if (IsFree(e)) continue;
        if (ListLength(e) > 0) byBlock.push_back({ListWord(e, 0) - 1, entries.size()});
        entries.push_back(NamedEntry{e, Number(e), std::string()});
    }
    std::sort(byBlock.begin(), byBlock.end());
    // One window of the data file at a time; names are read in block order.
    constexpr uint64_t kWindow = 1 << 20;
    std::vector<char> window(kWindow);
    uint64_t windowStart = 0, windowEnd = 0;
    for (const auto& [block, k] : byBlock) {
        uint64_t at = uint64_t{block} * kBlockSize;
        if (at < windowStart || at + kNameFieldSize > windowEnd) {
            windowStart = at;
            windowEnd = at + dataFile_.ReadAt(at, window.data(), window.size());
        }
        size_t got = at < windowEnd ? static_cast<size_t>(std::min<uint64_t>(windowEnd - at, kNameFieldSize)) : 0;
        char name[kNameFieldSize];
        SjisCopy(name, sizeof name, &window[at - windowStart], got);
        entries[k].name = name;
    }
    return entries;
}

bool PhoneBook::CanChange() {
    if (open_ && writable_) return true;
    messages_.CannotWrite(open_ ? unwritablePath_ : indexPath_);
    return false;
}

bool PhoneBook::Write(Target target, uint64_t offset, const void* data, size_t n) {
    if (!writable_) return false;
    File& file = target == Target::Index ? indexFile_ : target == Target::Data ? dataFile_ : areaFile_;
    if (file.WriteAt(offset, data, n)) return true;
    // Stop writing at the first failure: later writes would build on a
    // change that is not on disk.
    writable_ = false;
    unwritablePath_ = target == Target::Index ? indexPath_ : target == Target::Data ? dataPath_ : areaPath_;
    messages_.CannotWrite(unwritablePath_);
    return false;
}

bool PhoneBook::WriteEntryBytes(uint32_t entry, uint32_t from, uint32_t n) {
    return Write(Target::Index, EntryOffset(entry) + from, Entry(entry) + from, n);
}

// The count lowest free blocks, as taking them one at a time would give;
// nothing is taken. False when one of them would be kBlockLimit or beyond.
bool PhoneBook::FindFreeBlocks(size_t count, std::vector<uint32_t>* blocks) {
    blocks->clear();
    size_t b = lowestFreeHint_;
    while (blocks->size() < count) {
        if (b < area_.size()) {
            const void* zero = std::memchr(&area_[b], 0, area_.size() - b);
            b = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - area_.data()) : area_.size();
        }
        if (b >= kBlockLimit) return false;
        if (blocks->empty()) lowestFreeHint_ = b;
        blocks->push_back(static_cast<uint32_t>(b));
        ++b;
    }
    return true;
}

bool PhoneBook::TakeBlocks(const std::vector<uint32_t>& blocks) {
    for (uint32_t b : blocks) {
        if (b >= area_.size()) area_.resize(size_t{b} + 1, 0);
        area_[b] = 1;
    }
    return ForEachRun(blocks, [&](size_t, uint32_t first, size_t run) {
        return Write(Target::Area, first, &area_[first], run);
    });
}

bool PhoneBook::ReleaseBlock(uint32_t block, bool clearInformation) {
    const uint8_t zero = 0;
    area_[block] = 0;
    lowestFreeHint_ = std::min<size_t>(lowestFreeHint_, block);
    if (!Write(Target::Area, block, &zero, 1)) return false;
    return !clearInformation || Write(Target::Data, uint64_t{block} * kBlockSize + kNameFieldSize, &zero, 1);
}

bool PhoneBook::WriteBlocks(const std::vector<uint32_t>& blocks, const std::vector<uint8_t>& bytes) {
    return ForEachRun(blocks, [&](size_t k, uint32_t first, size_t run) {
        return Write(Target::Data, uint64_t{first} * kBlockSize, &bytes[k * kBlockSize], run * kBlockSize);
    });
}

bool PhoneBook::LimitAllowsAppend() {
    if (!options_.appendLimit || appendsThisRun_ <= 90) return true;
    int remaining = appendsThisRun_ >= kAppendsPerRun ? 0 : static_cast<int>(kAppendsPerRun - appendsThisRun_);
    messages_.AppendWarning(remaining);
    return remaining > 0;
}

bool PhoneBook::CheckAppendLimit() { return CanChange() && LimitAllowsAppend(); }

bool PhoneBook::AppendEntry(uint32_t* entry) {
    if (entryCount_ == UINT32_MAX) return false;
    uint32_t e = entryCount_;
    index_.resize(static_cast<size_t>(EntryOffset(e + 1)), 0);
    entryCount_ = e + 1;
    ++appendsThisRun_;
    freeEntries_.insert(e);
    ByteWriter(index_.data(), index_.size()).U32LE(0, entryCount_);
    *entry = e;
    return Write(Target::Index, 0, index_.data(), kIndexHeaderSize);
}

SaveResult PhoneBook::SaveRecord(const std::string& number, const std::string& name,
                                 const std::string& information) {
    std::string key = NumberKey(number);
    unsigned char first = key.empty() ? 0 : static_cast<unsigned char>(key[0]);
    if (first < '0' || first >= 0x80) return SaveResult::InvalidNumber;
    if (!CanChange()) return SaveResult::Failed;

    std::vector<char> text(kMaxInformationLength + 1);
    size_t textLength = SjisCopy(text.data(), text.size(), information);
    uint32_t needed = BlocksFor(kNameFieldSize + textLength + 1);
    std::vector<uint8_t> bytes(size_t{needed} * kBlockSize, 0);
    SjisCopy(reinterpret_cast<char*>(bytes.data()), kNameFieldSize, name);
    std::memcpy(&bytes[kNameFieldSize], text.data(), textLength);

    std::optional<uint32_t> found = FindEntry(key);
    std::vector<uint32_t> oldList;
    uint32_t entry = 0;
    bool append = false;
    if (found) {
        entry = *found;
        oldList = Blocks(entry);
    } else if (!freeEntries_.empty()) {
        entry = *freeEntries_.rbegin();  // the last free entry; its old list counts as empty
    } else {
        append = true;
    }
    if (append && !LimitAllowsAppend()) return SaveResult::Refused;

    // Every block the record needs is found before anything is written, so a
    // record is never left half written for lack of space.
    size_t kept = std::min<size_t>(oldList.size(), needed);
    std::vector<uint32_t> fresh;
    if (!FindFreeBlocks(needed - kept, &fresh)) {
        messages_.NoSpace();
        return SaveResult::NoSpace;
    }
    if (append && !AppendEntry(&entry)) return SaveResult::Failed;
    if (!TakeBlocks(fresh)) return SaveResult::Failed;
    std::vector<uint32_t> list(oldList.begin(), oldList.begin() + kept);
    list.insert(list.end(), fresh.begin(), fresh.end());
    if (!WriteBlocks(list, bytes)) return SaveResult::Failed;
    for (size_t k = kept; k < oldList.size(); ++k) {
        if (!ReleaseBlock(oldList[k], false)) return SaveResult::Failed;
    }

    Forget(entry);
    uint8_t* p = Entry(entry);
    std::memset(p, 0, kIndexEntrySize);
    std::memcpy(p, key.data(), key.size());
    for (size_t k = 0; k < list.size(); ++k) SetListWord(entry, static_cast<uint32_t>(k), list[k] + 1);
    Remember(entry);
    return WriteEntryBytes(entry, 0, kIndexEntrySize) ? SaveResult::Saved : SaveResult::Failed;
}

std::optional<uint32_t> PhoneBook::AddNumber(const std::string& number) {
    std::string key = NumberKey(number);
    if (key.empty() || !CanChange()) return std::nullopt;
    uint32_t entry = 0;
    if (!freeEntries_.empty()) {
        entry = *freeEntries_.begin();
    } else if (!AppendEntry(&entry)) {
        return std::nullopt;
    }
    Forget(entry);
    uint8_t* p = Entry(entry);
    std::memset(p, 0, kNumberFieldSize);
    std::memcpy(p, key.data(), key.size());
    SetListWord(entry, 0, 0);
    Remember(entry);
    if (!WriteEntryBytes(entry, 0, kNumberFieldSize + 4)) return std::nullopt;
    return entry;
}

bool PhoneBook::SetNumber(uint32_t entry, const std::string& number) {
    if (entry >= entryCount_ || !CanChange()) return false;
    std::string key = NumberKey(number);
    // A free entry that kept no blocks may still list released blocks in the
    // file; giving it a number must not bring that list back.
    bool emptyList = IsFree(entry) && !key.empty() && ListLength(entry) == 0;
    Forget(entry);
    uint8_t* p = Entry(entry);
    std::memset(p, 0, kNumberFieldSize);
    std::memcpy(p, key.data(), key.size());
    Remember(entry);
    if (emptyList) {
        SetListWord(entry, 0, 0);
        return WriteEntryBytes(entry, 0, kNumberFieldSize + 4);
    }
    return WriteEntryBytes(entry, 0, kNumberFieldSize);
}

bool PhoneBook::SetName(uint32_t entry, const std::string& name) {
    // A free entry has no record to name; its old blocks may be another's now.
    if (entry >= entryCount_ || IsFree(entry) || !CanChange()) return false;
    char field[kNameFieldSize + 1] = {};
    SjisCopy(field, kNameFieldSize, name);
    size_t length = kNameFieldSize;
    uint32_t first = 0;
    if (ListLength(entry) == 0) {
        std::vector<uint32_t> blocks;
        if (!FindFreeBlocks(1, &blocks)) {
            messages_.NoSpace();
            return false;
        }
        if (!TakeBlocks(blocks)) return false;
        first = blocks[0];
        SetListWord(entry, 0, first + 1);
        SetListWord(entry, 1, 0);
        if (!WriteEntryBytes(entry, kListOffset, 8)) return false;
        // A taken block may still hold the text of an earlier record (a
        // shrinking save does not clear what it releases): end the
        // information right after the name.
        length = kNameFieldSize + 1;
    } else {
        first = ListWord(entry, 0) - 1;
    }
    return Write(Target::Data, uint64_t{first} * kBlockSize, field, length);
}

bool PhoneBook::DeleteEntry(uint32_t entry) {
    if (entry >= entryCount_) return false;
    std::vector<uint32_t> blocks = Blocks(entry);
    if (IsFree(entry) && blocks.empty()) return false;
    if (!CanChange()) return false;
    Forget(entry);
    Entry(entry)[0] = 0;
    Remember(entry);
    SetListWord(entry, 0, 0);  // the file keeps the list; it means nothing for a free entry
    if (!WriteEntryBytes(entry, 0, 1)) return false;
    for (uint32_t b : blocks) {
        if (!ReleaseBlock(b, true)) return false;
    }
    return true;
}

bool PhoneBook::ClearInformation(const std::string& number) {
    std::optional<uint32_t> entry = FindEntry(number);
    if (!entry) return false;
    std::vector<uint32_t> blocks = Blocks(*entry);
    if (blocks.empty() || !CanChange()) return false;
    const uint8_t zero = 0;
    if (!Write(Target::Data, uint64_t{blocks[0]} * kBlockSize + kNameFieldSize, &zero, 1)) return false;
    SetListWord(*entry, 1, 0);
    for (size_t k = 1; k < blocks.size(); ++k) {
        if (!ReleaseBlock(blocks[k], true)) return false;
    }
    return WriteEntryBytes(*entry, kListOffset + 4, 4);
}

}  // namespace suite
