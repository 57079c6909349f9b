// The name box's two modes, the search through the rows, the rename and the
// deletion of the current recording. The decisions are free of the platform;
// the user's messages go through BrowserMessages.
#pragma once
#include <cstdint>
#include <string>

#include "browser/recording_list.h"

namespace suite {

// The message boxes of the browser, owned by its window.
class BrowserMessages {
public:
    virtual ~BrowserMessages() = default;
    // A modal box with the information icon.
    virtual void Inform(const std::string& text, const std::string& caption) = 0;
    // A modal Yes/No question with the warning icon; true unless the answer is No.
    virtual bool Confirm(const std::string& text, const std::string& caption) = 0;
};

// Whether a row's text contains text, matched only where characters start,
// case-sensitive.
bool RowContains(const std::string& row, const std::string& text);

class NameActions {
public:
    enum Mode : uint8_t { kRename = 0, kSearchReady = 1, kSearchStart = 2, kSearching = 3 };

    Mode mode() const { return mode_; }
    // Labels and state of the buttons for the mode in force.
    const char* ActionLabel() const;  // "名前変更", "検索開始" or "次を検索"
    const char* ModeLabel() const;    // "検索" or "変更"
    bool DeleteEnabled() const { return mode_ == kRename; }

    // The action button was pressed (window side; the work follows in Act).
    void ActionPressed();
    // The mode button was pressed: rename ↔ search. Returns the name box
    // text: empty for search, the selected row's name for rename.
    std::string ModePressed(const RecordingList& list);
    // The name box text changed: a running search starts again from the top.
    void NameBoxEdited();

    // The work of an action request by the mode: rename, search start or
    // search step. nameBox is the name box text; nameBoxExact false when
    // some typed character has no Shift-JIS form (a rename is refused then).
    void Act(RecordingList& list, const std::string& nameBox, bool nameBoxExact, uint8_t browserSort,
             uint8_t browserFlags, std::string* preferred, BrowserMessages& messages);
    // Asks and deletes the current recording's file, then rebuilds so the
    // row now at its place is selected. A folder row is left alone unasked.
    void Delete(RecordingList& list, uint8_t browserSort, uint8_t browserFlags, const std::string& preferred,
                BrowserMessages& messages);

private:
    void Rename(RecordingList& list, const std::string& nameBox, uint8_t browserSort, uint8_t browserFlags,
                std::string* preferred, BrowserMessages& messages);
    void SearchStep(RecordingList& list, BrowserMessages& messages);

    Mode mode_ = kRename;
    std::string searchText_;
    size_t searchCursor_ = 0;
    size_t searchRows_ = 0;
};

}  // namespace suite
