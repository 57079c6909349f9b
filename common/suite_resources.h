// Ids of the resources every program carries (common/suite_resources.rc):
// the program icon, the level icons of the tray, the warning sound "NgSound".
#pragma once

#define IDI_APP 100
#define IDI_LEVEL_FIRST 101  // 101..114: the tray's level and recording icons
#define IDI_LEVEL_LAST 114
