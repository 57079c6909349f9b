#include "recorder/input_device_win32.h"

#include <mmsystem.h>

#include "recorder/device_choice_window.h"
#include "ui/warning_bar_window.h"
#include "ui/main_window.h"
#include "common/win32_text.h"

namespace suite {

int Win32InputDevices::DeviceCount() { return static_cast<int>(waveInGetNumDevs()); }

bool Win32InputDevices::DeviceName(int device, std::string* name) {
    WAVEINCAPSW caps = {};
    if (waveInGetDevCapsW(static_cast<UINT>(device), &caps, sizeof caps) != MMSYSERR_NOERROR) return false;
    WideToSjis(caps.szPname, lstrlenW(caps.szPname), name);
    return true;
}

void Win32InputDevices::TellNoDevice() {
    ShowMessage(nullptr, kNoDeviceText, kConnectionFaultCaption, MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
}

bool Win32InputDevices::AskChooseOther(const std::string& text) {
    return ShowMessage(nullptr, text.c_str(), kConnectionFaultCaption, MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST) ==
           IDYES;
}

void Win32InputDevices::TellCountChanged() {
    ShowMessage(nullptr, kCountChangedText, kCountChangedCaption, MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
}

void Win32InputDevices::RunChoiceWindow(DeviceChoiceList* list) { RunDeviceChoiceWindow(instance_, list); }

bool Win32InputDevices::OpenCapture(int device) { return capture_->Open(mainWindow_, static_cast<UINT>(device)); }

void Win32InputDevices::TellNoUsableDevice() { ShowNoAudioInputMessage(mainWindow_); }

void Win32InputDevices::ShowOpened(const std::string& deviceName) {
    SetMainWindowDeviceName(mainWindow_, deviceName);
    if (showOnDesktop_) ShowMainWindowOnDesktop(mainWindow_);
}

}  // namespace suite
