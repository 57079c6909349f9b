// What the phone book has to tell the user. The store only calls this
// interface; the recorder shows the texts below in topmost message boxes,
// the phonebook tool prints them.
#pragma once
#include <string>

namespace suite {

class PhoneBookMessages {
public:
    virtual ~PhoneBookMessages() = default;
    // No free data block: kNoSpaceText, caption kNoSpaceCaption, warning icon, OK.
    virtual void NoSpace() = 0;
    // Per-run append limit: AppendWarningText(remaining), caption
    // kAppendWarningCaption, warning icon, OK.
    virtual void AppendWarning(int remaining) = 0;
    // A phone book file could not be opened or read: CannotOpenText(path),
    // caption kPhoneBookCaption. The recorder goes on without a phone book.
    virtual void CannotOpen(const std::string& path) = 0;
    // A phone book file cannot be written: CannotWriteText(path), caption
    // kPhoneBookCaption. Changes are refused from then on.
    virtual void CannotWrite(const std::string& path) = 0;
    // Another program (the recorder, or the phonebook tool) is writing the
    // book: InUseText(path), caption kPhoneBookCaption.
    virtual void InUse(const std::string& path) = 0;
};

extern const char kNoSpaceText[];           // "保存スペースがありません"
extern const char kNoSpaceCaption[];        // "保存終了"
extern const char kAppendWarningCaption[];  // "追加警告"
extern const char kPhoneBookCaption[];      // "電話帳"

// "後、<remaining>件まで追加できます。\n１度、録音アプリを閉じて再起動すると100件まで追加できます。"
std::string AppendWarningText(int remaining);
std::string CannotOpenText(const std::string& path);
std::string CannotWriteText(const std::string& path);
std::string InUseText(const std::string& path);

}  // namespace suite
