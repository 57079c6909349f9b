#include "handset/settings_record_tool.h"

#include <cstdint>
#include <functional>

#include "common/file_layer.h"
#include "common/settings_record.h"
#include "common/text_convert.h"
#include "handset/handset_settings_record.h"

namespace suite {
namespace {

const char kUsage[] =
    "usage: settingsrecord new FILE [--handset] [--defaults]\n"
    "       settingsrecord set FILE NAME VALUE [NAME VALUE...]\n"
    "       settingsrecord clear FILE NAME...\n"
    "       settingsrecord get FILE NAME\n";

// The work area the defaults are made for, as linereplay makes them.
const WorkArea kToolArea{0, 0, 1024, 768};

// Either record; the file's size tells which.
struct Record {
    SettingsRecord line;
    HandsetSettingsRecord handset;
    bool isHandset = false;

    RecorderSettings& Settings() { return isHandset ? static_cast<RecorderSettings&>(handset) : line; }
    const char* Name() const { return isHandset ? "the handset recorder's record" : "the line recorder's record"; }
};

// A field found by name: a text slot, or a number up to max.
struct Field {
    bool isText = false;
    TextSlot text;
    uint32_t max = 0;
    std::function<uint32_t()> get;
    std::function<void(uint32_t)> set;
};

Field TextField(TextSlot slot) {
    Field f;
    f.isText = true;
    f.text = slot;
    return f;
}

Field ByteField(uint8_t& byte) {
    Field f;
    f.max = 0xFF;
    f.get = [&byte] { return byte; };
    f.set = [&byte](uint32_t v) { byte = static_cast<uint8_t>(v); };
    return f;
}

Field NumberField(uint32_t max, std::function<uint32_t()> get, std::function<void(uint32_t)> set) {
    Field f;
    f.max = max;
    f.get = std::move(get);
    f.set = std::move(set);
    return f;
}

template <class Member>
struct Named {
    const char* name;
    Member member;
};

const Named<uint8_t& (RecorderSettings::*)()> kSharedBytes[] = {
    {"browser_flags", &RecorderSettings::browser_flags},
    {"start_state", &RecorderSettings::start_state},
    {"start_place", &RecorderSettings::start_place},
    {"silence_choice", &RecorderSettings::silence_choice},
    {"warning_volume", &RecorderSettings::warning_volume},
    {"recording_format", &RecorderSettings::recording_format},
    {"browser_sort", &RecorderSettings::browser_sort},
    {"browser_amplify", &RecorderSettings::browser_amplify},
    {"show_connection_screen", &RecorderSettings::show_connection_screen},
    {"input_device_index", &RecorderSettings::input_device_index},
    {"input_device_count", &RecorderSettings::input_device_count},
    {"topmost", &RecorderSettings::topmost},
    {"saved_device_count", &RecorderSettings::saved_device_count},
    {"folder_choice", &RecorderSettings::folder_choice},
};

const Named<TextSlot (RecorderSettings::*)()> kSharedTexts[] = {
    {"recording_path", &RecorderSettings::recording_path},
    {"input_device_name", &RecorderSettings::input_device_name},
    {"record_folder", &RecorderSettings::record_folder},
    {"file_name_format", &RecorderSettings::file_name_format},
    {"folder_name_format", &RecorderSettings::folder_name_format},
};

const Named<TextSlot (RecorderSettings::*)(int)> kSharedPositions[] = {
    {"editor_window_text", &RecorderSettings::editor_window_text},
    {"main_window_text", &RecorderSettings::main_window_text},
    {"browser_window_text", &RecorderSettings::browser_window_text},
};

const Named<uint8_t& (SettingsRecord::*)()> kLineBytes[] = {
    {"info_board_mode", &SettingsRecord::info_board_mode},
    {"info_board_font", &SettingsRecord::info_board_font},
    {"phone_book_font", &SettingsRecord::phone_book_font},
};

const Named<TextSlot (SettingsRecord::*)()> kLineTexts[] = {
    {"work_folder", &SettingsRecord::work_folder},
    {"incoming_name_format", &SettingsRecord::incoming_name_format},
    {"outgoing_name_format", &SettingsRecord::outgoing_name_format},
    {"number_output_path", &SettingsRecord::number_output_path},
};

// "folder_list.2" as "folder_list" and 2.
bool SplitIndex(const std::string& name, std::string* base, size_t* index) {
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size() || name.size() - dot > 6) return false;
    *index = 0;
    for (size_t i = dot + 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        *index = *index * 10 + static_cast<size_t>(name[i] - '0');
    }
    *base = name.substr(0, dot);
    return true;
}

// The entry of table named name, made into a field of obj.
template <class Obj, class Table, class Make>
bool FindIn(Obj& obj, const Table& table, const std::string& name, Make make, Field* f) {
    for (const auto& e : table) {
        if (name == e.name) {
            *f = make((obj.*e.member)());
            return true;
        }
    }
    return false;
}

bool FindPlainField(Record& r, const std::string& name, Field* f) {
    RecorderSettings& s = r.Settings();
    if (FindIn(s, kSharedBytes, name, ByteField, f) || FindIn(s, kSharedTexts, name, TextField, f)) return true;
    if (name == "auto_start_level") {
        *f = NumberField(
            0xFFFFFFFF, [&s] { return s.auto_start_level(); }, [&s](uint32_t v) { s.set_auto_start_level(v); });
        return true;
    }
    return !r.isHandset &&
           (FindIn(r.line, kLineBytes, name, ByteField, f) || FindIn(r.line, kLineTexts, name, TextField, f));
}

// "base.i": the folder list, window positions, board sizes, reserved bytes.
bool FindIndexedField(Record& r, const std::string& base, size_t i, Field* f) {
    RecorderSettings& s = r.Settings();
    if (base == "folder_list" && i < RecorderSettings::kFolderSlots) {
        *f = TextField(s.folder_list(i));
        return true;
    }
    for (const auto& e : kSharedPositions) {
        if (base == e.name && i < 4) {
            *f = TextField((s.*e.member)(static_cast<int>(i)));
            return true;
        }
    }
    SettingsRecord& line = r.line;
    const int n = static_cast<int>(i);
    if (!r.isHandset && base == "list_board_size" && i < 2) {
        *f = NumberField(
            0xFFFF, [&line, n] { return line.list_board_size(n); },
            [&line, n](uint32_t v) { line.set_list_board_size(n, static_cast<uint16_t>(v)); });
        return true;
    }
    if (!r.isHandset && base == "info_board_rect" && i < 4) {
        *f = NumberField(
            0xFFFF, [&line, n] { return line.info_board_rect(n); },
            [&line, n](uint32_t v) { line.set_info_board_rect(n, static_cast<uint16_t>(v)); });
        return true;
    }
    // Reserved bytes have no name but their place.
    if (base == "byte" && i < s.size()) {
        *f = ByteField(s.data()[i]);
        return true;
    }
    return false;
}

bool FindField(Record& r, const std::string& name, Field* f) {
    if (FindPlainField(r, name, f)) return true;
    std::string base;
    size_t i = 0;
    return SplitIndex(name, &base, &i) && FindIndexedField(r, base, i, f);
}

// FindField, with a line on err for a name the record does not have.
bool FindNamed(Record& r, const std::string& name, Field* f, std::ostream& err) {
    if (FindField(r, name, f)) return true;
    err << "settingsrecord: " << r.Name() << " has no field \"" << name << "\"\n";
    return false;
}

bool ParseNumber(const std::string& text, uint32_t max, uint32_t* value) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > max) return false;
    *value = static_cast<uint32_t>(v);
    return true;
}

// Sets a field to value (UTF-8 for a text). A text is stored whole, never
// cut, with its terminator; the bytes after that stay, as the programs store
// their texts.
bool SetField(Record& r, const std::string& name, const std::string& value, std::ostream& err) {
    Field f;
    if (!FindNamed(r, name, &f, err)) return false;
    if (!f.isText) {
        uint32_t v = 0;
        if (!ParseNumber(value, f.max, &v)) {
            err << "settingsrecord: " << name << " takes a number from 0 to " << f.max << ", not \"" << value
                << "\"\n";
            return false;
        }
        f.set(v);
        return true;
    }
    std::string sjis = Utf8ToSjis(value);
    if (SjisToUtf8(sjis) != value) {
        err << "settingsrecord: \"" << value << "\" for " << name << " has characters Shift-JIS cannot hold\n";
        return false;
    }
    if (sjis.size() >= f.text.size()) {
        err << "settingsrecord: \"" << value << "\" does not fit " << name << ": " << sjis.size()
            << " bytes in Shift-JIS, the field holds " << f.text.size() - 1 << "\n";
        return false;
    }
    f.text.Set(sjis);
    return true;
}

bool ReadRecord(const std::string& path, Record* r, std::ostream& err) {
    File file;
    uint64_t size = 0;
    if (!file.Open(Utf8ToSjis(path), File::Mode::ReadExisting) || !file.Size(&size)) {
        err << "settingsrecord: cannot read " << path << "\n";
        return false;
    }
    if (size != SettingsRecord::kSize && size != HandsetSettingsRecord::kSize) {
        err << "settingsrecord: " << path << " is " << size << " bytes, no settings record (" << SettingsRecord::kSize
            << " the line recorder's, " << HandsetSettingsRecord::kSize << " the handset recorder's)\n";
        return false;
    }
    r->isHandset = size == HandsetSettingsRecord::kSize;
    RecorderSettings& s = r->Settings();
    if (file.ReadAt(0, s.data(), s.size()) != s.size()) {
        err << "settingsrecord: cannot read " << path << "\n";
        return false;
    }
    return true;
}

bool WriteRecord(const std::string& path, Record& r, std::ostream& err) {
    File file;
    RecorderSettings& s = r.Settings();
    if (!file.Open(Utf8ToSjis(path), File::Mode::CreateAlways) || !file.WriteAt(0, s.data(), s.size()) ||
        !file.Flush()) {
        err << "settingsrecord: cannot write " << path << "\n";
        return false;
    }
    return true;
}

int New(const std::vector<std::string>& args, std::ostream& err) {
    Record r;
    bool defaults = false;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--handset") {
            r.isHandset = true;
        } else if (args[i] == "--defaults") {
            defaults = true;
        } else {
            err << "settingsrecord: unknown option " << args[i] << "\n" << kUsage;
            return 1;
        }
    }
    if (defaults && r.isHandset) r.handset.MakeDefaults(kToolArea);
    if (defaults && !r.isHandset) r.line.MakeDefaults(kToolArea);
    return WriteRecord(args[1], r, err) ? 0 : 1;
}

int Set(const std::vector<std::string>& args, std::ostream& err) {
    if (args.size() < 4 || args.size() % 2 != 0) {
        err << kUsage;
        return 1;
    }
    Record r;
    if (!ReadRecord(args[1], &r, err)) return 1;
    for (size_t i = 2; i + 1 < args.size(); i += 2) {
        if (!SetField(r, args[i], args[i + 1], err)) return 1;
    }
    return WriteRecord(args[1], r, err) ? 0 : 1;
}

// Every byte of the named fields zero.
int Clear(const std::vector<std::string>& args, std::ostream& err) {
    if (args.size() < 3) {
        err << kUsage;
        return 1;
    }
    Record r;
    if (!ReadRecord(args[1], &r, err)) return 1;
    for (size_t i = 2; i < args.size(); ++i) {
        Field f;
        if (!FindNamed(r, args[i], &f, err)) return 1;
        if (f.isText) {
            f.text.Clear();
        } else {
            f.set(0);
        }
    }
    return WriteRecord(args[1], r, err) ? 0 : 1;
}

int Get(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 3) {
        err << kUsage;
        return 1;
    }
    Record r;
    if (!ReadRecord(args[1], &r, err)) return 1;
    Field f;
    if (!FindNamed(r, args[2], &f, err)) return 1;
    if (f.isText) {
        out << SjisToUtf8(f.text.Get()) << "\n";
    } else {
        out << f.get() << "\n";
    }
    return 0;
}

}  // namespace

int RunSettingsRecordTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() >= 2 && args[0] == "new") return New(args, err);
    if (args.size() >= 2 && args[0] == "set") return Set(args, err);
    if (args.size() >= 2 && args[0] == "clear") return Clear(args, err);
    if (args.size() >= 2 && args[0] == "get") return Get(args, out, err);
    err << kUsage;
    return 1;
}

}  // namespace suite
