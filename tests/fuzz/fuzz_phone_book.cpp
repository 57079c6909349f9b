// The phone book's three files as the recorder opens them: the input holds
// the sizes of EriaTable.binary and InfoIndex.binary (32 bits each, taken
// modulo what is left), then the three files' bytes, InfoData.binary last.
// The book is opened for writing, listed, looked up and written to.
#include <sstream>

#include "phonebook/book_transfer.h"
#include "phonebook/phone_book.h"
#include "tests/fuzz/fuzz_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    suite_fuzz::EnterFuzzFolder();
    suite_fuzz::InputParts in(data, size);
    uint32_t areaSize = in.U32(), indexSize = in.U32();
    size_t left = size > 8 ? size - 8 : 0;
    std::vector<uint8_t> area = in.Take(left ? areaSize % (left + 1) : 0);
    left -= area.size();
    std::vector<uint8_t> index = in.Take(left ? indexSize % (left + 1) : 0);
    std::vector<uint8_t> book = in.Rest();
    suite_fuzz::WriteFile(suite::kAreaFileName, area.data(), area.size());
    suite_fuzz::WriteFile(suite::kIndexFileName, index.data(), index.size());
    suite_fuzz::WriteFile(suite::kDataFileName, book.data(), book.size());

    suite_fuzz::QuietMessages messages;
    suite::PhoneBook phoneBook(messages);
    if (!phoneBook.OpenPhoneBook("")) return 0;
    std::ostringstream out, warnings;
    suite::ExportCsv(phoneBook, suite::TextEncoding::Utf8, out, warnings);
    for (const suite::PhoneBook::NamedEntry& e : phoneBook.ReadAllNames()) {
        suite::InfoRecord record;
        phoneBook.ReadRecord(e.entry, &record);
    }
    // What the information board does with a call's number.
    if (phoneBook.FindEntry("0312345678")) phoneBook.ClearInformation("0312345678");
    phoneBook.SaveRecord("0312345678", "山田", "メモ");
    if (phoneBook.EntryCount() > 0) phoneBook.DeleteEntry(0);
    phoneBook.ClosePhoneBook();
    return 0;
}
