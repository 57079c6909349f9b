// Choosing the capture input at start-up and watching that it keeps
// delivering: the decisions, without the platform. The Win32 side
// (input_device_win32.cpp) gives the devices, the message boxes, the
// "接続設定" window and the wave-in calls through the interfaces below.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/recorder_shared.h"

namespace suite {

class RecorderSettings;

extern const char kNoDeviceText[];          // no input device at all
extern const char kConnectionFaultCaption[];  // "接続不良"
extern const char kCountChangedText[];      // the number of inputs changed
extern const char kCountChangedCaption[];   // "変更"
extern const char kNoUsableDeviceText[];    // neither capture format opens
extern const char kChoiceWindowTitle[];     // "接続設定"
extern const char kChoiceWindowClass[];     // "接続 設定"
extern const char kChoiceCheckLabel[];      // "今後この画面を表示しない時はチェック"
extern const char kChoiceLine1[];
extern const char kChoiceLine2[];

// "音声入力端子 " + name + " が切断又は…変更する場合は[はい]を、…": the stored
// device is missing; asks whether to choose another.
std::string MissingDeviceText(const std::string& deviceName);

// One entry of the choice list: a device whose capabilities could be read.
struct DeviceEntry {
    int device;        // wave-in device number
    std::string name;  // as the system reports it (at most 31 bytes)
};

// The "接続設定" window's data: the list, its selection and the check box.
// The selection stores the chosen device's number, not its place in the
// list, so a device left out of the list does not shift the choice.
class DeviceChoiceList {
public:
    DeviceChoiceList(std::vector<DeviceEntry> entries, RecorderSettings* record, std::string* deviceName)
        : entries_(std::move(entries)), record_(record), deviceName_(deviceName) {}

    const std::vector<DeviceEntry>& Entries() const { return entries_; }

    // At creation: the last entry named like the device name; none matching,
    // entry 0 and its name becomes the device name. Returns the entry to
    // select, -1 when the list is empty.
    int Preselect();
    // The user picked entry i of the list.
    void Select(int i);
    // Every command: ticked means do not show the window again.
    void SetCheckBox(bool ticked);

private:
    std::vector<DeviceEntry> entries_;
    RecorderSettings* record_;
    std::string* deviceName_;
};

// What OpenInputDevice needs from the platform.
class InputDeviceHost {
public:
    virtual ~InputDeviceHost() = default;
    virtual int DeviceCount() = 0;
    // False when the device's capabilities cannot be read.
    virtual bool DeviceName(int device, std::string* name) = 0;
    // Topmost message boxes.
    virtual void TellNoDevice() = 0;
    virtual bool AskChooseOther(const std::string& text) = 0;  // true: Yes
    virtual void TellCountChanged() = 0;
    // Shows the "接続設定" window and returns when the user closed it.
    virtual void RunChoiceWindow(DeviceChoiceList* list) = 0;
    // Opens the device (stereo, else mono) and prepares the buffers.
    virtual bool OpenCapture(int device) = 0;
    // Exclamation box owned by the main window.
    virtual void TellNoUsableDevice() = 0;
    // Device name into the main window's title; shows it on the desktop mode.
    virtual void ShowOpened(const std::string& deviceName) = 0;
};

// OpenInputDevice: finds the stored input (asking the user where needed),
// stores the choice into the settings file at settingsPath (3 bytes at 34,
// 1 at 90, 33 at 660) and opens the device. deviceName is the working copy
// of input_device_name. False when the program must end.
bool OpenInputDevice(InputDeviceHost* host, RecorderSettings* record, std::string* deviceName,
                     const std::string& settingsPath);

// The three partial writes of the device choice; the file is created when
// missing and never truncated.
bool WriteDeviceChoice(const std::string& settingsPath, const RecorderSettings& record);

// What the connection check does to the device and the warning sound.
class ConnectionLine {
public:
    virtual ~ConnectionLine() = default;
    virtual int DeviceCount() = 0;
    // Re-opens the device chosen at start-up and restarts capture; false
    // when the device would not open.
    virtual bool Reopen() = 0;
    // Resets, unprepares and closes the device.
    virtual void Close() = 0;
    // Looping "NgSound", then the WarningVolume begin.
    virtual void StartWarning() = 0;
    // WarningVolume end, then the sound stops.
    virtual void StopWarning() = 0;
};

// The check every two seconds that capture blocks keep arriving (user-
// interface thread, one call of Tick per 500 ms tick).
class ConnectionCheck {
public:
    static constexpr int kFirstCheckTicks = 10;
    static constexpr int kCheckTicks = 4;
    static constexpr int kAfterReopenTicks = 12;

    ConnectionCheck(ConnectionLine* line, RecorderShared* shared, int savedDeviceCount)
        : line_(line), shared_(shared), deviceCount_(savedDeviceCount) {}

    // Counts down; every fourth tick (the first after ten) checks.
    void Tick();
    // Suspend and resume: the next check comes later and blocks are muted.
    void PowerEvent();
    // While set the device is closed and the warning plays.
    bool Fault() const { return fault_; }
    int Countdown() const { return countdown_; }
    // At exit: a warning still playing is stopped (its volume restored).
    void Shutdown();

private:
    void Check();

    ConnectionLine* line_;
    RecorderShared* shared_;
    int deviceCount_;  // input_device_count when the device was chosen
    int countdown_ = kFirstCheckTicks;  // ticks to the next check
    bool fault_ = false;
};

}  // namespace suite
