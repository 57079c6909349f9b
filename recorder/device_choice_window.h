// The "接続設定" window: the user picks the input device from a list and may
// hide the window at later starts. Runs its own message loop until closed.
#pragma once
#include <windows.h>

#include "recorder/input_device.h"

namespace suite {

// Shows the window over the desktop and returns when it is closed; the
// choice and the check box go into list. A WM_QUIT that arrives meanwhile is
// posted again for the main loop.
void RunDeviceChoiceWindow(HINSTANCE instance, DeviceChoiceList* list);

}  // namespace suite
