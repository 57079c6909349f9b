#include "recorder/input_device.h"

#include "common/file_layer.h"
#include "common/recorder_settings.h"
#include "common/sjis_text.h"

namespace suite {

const char kNoDeviceText[] =
    "音声入力ケーブルが切断又は接触不良を起こしています。\n"
    "「ぬびらこ」の出力ケーブルのパソコン側の差込を確認してください。\n"
    "つながっている場合は接触不良ですから、何度も差込をトライしてください。\n\n"
    "改善しない場合は家電量販店などで接点復活剤を購入して対処してください。";
const char kConnectionFaultCaption[] = "接続不良";
const char kCountChangedText[] = "音声入力端子の接続数に変更があります\n接続設定画面を開きますから確認してください。";
const char kCountChangedCaption[] = "変更";
const char kNoUsableDeviceText[] =
    "オーディオデバイスが不備か又は\nオーディオケーブルが接続されていません。\n"
    "接続後にパソコンの再起動が必要な場合があります。";
const char kChoiceWindowTitle[] = "接続設定";
const char kChoiceWindowClass[] = "接続 設定";
const char kChoiceCheckLabel[] = "今後この画面を表示しない時はチェック";
const char kChoiceLine1[] = "「ぬびらこ」が接続されたデバイス（入力端子）を";
const char kChoiceLine2[] = " 選択してください（選択後は画面を閉じてください）";

std::string MissingDeviceText(const std::string& deviceName) {
    return std::string("音声入力端子 ") + deviceName +
           " が切断又は接触不良を起こしています。\n"
           "「ぬびらこ」の出力ケーブルのパソコン側の差込を確認してください。\n"
           "つながっている場合は接触不良ですから、何度も差込をトライしてください。\n\n"
           "改善しない場合は家電量販店などで接点復活剤を購入して対処してください。\n\n"
           "それとも、別の入力端子に変更しますか？\n"
           "変更する場合は[はい]を、しない場合は[いいえ]を押してください。";
}

std::string StoredDeviceName(const std::string& name) {
    char slot[RecorderSettings::kDeviceNameSize];
    SjisCopy(slot, sizeof slot, name);
    return slot;
}

namespace {

// Names are read whole (up to 62 bytes) but stored cut to the slot, on a
// character boundary: compared the same way, a long name matches again.
bool SameDeviceName(const std::string& reported, const std::string& stored) {
    return StoredDeviceName(reported) == StoredDeviceName(stored);
}

}  // namespace

int DeviceChoiceList::Preselect() {
    if (entries_.empty()) return -1;
    int chosen = -1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (SameDeviceName(entries_[i].name, *deviceName_)) chosen = static_cast<int>(i);
    }
    if (chosen < 0) {
        chosen = 0;
        *deviceName_ = entries_[0].name;
    }
    record_->input_device_index() = static_cast<uint8_t>(entries_[chosen].device);
    return chosen;
}

void DeviceChoiceList::Select(int i) {
    if (i < 0 || static_cast<size_t>(i) >= entries_.size()) return;
    record_->input_device_index() = static_cast<uint8_t>(entries_[i].device);
    *deviceName_ = entries_[i].name;
}

void DeviceChoiceList::SetCheckBox(bool ticked) { record_->show_connection_screen() = ticked ? 0 : 1; }

namespace {

std::vector<DeviceEntry> ReadableDevices(InputDeviceHost* host, int count) {
    std::vector<DeviceEntry> entries;
    for (int d = 0; d < count; ++d) {
        std::string name;
        if (host->DeviceName(d, &name)) entries.push_back({d, name});
    }
    return entries;
}

void RunChoice(InputDeviceHost* host, const std::vector<DeviceEntry>& devices, RecorderSettings* record,
               std::string* deviceName) {
    DeviceChoiceList list(devices, record, deviceName);
    host->RunChoiceWindow(&list);
}

}  // namespace

bool OpenInputDevice(InputDeviceHost* host, RecorderSettings* record, std::string* deviceName,
                     const std::string& settingsPath) {
    int n = host->DeviceCount();
    if (n < 0) n = 0;
    // The count is stored in one byte; more inputs than that never occur.
    if (n > 255) n = 255;
    record->input_device_count() = static_cast<uint8_t>(n);
    if (n == 0) {
        host->TellNoDevice();
        return false;
    }
    if (n == 1) record->input_device_index() = 0;

    std::vector<DeviceEntry> devices = ReadableDevices(host, n);
    if (deviceName->empty()) {
        RunChoice(host, devices, record, deviceName);
    } else {
        int found = -1;
        for (const DeviceEntry& e : devices) {
            if (SameDeviceName(e.name, *deviceName)) {
                found = e.device;
                break;
            }
        }
        if (found < 0) {
            if (!host->AskChooseOther(MissingDeviceText(*deviceName))) return false;
            RunChoice(host, devices, record, deviceName);
        } else if (n > 1 && n != record->saved_device_count()) {
            host->TellCountChanged();
            RunChoice(host, devices, record, deviceName);
        } else if (n > 1 && record->show_connection_screen()) {
            RunChoice(host, devices, record, deviceName);
        } else {
            record->input_device_index() = static_cast<uint8_t>(found);
        }
    }

    record->saved_device_count() = record->input_device_count();
    record->input_device_name().Set(*deviceName);
    WriteDeviceChoice(settingsPath, *record);

    if (!host->OpenCapture(record->input_device_index())) {
        host->TellNoUsableDevice();
        return false;
    }
    host->ShowOpened(*deviceName);
    return true;
}

bool WriteDeviceChoice(const std::string& settingsPath, const RecorderSettings& record) {
    File file;
    if (!file.Open(settingsPath, File::Mode::ReadCreate)) return false;
    const uint8_t* image = record.data();
    bool ok = file.WriteAt(RecorderSettings::kShowConnectionScreen, image + RecorderSettings::kShowConnectionScreen, 3);
    ok = file.WriteAt(RecorderSettings::kSavedDeviceCount, image + RecorderSettings::kSavedDeviceCount, 1) && ok;
    ok = file.WriteAt(RecorderSettings::kInputDeviceName, image + RecorderSettings::kInputDeviceName,
                      RecorderSettings::kDeviceNameSize) &&
         ok;
    return ok;
}

void ConnectionCheck::Tick() {
    if (--countdown_ > 0) return;
    countdown_ = kCheckTicks;
    Check();
}

void ConnectionCheck::Check() {
    if (fault_) {
        // A device that will not open yet keeps the warning going; the
        // next check tries again.
        if (line_->DeviceCount() == deviceCount_ && line_->Reopen()) {
            countdown_ = kAfterReopenTicks;
            shared_->MuteBuffers.store(kMuteBuffersAtStart);
            line_->StopWarning();
            fault_ = false;
        }
    } else if (shared_->BuffersSeen.load() == 0) {
        line_->Close();
        line_->StartWarning();
        fault_ = true;
    }
    shared_->BuffersSeen.store(0);
}

void ConnectionCheck::PowerEvent() {
    countdown_ = kAfterReopenTicks;
    shared_->MuteBuffers.store(kMuteBuffersAtStart);
}

void ConnectionCheck::Shutdown() {
    if (!fault_) return;
    line_->StopWarning();
    fault_ = false;
}

}  // namespace suite
