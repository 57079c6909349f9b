#include "recorder/line_replay.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <memory>

#include "common/byte_io.h"
#include "common/file_layer.h"
#include "common/file_name_rules.h"
#include "recorder/leftover_recovery.h"
#include "phonebook/phone_book.h"
#include "recorder/recorder_tick.h"
#include "recorder/recording_pass.h"
#include "common/settings_record.h"
#include "common/text_convert.h"
#include "ui/message_texts.h"

namespace suite {

namespace {

constexpr size_t kHeaderProbe = 1 << 16;  // bytes searched for the data chunk
const WorkArea kToolWorkArea{0, 0, 1024, 768};

void Say(FILE* err, const std::string& sjisMessage) {
    std::fprintf(err, "linereplay: %s\n", SjisToUtf8(sjisMessage).c_str());
}

const char kUsage[] =
    "使い方: linereplay [--workdir DIR] [--start \"YYYY-MM-DD HH:MM:SS\"] [--mode auto|manual] INPUT.wav";

bool ParseStart(const std::string& text, time_t* start) {
    std::tm tm = {};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                    &tm.tm_min, &tm.tm_sec, &tail) != 6) {
        return false;
    }
    if (tm.tm_mon < 1 || tm.tm_mon > 12 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 || tm.tm_min > 59 ||
        tm.tm_sec > 59 || tm.tm_year < 1970) {
        return false;
    }
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    *start = std::mktime(&tm);
    return *start != static_cast<time_t>(-1);
}

// Local time of the replayed line: the start plus half a second per block.
class ReplayClock : public Clock {
public:
    explicit ReplayClock(time_t start) : start_(start) {}
    void SetHalfSeconds(int64_t n) { halfSeconds_ = n; }
    LocalTime Now() const override {
        time_t t = static_cast<time_t>(Seconds());
        std::tm tm = {};
        localtime_r(&t, &tm);
        return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
    }
    int64_t Seconds() const override { return static_cast<int64_t>(start_) + halfSeconds_ / 2; }

private:
    time_t start_;
    int64_t halfSeconds_ = 0;
};

// The main window's number field, for the one thread of the tool.
class ReplayField : public NumberField {
public:
    std::string text;
    std::string Text() const override { return text; }
    void Show(const std::string& t) override { text = t; }
};

class ReplayMessages : public PhoneBookMessages {
public:
    explicit ReplayMessages(FILE* err) : err_(err) {}
    void NoSpace() override { Say(err_, kNoSpaceText); }
    void AppendWarning(int remaining) override { Say(err_, AppendWarningText(remaining)); }
    void CannotOpen(const std::string& path) override { Say(err_, CannotOpenText(path)); }
    void InUse(const std::string& path) override { Say(err_, InUseText(path)); }
    void CannotWrite(const std::string& path) override { Say(err_, CannotWriteText(path)); }

private:
    FILE* err_;
};

// Hands the pass the one block the tool put in.
class OneBlockSource : public BlockSource {
public:
    int16_t block[kBlockSampleCount] = {};
    bool NextBlock(int16_t* mono4000) override {
        std::memcpy(mono4000, block, sizeof block);
        return true;
    }
    void Stop() override {}
};

// Reads the input's samples block by block (left channel of stereo).
class WavReader {
public:
    WavReader(FILE* file, const WavInput& input) : file_(file), input_(input) {}
    // Next block, zero-padded at the end; false when the input is used up.
    bool Next(int16_t* block, bool* readError) {
        if (done_ >= input_.frames) return false;
        uint64_t n = input_.frames - done_;
        if (n > kBlockSampleCount) n = kBlockSampleCount;
        size_t frameBytes = 2 * static_cast<size_t>(input_.channels);
        bytes_.resize(static_cast<size_t>(n) * frameBytes);
        if (std::fread(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size()) *readError = true;
        ByteReader r(bytes_.data(), bytes_.size());
        for (size_t i = 0; i < kBlockSampleCount; ++i) {
            block[i] = i < n ? static_cast<int16_t>(r.U16LE(i * frameBytes)) : 0;
        }
        done_ += n;
        return true;
    }
    bool AtEnd() const { return done_ >= input_.frames; }

private:
    FILE* file_;
    WavInput input_;
    uint64_t done_ = 0;
    std::vector<uint8_t> bytes_;
};

struct Options {
    std::string workdir = ".";
    std::string input;
    bool haveStart = false;
    time_t start = 0;
    bool manual = false;
};

bool ParseArgs(const std::vector<std::string>& args, Options* o, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        if (a == "--workdir" && hasValue) {
            o->workdir = args[++i];
        } else if (a == "--start" && hasValue) {
            if (!ParseStart(args[++i], &o->start)) {
                *error = "--start は \"YYYY-MM-DD HH:MM:SS\" の形で指定してください: " + Utf8ToSjis(args[i]);
                return false;
            }
            o->haveStart = true;
        } else if (a == "--mode" && hasValue) {
            const std::string& m = args[++i];
            if (m != "auto" && m != "manual") {
                *error = "--mode は auto か manual です: " + Utf8ToSjis(m);
                return false;
            }
            o->manual = m == "manual";
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            *error = "不明な引数です: " + Utf8ToSjis(a) + "\n" + kUsage;
            return false;
        } else if (o->input.empty()) {
            o->input = a;
        } else {
            *error = std::string("入力ファイルは一つだけです\n") + kUsage;
            return false;
        }
    }
    if (o->input.empty()) {
        *error = kUsage;
        return false;
    }
    return true;
}

// The folder's settings: made with the defaults when the file is missing.
bool LoadSettings(SettingsRecord* record, FILE* err) {
    if (!PathExists(kSettingsFilePath)) {
        File file;
        record->MakeDefaults(kToolWorkArea);
        if (!CreateFolderPath(kWorkFolderName) || !file.Open(kSettingsFilePath, File::Mode::CreateAlways) ||
            !file.WriteAt(0, record->data(), SettingsRecord::kSize)) {
            Say(err, std::string("設定ファイルを作れません: ") + kSettingsFilePath);
            return false;
        }
        return true;
    }
    LoadOutcome outcome = LoadLineSettings(kSettingsFilePath, kToolWorkArea, record);
    if (outcome == LoadOutcome::Unopenable) {
        Say(err, std::string("設定ファイルを開けません: ") + kSettingsFilePath);
        return false;
    }
    if (outcome == LoadOutcome::Empty) {
        // As the recorder does: the defaults, and a word about it.
        Say(err, std::string("設定ファイルが空だったため、初期値に戻しました: ") + kSettingsFilePath);
    }
    return true;
}

struct Replay {
    RecorderShared shared;
    SettingsRecord record;
    ReplayField field;
    int64_t openBlock = -1;   // block index where the open recording began
    int64_t lastWritten = -1; // its last written block
};

// One JSON line per saved recording; false when it could not be saved, or
// only in part (a full disk), which is also said on err.
bool PrintSaved(const PassReport& report, const Replay& r, bool cutShort, FILE* out, FILE* err) {
    if (!report.saved) return true;
    if (report.savedPath.empty()) {
        Say(err, kSaveFailedMessage);
        return false;
    }
    struct stat st = {};
    long long bytes = stat(SjisPathToUtf8(report.savedPath).c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    std::fprintf(out,
                 "{\"path\": %s, \"direction\": \"%s\", \"number\": %s, \"start_s\": %.1f, \"end_s\": %.1f, "
                 "\"bytes\": %lld%s}\n",
                 JsonString(SjisPathToUtf8(report.savedPath)).c_str(), report.call.incoming ? "incoming" : "outgoing",
                 JsonString(SjisToUtf8(report.call.callNumber)).c_str(), r.openBlock * 0.5,
                 (r.lastWritten + 1) * 0.5, bytes, cutShort ? ", \"disk_full\": true" : "");
    std::fflush(out);
    if (cutShort) Say(err, std::string(kDiskFullBarText) + ": " + report.savedPath);
    return !cutShort;
}

// Start-up as the recorder does it: the chosen record folder, the
// threshold, the start command.
void StartUp(Replay& r, bool manual) {
    SettingsRecord& rec = r.record;
    rec.record_folder().Set(rec.ChosenFolder());
    const uint32_t threshold = rec.auto_start_level();
    r.shared.LevelThreshold.store(threshold > 127 ? 127 : static_cast<int32_t>(threshold));
    r.shared.RecorderCommand.store(manual ? kCommandManual : kCommandAutomatic);
}

// The work folder's phone book, read only, when there is one; else null.
PhoneBook* OpenWorkBook(const SettingsRecord& rec, PhoneBook& book) {
    std::string work = rec.work_folder().Get();
    if (!IsFolder(work)) work = kWorkFolderName;
    const std::string prefix = work.empty() ? work : WithTrailingSeparator(work);
    return PathExists(prefix + kIndexFileName) && book.OpenPhoneBook(work) ? &book : nullptr;
}

int Run(const Options& o, FILE* in, const WavInput& input, FILE* out, FILE* err) {
    auto r = std::make_unique<Replay>();
    if (!LoadSettings(&r->record, err)) return 1;
    SettingsRecord& rec = r->record;
    StartUp(*r, o.manual);
    ReplayMessages messages(err);
    PhoneBookOptions bookOptions;
    bookOptions.readOnly = true;
    PhoneBook book(messages, bookOptions);
    PhoneBook* bookInUse = OpenWorkBook(rec, book);
    NumberOutputTarget output = NumberOutputFromSetting(rec.number_output_path().Get());

    ReplayClock clock(o.haveStart ? o.start : std::time(nullptr));
    std::string recovered;
    if (RecoverLeftoverRecording(clock, &recovered)) {
        std::fprintf(out, "{\"recovered\": %s}\n", JsonString(SjisPathToUtf8(recovered)).c_str());
    }

    PassConfig config = LinePassConfig(&rec);
    RecordingPass pass(r->shared, config, clock, &r->field);
    pass.PrimeDecoders();
    RecorderTick tick(r->shared);
    OneBlockSource source;
    WavReader reader(in, input);

    int64_t index = 0;
    bool allSaved = true;
    auto step = [&](bool lastOfInput) {
        // Each block is taken when it is complete.
        clock.SetHalfSeconds(index + 1);
        if (lastOfInput && o.manual) r->shared.RecorderCommand.store(kCommandStopAndSave);
        PassReport report = pass.RunPass(source);
        if (!report.recoveredPath.empty()) {
            std::fprintf(out, "{\"recovered\": %s}\n", JsonString(SjisPathToUtf8(report.recoveredPath)).c_str());
        }
        if (report.opened) r->openBlock = index;
        if (report.wroteBlock) r->lastWritten = index;
        const bool cutShort = pass.Saver().DiskFull().exchange(0) != 0;
        if (!PrintSaved(report, *r, cutShort, out, err)) allSaved = false;

        HandOver h = tick.HandOverNumber(bookInUse, output, rec.info_board_mode(), false);
        if (h.showNumber) r->field.text = h.fieldText;
        if (h.outputFailed) Say(err, "番号出力ファイルを作れません: " + h.outputPath);
        tick.SilenceCountdownStep();
        ++index;
    };

    bool readError = false;
    while (reader.Next(source.block, &readError)) step(reader.AtEnd());
    if (readError) Say(err, "入力ファイルの読み込み中にエラーが起きました（読めた所までを使いました）");

    // Silence until the last recording is saved: at most two countdowns and
    // the decay, so a bound only guards against a fault.
    std::memset(source.block, 0, sizeof source.block);
    int64_t limit = index + 4 * config.silenceReload + 40;
    while ((r->shared.RecordedBytes.load() != kNoRecordingBytes || r->shared.RecordingActive.load() != 0) &&
           index < limit) {
        step(false);
    }
    pass.SaveAtExit();
    book.ClosePhoneBook();
    return allSaved ? 0 : 1;
}

// The fmt chunk's fields that decide whether a file is a line recording.
struct WavFields {
    int format = 0, channels = 0, bits = 0, align = 0;
    uint32_t rate = 0;
};

// Walks the chunks up to "data" (its header at *at), taking the fmt chunk
// on the way. Every field goes through the reader, so a chunk size that
// lies about the header cannot lead a read past it.
bool FindDataChunk(ByteReader& r, uint64_t fileSize, WavFields* f, size_t* at, std::string* error) {
    bool haveFormat = false;
    for (*at = 12;;) {
        if (!r.Has(*at, 8)) {
            *error = haveFormat ? "data チャンクがありません（ファイルが途中で切れています）"
                                : "fmt チャンクがありません（ファイルが途中で切れています）";
            return false;
        }
        const uint32_t size = r.U32LE(*at + 4);
        if (r.Matches(*at, "fmt ", 4)) {
            const size_t p = *at + 8;
            if (size < 16 || !r.Has(p, 16)) {
                *error = "fmt チャンクが短すぎます";
                return false;
            }
            f->format = r.U16LE(p);
            f->channels = r.U16LE(p + 2);
            f->rate = r.U32LE(p + 4);
            f->align = r.U16LE(p + 12);
            f->bits = r.U16LE(p + 14);
            // WAVE_FORMAT_EXTENSIBLE names its coding by the first two bytes of its GUID.
            if (f->format == 0xFFFE && size >= 40 && r.Has(p + 24, 2)) f->format = r.U16LE(p + 24);
            haveFormat = true;
        } else if (r.Matches(*at, "data", 4)) {
            if (haveFormat) return true;
            *error = "data チャンクの前に fmt チャンクがありません";
            return false;
        }
        const uint64_t next = *at + 8 + static_cast<uint64_t>(size) + (size & 1);
        if (next > fileSize) {
            *error = "チャンクの長さがファイルの大きさを超えています（ヘッダーが壊れているか、ファイルが途中で切れています）";
            return false;
        }
        *at = static_cast<size_t>(next);
    }
}

// A line recording is 16-bit PCM at 8000 Hz, mono or stereo.
bool IsLineFormat(const WavFields& f, std::string* error) {
    if (f.format != 1) {
        *error = "PCM ではありません（形式 " + std::to_string(f.format) + "）";
    } else if (f.bits != 16) {
        *error = "16 ビットではありません（" + std::to_string(f.bits) + " ビット）";
    } else if (f.rate != 8000) {
        *error = "8000 Hz ではありません（" + std::to_string(f.rate) + " Hz）";
    } else if (f.channels != 1 && f.channels != 2) {
        *error = "モノラルかステレオではありません（" + std::to_string(f.channels) + " チャンネル）";
    } else if (f.align != 2 * f.channels) {
        *error = "ヘッダーのブロック長 " + std::to_string(f.align) + " がチャンネル数と合いません";
    } else {
        return true;
    }
    return false;
}

}  // namespace

bool ParseWavInput(const std::vector<uint8_t>& h, uint64_t fileSize, WavInput* input, std::string* error) {
    ByteReader r(h.data(), h.size());
    if (!r.Matches(0, "RIFF", 4) || !r.Matches(8, "WAVE", 4)) {
        *error = "RIFF WAVE ファイルではありません";
        return false;
    }
    WavFields f;
    size_t at = 0;
    if (!FindDataChunk(r, fileSize, &f, &at, error) || !IsLineFormat(f, error)) return false;
    const uint64_t dataSize = r.U32LE(at + 4);
    const uint64_t dataOffset = at + 8;
    if (dataOffset + dataSize > fileSize) {
        *error = "data チャンクの長さ " + std::to_string(dataSize) + " バイトがファイルに収まっていません（残り " +
                 std::to_string(fileSize - dataOffset) + " バイト）: ファイルが途中で切れているか、ヘッダーが誤っています";
        return false;
    }
    input->channels = f.channels;
    input->dataOffset = dataOffset;
    input->frames = dataSize / static_cast<uint64_t>(f.align);
    return true;
}

int RunLineReplay(const std::vector<std::string>& args, FILE* out, FILE* err) {
    Options o;
    std::string error;
    if (!ParseArgs(args, &o, &error)) {
        Say(err, error);
        return 2;
    }

    // The input is checked whole before anything is written.
    FILE* in = std::fopen(o.input.c_str(), "rb");
    struct stat st = {};
    if (!in || fstat(fileno(in), &st) != 0 || !S_ISREG(st.st_mode)) {
        Say(err, "入力ファイルを開けません: " + Utf8ToSjis(o.input) + (in ? "" : std::string(" (") + std::strerror(errno) + ")"));
        if (in) std::fclose(in);
        return 2;
    }
    uint64_t fileSize = static_cast<uint64_t>(st.st_size);
    std::vector<uint8_t> header(fileSize < kHeaderProbe ? static_cast<size_t>(fileSize) : kHeaderProbe);
    WavInput input;
    bool ok = std::fread(header.data(), 1, header.size(), in) == header.size();
    if (!ok) error = "入力ファイルを読めません";
    if (ok) ok = ParseWavInput(header, fileSize, &input, &error);
    if (ok && std::fseek(in, static_cast<long>(input.dataOffset), SEEK_SET) != 0) {
        ok = false;
        error = "入力ファイルを読めません";
    }
    if (!ok) {
        Say(err, Utf8ToSjis(o.input) + ": " + error);
        std::fclose(in);
        return 2;
    }

    char previous[PATH_MAX];
    if (!getcwd(previous, sizeof previous) || chdir(o.workdir.c_str()) != 0) {
        Say(err, "作業フォルダーに移れません: " + Utf8ToSjis(o.workdir));
        std::fclose(in);
        return 1;
    }
    int code = Run(o, in, input, out, err);
    std::fclose(in);
    if (chdir(previous) != 0) Say(err, "元のフォルダーに戻れません");
    return code;
}

}  // namespace suite
