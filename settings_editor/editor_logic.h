// Decisions of the settings editor, free of the platform: format validation,
// record folder slots, the incoming-number path and the checks at close.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/file_name_rules.h"
#include "common/layout.h"
#include "common/settings_record.h"

namespace suite {

// Format numbers of the four name formats, as the "編集" buttons number them.
enum FormatNumber { kFolderFormat = 1, kFileFormat = 2, kIncomingFormat = 3, kOutgoingFormat = 4 };

// The field of format k (1..4) in the record.
TextSlot FormatSlot(SettingsRecord* record, int k);
ConstTextSlot FormatSlot(const SettingsRecord& record, int k);

// Non-overlapping "xx" found left to right ("xxx" is 1, "xxxx" is 2).
int CountTimeTokens(const std::string& text);

// Validates text as format k; nullptr when valid, else the message (Shift-JIS).
// A text longer than the 259 bytes the field holds is refused too.
const char* ValidateFormat(int k, const std::string& text);

// Stores a validated text as format k, clearing the rest of its field.
void StoreFormat(SettingsRecord* record, int k, const std::string& text);

// The four words button 2001..2004 (index 0..3) appends for format k (3 or 4).
const char* FormatWord(int k, int index);

// Non-empty entries of folder_list, in slot order.
std::vector<std::string> RecordFolders(const SettingsRecord& record);

enum class AddFolderResult { Added, TooLong, Full };

// Adds a chosen folder (Shift-JIS, empty when the choice had no file-system
// path) to the first empty slot and makes it the chosen folder.
AddFolderResult AddRecordFolder(SettingsRecord* record, const std::string& path, int* slot);

// Deletes entry listIndex of RecordFolders; the rest move to the front in
// order, every later slot is cleared, the first folder becomes the choice.
void DeleteRecordFolder(SettingsRecord* record, size_t listIndex);

enum class IncomingFolderResult { Stored, TooLong, Cancelled };

// "参照": a chosen folder is stored with a closing "\"; a cancelled chooser
// (nullptr) changes nothing.
IncomingFolderResult SetIncomingFolder(SettingsRecord* record, const std::string* chosen);

// The folder the close check creates and removes again:
// folder_list[folder_choice] + folder_name_format + "xTMPxtmp" + "\".
std::string FolderTestPath(const SettingsRecord& record);

// Creates the test path and removes again the folders it created (deepest
// first). False when it could not be created.
bool RunFolderTest(const std::string& testPath);

enum class IncomingPathCheck { Ok, FolderMissing, BadFileName, TooLong };

// Checks the incoming-number path typed into the edit: its part up to the
// last "\" must name an existing folder; the file part must not hold a
// forbidden character.
IncomingPathCheck CheckIncomingPath(const std::string& text);

// The close-time take-over of the incoming-number edit, also when the field
// was empty: an empty text clears the field; a text over 259 bytes is
// TooLong; otherwise CheckIncomingPath decides. Only Ok changes the record.
IncomingPathCheck TakeOverIncomingPath(SettingsRecord* record, const std::string& editText);

// Smallest settings window the user can size it to, in pixels: three
// quarters of the default, where the labels are still legible.
constexpr int kEditorMinWidth = 585;
constexpr int kEditorMinHeight = 195;

// Where the settings window opens: editor_window_text, or the default
// 780 x 260 centred on the work area when the stored size is below the
// minimum (an all-zero record stores 0 x 0).
Rect EditorWindowPlacement(const SettingsRecord& record, const WorkArea& area);

// Messages and captions of the editor (Shift-JIS).
extern const char kMsgFolderTooLong[];
extern const char kMsgIncomingTooLong[];
extern const char kCapSettingError[];
extern const char kMsgFolderListFull[];
extern const char kCapError[];
extern const char kMsgRecorderRunning[];
extern const char kCapRecorderRunning[];
extern const char kMsgTestPathTooLong[];
extern const char kCapTestPathTooLong[];
extern const char kMsgIncomingFolderBad[];
extern const char kCapIncomingFolderBad[];
extern const char kMsgIncomingFileBad[];
extern const char kCapIncomingFileBad[];
extern const char kCapInputError[];
extern const char kMsgTooManyTokens[];
extern const char kMsgFormatTooLong[];

}  // namespace suite
