// The phone book store: numbers, names and information texts in
// "InfoIndex.binary", "InfoData.binary" and "EriaTable.binary". The index and
// the area table live in memory; every change is written at once, and only
// the bytes that change. Texts are Shift-JIS.
#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/file_layer.h"
#include "phonebook/phone_book_messages.h"

namespace suite {

constexpr uint32_t kIndexHeaderSize = 4;        // EntryCount
constexpr uint32_t kIndexEntrySize = 100;       // IndexEntry
constexpr uint32_t kNumberFieldSize = 16;
constexpr uint32_t kBlockListWords = 21;
constexpr uint32_t kMaxNumberLength = 14;       // bytes of a number
constexpr uint32_t kBlockSize = 512;
constexpr uint32_t kMaxRecordBlocks = 20;
constexpr uint32_t kNameFieldSize = 202;        // name plus its NUL
constexpr uint32_t kMaxInformationLength = 10000;
constexpr uint32_t kBlockLimit = 0x3FFFFF;      // first block number never used
constexpr uint32_t kAppendsPerRun = 100;

extern const char kIndexFileName[];  // "InfoIndex.binary"
extern const char kDataFileName[];   // "InfoData.binary"
extern const char kAreaFileName[];   // "EriaTable.binary"

struct InfoRecord {
    std::string name;         // at most 201 bytes
    std::string information;  // at most 10000 bytes, line breaks CR LF
};

enum class SaveResult {
    Saved,
    InvalidNumber,  // the number does not start with a byte from '0' to 0x7F
    Refused,        // per-run append limit reached
    NoSpace,        // not enough free blocks; nothing was written
    Failed,         // phone book closed or not writable
};

struct PhoneBookOptions {
    // The recorder appends at most kAppendsPerRun entries per run; the
    // phonebook tool has no such limit.
    bool appendLimit = true;
    // Never write (listing and export); edits are refused.
    bool readOnly = false;
};

class PhoneBook {
public:
    explicit PhoneBook(PhoneBookMessages& messages, PhoneBookOptions options = PhoneBookOptions());
    ~PhoneBook();
    PhoneBook(const PhoneBook&) = delete;
    PhoneBook& operator=(const PhoneBook&) = delete;

    // Opens (creating when missing) the three files in folder, a Shift-JIS
    // path with "\" separators ("" is the working folder). On failure the
    // user is told and the phone book stays closed.
    bool OpenPhoneBook(const std::string& folder);
    void ClosePhoneBook();
    bool IsOpen() const { return open_; }
    bool IsWritable() const { return open_ && writable_; }

    uint32_t EntryCount() const { return entryCount_; }
    uint32_t AppendsThisRun() const { return appendsThisRun_; }
    // Number of an entry; empty for a free entry.
    std::string Number(uint32_t entry) const;
    // Data blocks of an entry in record order.
    std::vector<uint32_t> Blocks(uint32_t entry) const;

    // First entry whose number equals number (cut to 14 bytes).
    std::optional<uint32_t> FindEntry(const std::string& number) const;
    // Name and information of an entry; false when there is no such entry.
    bool ReadRecord(uint32_t entry, InfoRecord* record);
    // Name from the first block; empty when the entry has no block.
    std::string ReadName(uint32_t entry);
    // Every entry that holds a number, in index order, with its name as
    // ReadName gives it; the data file is read in large runs, not per entry.
    struct NamedEntry {
        uint32_t entry;
        std::string number, name;
    };
    std::vector<NamedEntry> ReadAllNames();

    // Stores the whole record under number: its entry, else the last free
    // entry, else a new one.
    SaveResult SaveRecord(const std::string& number, const std::string& name, const std::string& information);
    // The per-run limit check made when an add starts; shows the warning from
    // 91 appends on. False when nothing more may be appended.
    bool CheckAppendLimit();
    // Gives number the first free entry (or a new one) with no record.
    std::optional<uint32_t> AddNumber(const std::string& number);
    // Replaces the number of an entry; an empty number frees the entry but
    // keeps its blocks, which come back if the entry gets a number again.
    bool SetNumber(uint32_t entry, const std::string& number);
    // Writes the name into the entry's first block, taking one if it has none.
    bool SetName(uint32_t entry, const std::string& name);
    // Frees the entry and releases its blocks.
    bool DeleteEntry(uint32_t entry);
    // Empties the information of number's record and keeps only its first
    // block; false when there was nothing to clear.
    bool ClearInformation(const std::string& number);

private:
    enum class Target { Index, Data, Area };

    uint8_t* Entry(uint32_t entry) { return &index_[kIndexHeaderSize + size_t{kIndexEntrySize} * entry]; }
    const uint8_t* Entry(uint32_t entry) const {
        return &index_[kIndexHeaderSize + size_t{kIndexEntrySize} * entry];
    }
    static uint64_t EntryOffset(uint32_t entry) {
        return kIndexHeaderSize + uint64_t{kIndexEntrySize} * entry;
    }
    bool IsFree(uint32_t entry) const { return Entry(entry)[0] == 0; }
    uint32_t ListWord(uint32_t entry, uint32_t k) const;
    void SetListWord(uint32_t entry, uint32_t k, uint32_t value);
    uint32_t ListLength(uint32_t entry) const;

    bool LoadArea(uint64_t size);
    bool LoadIndex(uint64_t size);
    void ProbeWritable(uint64_t indexSize, uint64_t dataSize, uint64_t areaSize);
    void CheckLists(uint64_t dataSize);
    void BuildLookup();
    void Fail(const std::string& path);

    bool CanChange();
    bool Write(Target target, uint64_t offset, const void* data, size_t n);
    bool WriteEntryBytes(uint32_t entry, uint32_t from, uint32_t n);
    bool FindFreeBlocks(size_t count, std::vector<uint32_t>* blocks);
    bool TakeBlocks(const std::vector<uint32_t>& blocks);
    bool ReleaseBlock(uint32_t block, bool clearInformation);
    bool WriteBlocks(const std::vector<uint32_t>& blocks, const std::vector<uint8_t>& bytes);
    bool LimitAllowsAppend();
    bool AppendEntry(uint32_t* entry);
    void Forget(uint32_t entry);
    void Remember(uint32_t entry);

    PhoneBookMessages& messages_;
    PhoneBookOptions options_;
    bool open_ = false;
    bool writable_ = false;
    std::string indexPath_, dataPath_, areaPath_;
    std::string unwritablePath_;  // the file named when changes are refused
    File indexFile_, dataFile_, areaFile_;

    std::vector<uint8_t> index_;  // IndexImage: EntryCount and the entries in use
    std::vector<uint8_t> area_;   // AreaImage: one byte per block, grows as blocks are taken
    uint32_t entryCount_ = 0;
    uint32_t appendsThisRun_ = 0;
    size_t lowestFreeHint_ = 0;   // every block below it is in use

    // Lookup aids over the image, same answers as a scan in file order.
    std::unordered_map<std::string, std::vector<uint32_t>> byNumber_;  // entries, ascending
    std::set<uint32_t> freeEntries_;
};

}  // namespace suite
