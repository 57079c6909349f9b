// Start-up rescue of a recording left behind in "非常用フォルダー\TMP.tmp" by
// a crash, a power loss or a failed save; the next recording would
// otherwise overwrite it.
#pragma once
#include <string>

#include "recorder/clock.h"

namespace suite {

// "中断された録音（yyyy年mm月dd日xx時xx分xx秒に発見）": name of a rescued recording.
extern const char kRecoveredNameFormat[];
// Shown to the user, followed by the path of the rescued recording.
extern const char kRecoveredMessage[];

// Moves a non-empty leftover temporary recording into the emergency folder,
// named by kRecoveredNameFormat with the time now, "(n)" on collisions; ".ogg"
// when it starts with "OggS", else ".wav" with the header's sizes rewritten
// from the file size. True with *recoveredPath (Shift-JIS) when it did.
// First tidies up after a save by copy that a kill interrupted.
bool RecoverLeftoverRecording(const Clock& clock, std::string* recoveredPath);

// A JSON string literal of UTF-8 text, as the tools print their reports.
std::string JsonString(const std::string& utf8);

}  // namespace suite
