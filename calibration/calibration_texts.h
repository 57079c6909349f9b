// The message texts of Quorrel (Shift-JIS when compiled with -fexec-charset=CP932).
#pragma once

namespace suite {

inline constexpr char kQuorrelTitle[] = "Quorrel";

inline constexpr char kNoDeviceText[] =
    "オーディオデバイスが不備か又は\nオーディオケーブルが接続されていません。\n"
    "接続後にパソコンの再起動が必要な場合があります。";

inline constexpr char kIntroText[] =
    "入力端子の接続やWindowsのサウンド設定を変更した場合は必ず実行してください。\r\n"
    "録音レベルが適切でない場合ナンバーディスプレイ（相手の電話番号）の取得に失敗することがあります。\r\n"
    "\r\n"
    "前準備として「ぬびらこ」に接続したデバイス（マイクやラインやUSBサウンドカード等）を既定に設定してください\r\n"
    "複数のデバイスがある場合は個々に既定を切り替えてから、このアプリの再起動が必要です。\r\n"
    "\r\n"
    "既定に設定する方法を見る場合は[はい]を、その必要が無い場合は[いいえ]をクリックしてください。";

inline constexpr char kHowToText[] =
    "Windows10の場合\r\n\r\nスタート\r\n設定(歯車アイコン)\r\nシステム\r\nサウンド\r\n関連設定\r\n"
    "コントロールパネル\r\n録音タブ\r\n接続したアイコンを押す\r\n既定値に設定を押す\r\n\r\n"
    "詳細はプロパティーを押す";

inline constexpr char kOnHookText[] =
    "受話器が電話機に収まっていることを確認してから\r\n[OK]を押して、そのまま３秒お待ちください。";

inline constexpr char kStartText[] =
    "それでは始めます！！\r\n\r\n"
    "受話器を外して発信音が聞こえてからダイヤルの１を押したまま[OK]をクリックして\r\n"
    "次のメッセージが出るまで押し続けてください。";

inline constexpr char kNoDialToneText[] =
    "ダイヤル音が確認できません。\r\n"
    "調節するデバイス（「ぬびらこ」を接続した端子）が既定になっているか確認してください。\r\n"
    "\r\n"
    "いったん終了します。";

inline constexpr char kReleaseText[] =
    "ダイヤルから指を放して、受話器を置いてください。\r\n[OK]をクリックすると終了します。";

inline constexpr char kTooShortText[] =
    "ダイヤルの１を押す時間が不足しています。\r\n\r\n"
    "音量調節が適切でないため、アプリの最初に戻ります、再度挑戦してください。";

inline constexpr char kBelowHalfText[] =
    "デバイスの最大出力レベルが通常の半分以下です。\r\n\r\n"
    "コントロールパネルのサウンド設定を見直してください\r\n"
    "「AGC」や「マイクブースト」等カスタム設定がある場合は有効にしてください。";

inline constexpr char kBelowQuarterText[] =
    "デバイスの最大出力レベルが通常の１/４以下です。\r\n\r\n"
    "コントロールパネルのサウンド設定を見直してください\r\n"
    "「AGC」や「マイクブースト」等カスタム設定がある場合は有効にしてください。";

inline constexpr char kClippedAtLowestText[] =
    "録音レベルを最小まで下げても入力が大きすぎて音が割れています。\r\n\r\n"
    "「ぬびらこ」の接続先（マイク端子かライン入力か）と、コントロールパネルのサウンド設定\r\n"
    "（「マイクブースト」等）を見直してください。\r\n\r\n"
    "録音レベルは調節前の値に戻しました。";

}  // namespace suite
