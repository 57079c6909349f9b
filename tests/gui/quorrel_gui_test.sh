#!/usr/bin/env bash
# GUI tests of the calibration program Quorrel: the real program under Wine
# and Xvfb, listening to a virtual telephone line (PulseAudio null sink),
# its message boxes answered by gui_driver. A DTMF "1" played into the line
# is the held dial key. Prints PASS/FAIL per case; exits non-zero when any
# case fails.
#
#   tests/gui/quorrel_gui_test.sh WINDOWS_BUILD_DIR [CASE...]
#
# Wine cannot set the capture volume (SetMasterVolumeLevelScalar is not
# implemented), so the volume steps are proven by the native tests only.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=gui_case.sh
source "$here/gui_case.sh"
gui_script_args --windows-only "$@"

program="$build/Quorrel.exe"
driver="$build/gui_driver.exe"
gui_script_needs "build the targets Quorrel and gui_driver" "$program" "$driver" -- sox

gui_script_folders quorrel-gui-test

PROGRAM_NAME=Quorrel

# shellcheck source=virtual_line.sh
source "$here/virtual_line.sh"
# shellcheck source=wine_env.sh
source "$here/wine_env.sh"
trap 'gui_stop c_pid; virtual_line_stop; wine_env_cleanup' EXIT
# The line first: Wine's audio driver finds the daemon through the environment.
virtual_line_start "$work" || { echo "FAIL: no virtual line" >&2; exit 1; }
wine_env_private "$work" || { echo "FAIL: no Wine environment" >&2; exit 1; }

# The dial key "1" (697 Hz + 1209 Hz) at 8000 Hz: loud (Peak about 100 of
# 127), weak (about 45: the "half" report) and released after 2.5 s.
tone() {  # tone FILE SECONDS PEAK_DB
  sox -n -r 8000 -c 1 -b 16 "$1" synth "$2" sine 697 sine 1209 remix - norm "$3"
}
if ! { tone "$work/one_loud.wav" 12 -2 && tone "$work/one_weak.wav" 12 -9 &&
        tone "$work/one_short.wav" 2.5 -2; }; then
  echo "FAIL: sox cannot make the test tones" >&2
  exit 1
fi

INTRO=$'入力端子の接続やWindowsのサウンド設定を変更した場合は必ず実行してください。\r\n録音レベルが適切でない場合ナンバーディスプレイ（相手の電話番号）の取得に失敗することがあります。\r\n\r\n前準備として「ぬびらこ」に接続したデバイス（マイクやラインやUSBサウンドカード等）を既定に設定してください\r\n複数のデバイスがある場合は個々に既定を切り替えてから、このアプリの再起動が必要です。\r\n\r\n既定に設定する方法を見る場合は[はい]を、その必要が無い場合は[いいえ]をクリックしてください。'
HOWTO=$'Windows10の場合\r\n\r\nスタート\r\n設定(歯車アイコン)\r\nシステム\r\nサウンド\r\n関連設定\r\nコントロールパネル\r\n録音タブ\r\n接続したアイコンを押す\r\n既定値に設定を押す\r\n\r\n詳細はプロパティーを押す'
ONHOOK=$'受話器が電話機に収まっていることを確認してから\r\n[OK]を押して、そのまま３秒お待ちください。'
START=$'それでは始めます！！\r\n\r\n受話器を外して発信音が聞こえてからダイヤルの１を押したまま[OK]をクリックして\r\n次のメッセージが出るまで押し続けてください。'
RELEASE=$'ダイヤルから指を放して、受話器を置いてください。\r\n[OK]をクリックすると終了します。'
NO_TONE=$'ダイヤル音が確認できません。\r\n調節するデバイス（「ぬびらこ」を接続した端子）が既定になっているか確認してください。\r\n\r\nいったん終了します。'
TOO_SHORT=$'ダイヤルの１を押す時間が不足しています。\r\n\r\n音量調節が適切でないため、アプリの最初に戻ります、再度挑戦してください。'
BELOW_HALF=$'デバイスの最大出力レベルが通常の半分以下です。\r\n\r\nコントロールパネルのサウンド設定を見直してください\r\n「AGC」や「マイクブースト」等カスタム設定がある場合は有効にしてください。'
NO_DEVICE=$'オーディオデバイスが不備か又は\nオーディオケーブルが接続されていません。\n接続後にパソコンの再起動が必要な場合があります。'

# ---------------------------------------------------------------- helpers

# expect TEXT [BUTTON] [TIMEOUT_MS]: a message box titled "Quorrel" with
# exactly TEXT; BUTTON (default OK, "none" to leave it open) is pressed.
expect() {
  drv expect-message "$1" "${3:-10000}" --button "${2:-OK}" --caption Quorrel >/dev/null
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

start_quorrel() { gui_start c_pid "$work" "$program"; }

# The opening messages up to the start of the tone phase; the on-hook wait
# must last three seconds.
up_to_start() {  # up_to_start INTRO_ANSWER
  expect "$INTRO" "$1" 30000 || return 1
  if [ "$1" = YES ]; then expect "$HOWTO" || return 1; fi
  expect "$ONHOOK" || return 1
  local t0 waited
  t0=$(now_ms)
  expect "$START" none 8000 || return 1
  waited=$(( $(now_ms) - t0 ))
  [ $waited -ge 2800 ] || fail "the on-hook phase lasted only $waited ms"
}

# Holds the key: the tone starts, then the start message is answered.
hold_key() {  # hold_key WAV
  virtual_line_play "$1"
  sleep 1
  drv answer-message OK >/dev/null
}

# The release message must come three seconds after the start message.
expect_release() {
  local t0 waited
  t0=$(now_ms)
  expect "$RELEASE" none 8000 || return 1
  waited=$(( $(now_ms) - t0 ))
  [ $waited -ge 2800 ] || fail "the tone phase lasted only $waited ms"
  drv answer-message OK >/dev/null || return 1
  virtual_line_silence
}

# ---------------------------------------------------------------- cases

# A steady tone lets the dialogue finish; Yes shows how to choose the
# device. Screenshots of the first two message boxes.
case_steady_tone() {
  start_quorrel
  expect "$INTRO" none 30000 || return 1
  wine_env_screenshot "$shots/1_intro.png"
  # The capture notifications go to a hidden window "Quorrel".
  drv exists Quorrel || { fail "no window of class Quorrel"; return 1; }
  local title
  title=$(drv get-text Quorrel 0) || return 1
  [ "$title" = Quorrel ] || { fail "hidden window titled \"$title\""; return 1; }
  if wine64 "$driver" wait-window Quorrel 300 >/dev/null 2>&1; then
    fail "the Quorrel window is visible"
    return 1
  fi
  drv answer-message YES >/dev/null || return 1
  expect "$HOWTO" none || return 1
  wine_env_screenshot "$shots/2_howto.png"
  drv answer-message OK >/dev/null || return 1
  expect "$ONHOOK" || return 1
  expect "$START" none 8000 || return 1
  hold_key "$work/one_loud.wav"
  expect_release || return 1
  drv no-message 1500 || return 1  # a loud tone: no report, no retry
  wait_exit 10
}

# A weak device gets the "half" report after the release message.
case_weak_tone() {
  start_quorrel
  up_to_start NO || return 1
  hold_key "$work/one_weak.wav"
  expect_release || return 1
  expect "$BELOW_HALF" OK 3000 || return 1
  wait_exit 10
}

# Silence in the tone phase: after one second, not before, the run ends.
case_silence() {
  start_quorrel
  up_to_start NO || return 1
  drv answer-message OK >/dev/null || return 1
  # The report comes a second after the start; the driver starting after the
  # answer takes part of that second.
  drv no-message 500 || return 1
  expect "$NO_TONE" none 3000 || return 1
  wine_env_screenshot "$shots/3_no_tone.png"
  drv answer-message OK >/dev/null || return 1
  wait_exit 10
}

# A key released after about 1.5 s forces a new attempt from the first
# message; the second attempt with a held key finishes.
case_short_press() {
  start_quorrel
  up_to_start NO || return 1
  hold_key "$work/one_short.wav"
  expect_release || return 1
  expect "$TOO_SHORT" OK 3000 || return 1
  up_to_start NO || return 1
  hold_key "$work/one_loud.wav"
  expect_release || return 1
  drv no-message 1000 || return 1
  wait_exit 10
}

# No capture device at all: the warning, and the program ends.
case_no_device() {
  virtual_line_unplug || { fail "cannot unplug the line"; return 1; }
  start_quorrel
  local ok=0
  expect "$NO_DEVICE" none 30000 || ok=1
  [ $ok -eq 0 ] && wine_env_screenshot "$shots/4_no_device.png"
  [ $ok -eq 0 ] && { drv answer-message OK >/dev/null || ok=1; }
  virtual_line_plug || fail "cannot plug the line back"
  [ $ok -eq 0 ] && wait_exit 10
}

# Unpacked where the user cannot write: it says so and ends, as the others do.
case_read_only() { gui_read_only_case "$program"; }

# ---------------------------------------------------------------- run

gui_run_cases quorrel steady_tone weak_tone silence short_press no_device read_only
