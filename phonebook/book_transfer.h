// Listing, CSV export and CSV import of a phone book: the phonebook tool
// without its main(), so the tests can drive it with streams.
#pragma once
#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "phonebook/phone_book.h"

namespace suite {

enum class TextEncoding { Utf8, Cp932 };

struct ImportCounts {
    size_t added = 0;
    size_t replaced = 0;
    size_t refused = 0;
};

// One line per number in index order: number, a tab, the name.
void ListBook(PhoneBook& book, TextEncoding encoding, std::ostream& out);

// A header line "number,name,information", then one row per number in index
// order, every field quoted (RFC 4180), CR LF after each row. Problems that
// do not stop the export (texts that do not convert back unchanged, numbers
// hidden by an earlier entry with the same number) go to warnings.
void ExportCsv(PhoneBook& book, TextEncoding encoding, std::ostream& out, std::ostream& warnings);

// Saves every row of csv (number, name, information) with SaveRecord and
// reports per line what it did or why the row was refused. False when csv is
// not valid CSV (then nothing is saved) or when the store stopped.
bool ImportCsv(PhoneBook& book, const std::string& csv, TextEncoding encoding, std::ostream& report,
               ImportCounts* counts);

// The whole tool; args are the command line without the program name.
// Returns the exit status: 0 done, 1 error, 2 some rows refused.
int RunPhoneBookTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                     std::ostream& err);

}  // namespace suite
