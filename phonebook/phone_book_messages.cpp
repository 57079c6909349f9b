#include "phonebook/phone_book_messages.h"

namespace suite {

const char kNoSpaceText[] = "保存スペースがありません";
const char kNoSpaceCaption[] = "保存終了";
const char kAppendWarningCaption[] = "追加警告";
const char kPhoneBookCaption[] = "電話帳";

std::string AppendWarningText(int remaining) {
    return "後、" + std::to_string(remaining) +
           "件まで追加できます。\n１度、録音アプリを閉じて再起動すると100件まで追加できます。";
}

std::string CannotOpenText(const std::string& path) {
    return "電話帳ファイルを開けません。\n" + path +
           "\n他のアプリが使用中か、アクセス権がありません。電話帳なしで続けます。";
}

std::string CannotWriteText(const std::string& path) {
    return "電話帳ファイルに書き込めません。\n" + path + "\n電話帳の変更は保存されません。";
}

std::string InUseText(const std::string& path) {
    return "電話帳は他のプログラム（録音アプリまたは電話帳ツール）が使用中です。\n" + path +
           "\nそのプログラムを閉じてから、もう一度実行してください。";
}

}  // namespace suite
