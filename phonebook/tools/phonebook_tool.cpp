// phonebook: list, export and import the recorder's phone book as CSV.
#include <iostream>
#include <string>
#include <vector>

#include "phonebook/book_transfer.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return suite::RunPhoneBookTool(args, std::cin, std::cout, std::cerr);
}
