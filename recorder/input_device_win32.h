// Win32 side of the input device: the wave-in devices, the start-up message
// boxes, the "接続設定" window, and the connection check's actions on the
// capture and the warning alarm.
#pragma once
#include <windows.h>

#include "recorder/capture_win32.h"
#include "recorder/input_device.h"
#include "ui/warning_volume_win32.h"

namespace suite {

class Win32InputDevices : public InputDeviceHost {
public:
    // showOnDesktop: display mode 0, where the main window appears once the
    // device is open.
    Win32InputDevices(HINSTANCE instance, HWND mainWindow, LineCapture* capture, bool showOnDesktop)
        : instance_(instance), mainWindow_(mainWindow), capture_(capture), showOnDesktop_(showOnDesktop) {}

    int DeviceCount() override;
    bool DeviceName(int device, std::string* name) override;
    void TellNoDevice() override;
    bool AskChooseOther(const std::string& text) override;
    void TellCountChanged() override;
    void RunChoiceWindow(DeviceChoiceList* list) override;
    bool OpenCapture(int device) override;
    void TellNoUsableDevice() override;
    void ShowOpened(const std::string& deviceName) override;

private:
    HINSTANCE instance_;
    HWND mainWindow_;
    LineCapture* capture_;
    bool showOnDesktop_;
};

class Win32ConnectionLine : public ConnectionLine {
public:
    Win32ConnectionLine(LineCapture* capture, WarningAlarm* alarm) : capture_(capture), alarm_(alarm) {}

    int DeviceCount() override { return static_cast<int>(waveInGetNumDevs()); }
    bool Reopen() override { return capture_->Reopen(); }
    void Close() override { capture_->CloseDevice(); }
    void StartWarning() override { alarm_->Begin(); }
    void StopWarning() override { alarm_->End(); }

private:
    LineCapture* capture_;
    WarningAlarm* alarm_;
};

}  // namespace suite
