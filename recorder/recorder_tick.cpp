#include "recorder/recorder_tick.h"

#include "common/file_layer.h"
#include "linesignal/line_signal.h"
#include "phonebook/phone_book.h"
#include "common/sjis_text.h"

namespace suite {

const char kWithheldNumber[] = "非通知";

namespace {

constexpr size_t kLookupNumberBytes = 14;  // the phone book keeps 14 bytes of a number

// Empty file named after the number in the folder, or the file rewritten
// with the number text (no terminator, no line end).
void WriteNumberOutput(const NumberOutputTarget& output, const std::string& callNumber, HandOver* h) {
    File file;
    if (output.fileMode) {
        h->outputPath = output.path;
        h->outputWritten = file.Open(output.path, File::Mode::CreateAlways) &&
                           (callNumber.empty() || file.WriteAt(0, callNumber.data(), callNumber.size()));
    } else {
        h->outputPath = output.path + callNumber + ".txt";
        // Longer names were never made; cutting one would name another number.
        h->outputWritten = h->outputPath.size() + 1 <= kNumberOutputNameSize &&
                           file.Open(h->outputPath, File::Mode::CreateAlways);
    }
    h->outputFailed = !h->outputWritten;
}

}  // namespace

NumberOutputTarget NumberOutputFromSetting(const std::string& numberOutputPath) {
    NumberOutputTarget target;
    target.path = numberOutputPath;
    // A trail byte 0x5C (表, ソ) is not a separator: look at the last character.
    target.fileMode = !numberOutputPath.empty() && !SjisEndsWith(numberOutputPath, '\\');
    return target;
}

void RecorderTick::SilenceCountdownStep() {
    if (toggle_ != 1) {
        toggle_ = 1;
        return;
    }
    toggle_ = 2;
    int32_t v = shared_.SilenceCountdown.load();
    // A reload by the pass in between wins over this decrement.
    if (v > 1) shared_.SilenceCountdown.compare_exchange_strong(v, v - 1);
}


HandOver RecorderTick::HandOverNumber(PhoneBook* book, const NumberOutputTarget& output, int infoBoardMode,
                                      bool boardOpen) {
    HandOver h;
    int32_t request = shared_.NumberReady.load();
    if (request == 0) return h;
    h.pending = true;
    h.request = request;

    std::string confirmed = shared_.ConfirmedNumber.Get();
    std::string lookupKey = confirmed;
    bool withheld = confirmed == kWithheldNumber;
    if (!(withheld && request == 1)) {
        int first = confirmed.empty() ? 0 : static_cast<signed char>(confirmed[0]);
        if (first > -48 && first < 48) {
            shared_.NumberReady.compare_exchange_strong(request, 0);
            return h;
        }
        // Only the phone book key is cut, and never inside a character
        // ("1234567890123＃" is looked up as "1234567890123"); the field and
        // the recording's name keep the whole number.
        char key[kLookupNumberBytes + 1];
        SjisCopy(key, sizeof key, confirmed);
        lookupKey = key;
        if (book && book->IsOpen()) {
            h.lookedUp = true;
            std::optional<uint32_t> entry = book->FindEntry(lookupKey);
            if (entry) h.name = book->ReadName(*entry);
        }
        if (request == 1) {
            std::string joined = h.name.empty() ? confirmed : confirmed + " " + h.name;
            char slot[kCallNumberSize];
            SjisCopy(slot, sizeof slot, joined);
            shared_.CallNumber.Set(slot);
        }
    }

    if (request == 1) {
        h.showNumber = true;
        h.fieldText = shared_.CallNumber.Get();
        if (shared_.IncomingCall.load() == 1 && !output.path.empty()) WriteNumberOutput(output, h.fieldText, &h);
    }

    if (!withheld && !boardOpen) {
        h.boardNumber = lookupKey;
        h.openBoard = !(infoBoardMode == 2 || (infoBoardMode == 1 && request != 2 && h.name.empty()));
    }
    shared_.NumberReady.compare_exchange_strong(request, 0);
    return h;
}

}  // namespace suite
