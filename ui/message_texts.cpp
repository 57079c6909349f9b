#include "ui/message_texts.h"

namespace suite {

const char kStartupErrorCaption[] = "起動エラー";
const char kNoAudioInputText[] =
    "オーディオデバイスが不備か又は\nオーディオケーブルが接続されていません。\n"
    "接続後にパソコンの再起動が必要な場合があります。";
const char kAlertBarCaption[] = "着信(発信)警告";
const char kAlertBarText[] = "パスの文字数が許容値を超えたため非常用フォルダーに保存しました";
const char kDiskFullBarText[] = "ディスクが満杯のため録音は途中までしか保存されていません";
const char kHandsetBarLine1[] = "ファイル名を含むパスの文字数が許容値をこえました、";
const char kHandsetBarLine2[] = "非常用フォルダーに臨時のファイルを作成しました（要設定修正）";
const char kSettingsResetBarText[] = "設定ファイルが空だったため、設定を初期値に戻しました";
const char kResumeBarLine1[] = "パソコンがスリープしていました";
const char kResumeBarLine2[] = "スリープ中の通話は録音されていません";

std::string LowSpaceBarLine1(uint64_t freeBytes) {
    return "ディスクの空きが残り " + std::to_string(freeBytes / (1024 * 1024)) +
           " MB です。不要な録音を移してください";
}

std::string LowSpaceBarLine2(const std::string& folderSjis) { return "場所：" + folderSjis; }

std::string MissingWorkFolderText(const std::string& folderSjis) {
    return "保存先フォルダーが存在しません\n現在の保存先　" + folderSjis +
           "\n\n保存先をデフォルト（初期設定）に戻しますか？";
}

}  // namespace suite
