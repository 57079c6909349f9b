// Texts of the recorder's start-up message boxes.
#pragma once
#include <cstdint>
#include <string>

namespace suite {

extern const char kStartupErrorCaption[];  // "起動エラー"
extern const char kNoAudioInputText[];     // no usable audio input
extern const char kAlertBarCaption[];      // "着信(発信)警告"
extern const char kAlertBarText[];         // the warning bar's line
extern const char kDiskFullBarText[];      // its line when a recording was cut short by a full disk
extern const char kHandsetBarLine1[];      // the handset recorder's bar, first line
extern const char kHandsetBarLine2[];      // and second line
extern const char kSettingsResetBarText[]; // the settings file was empty: the defaults are in use
extern const char kResumeBarLine1[];       // after a sleep: the computer slept
extern const char kResumeBarLine2[];       // and calls meanwhile were not recorded

// The bar's lines when a drive is short of room: how much is left, and where.
std::string LowSpaceBarLine1(uint64_t freeBytes);
std::string LowSpaceBarLine2(const std::string& folderSjis);

// "保存先フォルダーが存在しません…" with the missing folder.
std::string MissingWorkFolderText(const std::string& folderSjis);

}  // namespace suite
