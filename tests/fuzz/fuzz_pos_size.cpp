// PosSize.ini's bytes as the phone book list window reads them: the place
// kept, or the defaults, within the work area the input also gives.
#include <cstdlib>

#include "phonebook/phone_book_list.h"
#include "tests/fuzz/fuzz_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    suite_fuzz::InputParts in(data, size);
    // A work area of a plausible screen: the first 8 bytes, kept in range.
    int left = static_cast<int16_t>(in.U16()) % 4096, top = static_cast<int16_t>(in.U16()) % 4096;
    int width = 320 + static_cast<int>(in.U16() % 7680), height = 200 + static_cast<int>(in.U16() % 4320);
    const suite::WorkArea area{left, top, left + width, top + height};
    std::vector<uint8_t> bytes = in.Rest();
    bool defaults = false;
    suite::ListRect place = suite::ListRectFromFile(bytes, area, &defaults);
    // The bytes the window writes back read as the same place.
    bool again = false;
    suite::ListRect back = suite::ListRectFromFile(suite::ListRectBytes(place), area, &again);
    if (back.x != place.x || back.y != place.y || back.width != place.width || back.height != place.height) {
        std::abort();
    }
    return 0;
}
