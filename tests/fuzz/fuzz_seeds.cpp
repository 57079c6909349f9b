// fuzz_seeds OUTDIR: writes the seed corpus of each fuzz target into
// OUTDIR/<target>/, made by the suite's own code: records with the
// defaults, a phone book of a few entries, short recordings of each kind,
// window places and a record folder of them.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "browser/tests/ogg_fixture.h"
#include "common/settings_record.h"
#include "handset/handset_settings_record.h"
#include "phonebook/phone_book.h"
#include "phonebook/phone_book_list.h"
#include "tests/fuzz/fuzz_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string out;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
    std::string folder = out + "/" + target;
    mkdir(folder.c_str(), 0755);
    std::ofstream f(folder + "/" + name, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutU32(Bytes* b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutU16(Bytes* b, uint32_t v) {
    b->push_back(static_cast<uint8_t>(v));
    b->push_back(static_cast<uint8_t>(v >> 8));
}

void Settings() {
    const suite::WorkArea area{0, 0, 1024, 768};
    suite::SettingsRecord line;
    line.MakeDefaults(area);
    Bytes lineBytes(line.data(), line.data() + suite::SettingsRecord::kSize);
    Seed("settings", "line_defaults", lineBytes);
    Seed("settings", "line_first_693", Bytes(lineBytes.begin(), lineBytes.begin() + 693));
    suite::HandsetSettingsRecord handset;
    handset.MakeDefaults(area);
    Seed("settings", "handset_defaults", Bytes(handset.data(), handset.data() + suite::HandsetSettingsRecord::kSize));
    Seed("settings", "shipped", Bytes{0});
}


// The three files of a book in the target's input: two sizes, then the files.
void PhoneBookSeed(const std::string& name, const std::string& folder) {
    Bytes area = ReadFile(folder + "/EriaTable.binary");
    Bytes index = ReadFile(folder + "/InfoIndex.binary");
    Bytes data = ReadFile(folder + "/InfoData.binary");
    Bytes input;
    PutU32(&input, static_cast<uint32_t>(area.size()));
    PutU32(&input, static_cast<uint32_t>(index.size()));
    input.insert(input.end(), area.begin(), area.end());
    input.insert(input.end(), index.begin(), index.end());
    input.insert(input.end(), data.begin(), data.end());
    Seed("phone_book", name, input);
}

void PhoneBooks() {
    char templ[] = "/tmp/suite-seeds-XXXXXX";
    if (!mkdtemp(templ)) return;
    std::string folder = templ;
    suite_fuzz::QuietMessages messages;
    {
        suite::PhoneBook book(messages);
        if (!book.OpenPhoneBook(folder)) return;
        PhoneBookSeed("empty", folder);
        book.SaveRecord("0312345678", "山田", "取引先\r\n月末に連絡");
        book.SaveRecord("09011112222", "佐藤 花子", std::string(600, 'x'));
        book.SaveRecord("0455556666", "", "");
        book.ClosePhoneBook();
    }
    PhoneBookSeed("three_entries", folder);
    {
        suite::PhoneBook book(messages);
        if (book.OpenPhoneBook(folder)) book.DeleteEntry(1);
    }
    PhoneBookSeed("one_deleted", folder);
    for (const char* f : {"EriaTable.binary", "InfoIndex.binary", "InfoData.binary"}) {
        unlink((folder + "/" + f).c_str());
    }
    rmdir(folder.c_str());
}

void Recordings(Bytes* ogg, Bytes* wav) {
    using browser_test::Bytes;
    using browser_test::MakeWav;
    using browser_test::Tone;
    *ogg = browser_test::EncodeOgg(Tone(4000, 8000), 8000, 1);
    *wav = MakeWav(browser_test::WavFields{}, Bytes(Tone(2000, 8000)));
    Seed("recording", "mono_8000.ogg", *ogg);
    Seed("recording", "stereo_44100.ogg", browser_test::EncodeOgg(Tone(4410, 8000), 44100, 2));
    Seed("recording", "mono_8000.wav", *wav);
    browser_test::WavFields stereo;
    stereo.channels = 2;
    stereo.bytesPerSecond = 32000;
    stereo.blockAlign = 4;
    Seed("recording", "stereo.wav", MakeWav(stereo, Bytes(Tone(2000, 8000))));
    browser_test::WavFields alaw;
    alaw.formatTag = 6;
    alaw.bits = 8;
    alaw.blockAlign = 1;
    alaw.bytesPerSecond = 8000;
    Seed("recording", "alaw.wav", MakeWav(alaw, Bytes(Tone(500, 8000))));
}

void PosSizes() {
    const suite::ListRect places[] = {{100, 100, 200, 520}, {0, 0, 768, 1024}, {-3000, 40, 200, 520}};
    int n = 0;
    for (const suite::ListRect& p : places) {
        Bytes input;
        PutU16(&input, 0);
        PutU16(&input, 0);
        PutU16(&input, 1024 - 320);
        PutU16(&input, 768 - 200);
        Bytes file = suite::ListRectBytes(p);
        input.insert(input.end(), file.begin(), file.end());
        Seed("pos_size", "place" + std::to_string(n++), input);
    }
    Seed("pos_size", "empty_file", Bytes(8, 0));
}

void RecordFolders(const Bytes& ogg, const Bytes& wav) {
    auto file = [](Bytes* input, const std::string& utf8Name, const Bytes& bytes) {
        input->push_back(static_cast<uint8_t>(utf8Name.size()));
        input->insert(input->end(), utf8Name.begin(), utf8Name.end());
        size_t n = bytes.size() < 0xFFFF ? bytes.size() : 0xFFFF;
        PutU16(input, static_cast<uint32_t>(n));
        input->insert(input->end(), bytes.begin(), bytes.begin() + static_cast<long>(n));
    };
    for (uint8_t choice : {0, 5, 10}) {
        Bytes input{choice};
        file(&input, u8"[着信]07日14時05分33秒-0312345678-山田.ogg", ogg);
        file(&input, u8"07日14時06分00秒.wav", wav);
        file(&input, "notes.txt", Bytes{'h', 'i'});
        file(&input, "noextension", Bytes{});
        Seed("recordings_list", "folder" + std::to_string(choice), input);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds OUTDIR\n");
        return 2;
    }
    out = argv[1];
    mkdir(out.c_str(), 0755);
    Settings();
    PhoneBooks();
    Bytes ogg, wav;
    Recordings(&ogg, &wav);
    PosSizes();
    RecordFolders(ogg, wav);
    return 0;
}
