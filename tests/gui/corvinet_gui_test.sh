#!/usr/bin/env bash
# GUI and end-to-end tests of the line recorder Corvinet: the real program
# under Wine and Xvfb, listening to a virtual telephone line (PulseAudio null
# sink "line", its monitor is the input), calls made by linecall (our own
# signal kit) played into it, the program worked by gui_driver. Each case
# runs in a fresh install-like folder with a settings file made here byte by
# byte (silence choice 10 s). Prints PASS/FAIL per case; exits non-zero when
# any case fails.
#
#   tests/gui/corvinet_gui_test.sh [--native NATIVE_BUILD_DIR] WINDOWS_BUILD_DIR [CASE...]
#
# The native build (default: the folder "native" beside the Windows one)
# provides linecall and the phonebook tool. A second null sink "speaker" is
# the output, so that the warning sound can be seen as a stream on it.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=gui_case.sh
source "$here/gui_case.sh"
gui_script_args "$@"

program="$build/Corvinet.exe"
driver="$build/gui_driver.exe"
line_tap="$build/line_tap.exe"
linecall="$native/linecall"
phonebook="$native/phonebook"
gui_script_needs "build Corvinet, gui_driver and line_tap, natively linecall, phonebook and audio_align" \
  "$program" "$driver" "$line_tap" "$linecall" "$phonebook" "$native/audio_align" -- sox soxi import convert pactl iconv

gui_script_folders corvinet-gui-test

tap_pid=""
# shellcheck source=recorder_case.sh
source "$here/recorder_case.sh"
trap 'gui_stop c_pid; gui_stop tap_pid; virtual_line_stop; wine_env_cleanup' EXIT
PROGRAM_NAME=Corvinet
RECORD_SIZE=3572
corvinet_env_start

BOARD_CLASS="情報ボード"
BAR_CLASS="メッセージボックス"
NO_CABLE=$'音声入力ケーブルが切断又は接触不良を起こしています。\n「ぬびらこ」の出力ケーブルのパソコン側の差込を確認してください。\nつながっている場合は接触不良ですから、何度も差込をトライしてください。\n\n改善しない場合は家電量販店などで接点復活剤を購入して対処してください。'
month_folder=$(date +%Y年%m月)

# The calls, checked by the generator itself at every block alignment.
# Eight seconds of quiet first: the recorder ignores the first blocks after
# its capture starts.
make_call() {  # make_call FILE incoming|outgoing OPTIONS...
  local f=$1 d=$2
  shift 2
  "$linecall" "$d" "$f" "$@" --check >"$work/linecall.log" 2>&1 ||
    { echo "FAIL: linecall $d $*: $(tail -n 3 "$work/linecall.log")" >&2; exit 1; }
}
calls="$work/calls"
mkdir -p "$calls"
make_call "$calls/in_plain.wav" incoming --number 0312345678 --lead 8 --speech 2
make_call "$calls/in_long.wav" incoming --number 0312345678 --lead 12 --speech 30
make_call "$calls/in_book.wav" incoming --number 0398765432 --lead 0 --speech 2
make_call "$calls/in_withheld.wav" incoming --withheld --lead 0 --speech 2
make_call "$calls/out.wav" outgoing --number 0451112222 --lead 0 --speech 2
sox -n -r 8000 -c 1 -b 16 "$calls/loud.wav" synth 4 sine 1000 norm -3 2>/dev/null ||
  { echo "FAIL: sox cannot make a test tone" >&2; exit 1; }

# ---------------------------------------------------------------- helpers

tmp_file() { printf '%s/非常用フォルダー/TMP.tmp' "$case_dir"; }

# Counts pixels of the status word (painted, not a control) that are yellow.
status_yellow_pixels() {
  local x y w h crop="$work/status.png"
  read -r x y w h < <(drv_quiet client-rect "$main_class") || { echo 0; return; }
  local sx=$(( x + w * 15 / 1000 )) sy=$(( y + h * 3 / 100 )) sw=$(( w * 20 / 100 )) sh=$(( h * 13 / 100 ))
  import -display "$DISPLAY" -window root -crop "${sw}x${sh}+${sx}+${sy}" +repage "$crop" 2>/dev/null || { echo 0; return; }
  convert "$crop" -fx '(r>0.8 && g>0.8 && b<0.4) ? 1 : 0' -format '%[fx:round(mean*w*h)]' info: 2>/dev/null || echo 0
}


# A new case's Corvinet, recording after "手動録音" (TMP.tmp written).
start_manual_recording() {
  new_case
  start_corvinet
  wait_main || return 1
  drv click "$main_class" 3001 >/dev/null || return 1
  local _
  for _ in $(seq 1 20); do [ -s "$(tmp_file)" ] && break; sleep 0.5; done
  [ -s "$(tmp_file)" ] || fail "no TMP.tmp 10 s after 手動録音"
}

# ---------------------------------------------------------------- cases

# Four calls in one run: an incoming call from a number not in the phone
# book, one from a number that is, a withheld one and an outgoing call. Each is saved under
# its direction, date and number (and name); the number field shows the
# number; the board opens (mode 0) and shows the phone book's name.
#
# Started from another install-like folder (a shortcut's working folder, the
# Run key, a script), with settings as shipped and a book of its own: the
# program uses its own settings, book and folders, and leaves that one as it was.
case_calls() {
  new_case
  printf '"number","name","information"\r\n"0398765432","山田","取引先"\r\n' >"$case_dir/book.csv"
  "$phonebook" import "$case_dir/マニュアル 兼 作業フォルダー" "$case_dir/book.csv" >"$work/phonebook.log" 2>&1 ||
    { fail "phonebook import failed: $(tail -n 2 "$work/phonebook.log")"; return 1; }
  local other="$cases_dir/calls_elsewhere"
  corvinet_make_folder "$other" && printf '\0' >"$other/$CORVINET_SETTINGS_REL" || return 1
  printf '"number","name","information"\r\n"0398765432","他人","別の帳"\r\n' >"$other/book.csv"
  "$phonebook" import "$other/マニュアル 兼 作業フォルダー" "$other/book.csv" >"$work/phonebook.log" 2>&1 ||
    { fail "phonebook import failed: $(tail -n 2 "$work/phonebook.log")"; return 1; }
  find "$other" -printf '%p %s %T@\n' | sort >"$case_dir/other.before"
  start_dir=$other start_corvinet
  wait_main || return 1
  wine_env_screenshot "$shots/1_main_idle.png"
  # Faults that do not stop the run are noted and the calls go on.
  local bad=0 f title

  virtual_line_play "$calls/in_plain.wav"
  watch_field 0312345678 25 || return 1
  wine_env_screenshot "$shots/2_main_recording.png"
  # While recording the status word is yellow, black every second tick.
  local yellow=0
  for _ in 1 2 3 4 5 6; do
    [ "$(status_yellow_pixels)" -gt 0 ] && { yellow=1; break; }
    sleep 0.25
  done
  [ $yellow -eq 1 ] || fail "the status word is never yellow during a recording" || bad=1
  f=$(wait_recording 1 40) || return 1
  [[ $f == "$case_dir/通話記録/$month_folder/"* ]] || { fail "saved as $f"; return 1; }
  [[ $(basename "$f") =~ ^\[着信\][0-9]{2}日[0-9]{2}時[0-9]{2}分[0-9]{2}秒-0312345678-\.ogg$ ]] ||
    { fail "incoming call saved as $(basename "$f")"; return 1; }
  ogg_ok "$f" || return 1
  [ ! -e "$(tmp_file)" ] || { fail "TMP.tmp left after the save"; return 1; }
  # Mode 0: the board opened for this number too, with nothing in it.
  if drv wait-window "$BOARD_CLASS" 3000 >/dev/null; then
    drv wait-text "$BOARD_CLASS" 0 "情報ボード（ 0312345678 ）" 3000 >/dev/null || bad=1
    drv click "$BOARD_CLASS" 2 >/dev/null || bad=1   # 登録不要: not in the book, only closes
    drv wait-gone "$BOARD_CLASS" 3000 >/dev/null || bad=1
  else
    if drv_quiet exists "$BOARD_CLASS"; then fail "(first call, mode 0: the board exists hidden)"; else fail "(first call, mode 0)"; fi
    bad=1
  fi

  virtual_line_play "$calls/in_book.wav"
  watch_field "0398765432 山田" 20 || bad=1
  if drv wait-window "$BOARD_CLASS" 3000 >/dev/null; then
    drv wait-text "$BOARD_CLASS" 0 "情報ボード（ 0398765432 ）" 3000 >/dev/null || bad=1
    drv wait-text "$BOARD_CLASS" 202 山田 1000 >/dev/null || bad=1
    drv wait-text "$BOARD_CLASS" 201 取引先 1000 >/dev/null || bad=1
    # The tick after the opening applies the stored character size 8 (button 205).
    local checked=0
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      [ "$(drv_quiet get-selection "$BOARD_CLASS" 205)" = 1 ] && { checked=1; break; }
      sleep 0.2
    done
    [ $checked -eq 1 ] || fail "the board never checks character size 8" || bad=1
    wine_env_screenshot "$shots/3_board.png"
  else
    fail "(call of a number in the phone book)"
    bad=1
  fi
  f=$(wait_recording 2 40) || return 1
  [[ $(basename "$f") =~ ^\[着信\][0-9]{2}日[0-9]{2}時[0-9]{2}分[0-9]{2}秒-0398765432-山田\.ogg$ ]] ||
    fail "phone book call saved as $(basename "$f")" || bad=1
  ogg_ok "$f" || bad=1
  if drv_quiet exists "$BOARD_CLASS"; then
    drv click "$BOARD_CLASS" 8 >/dev/null || bad=1   # 保存終了
    drv wait-gone "$BOARD_CLASS" 3000 >/dev/null || bad=1
  fi

  # A withheld number is shown and named, but opens no board.
  virtual_line_play "$calls/in_withheld.wav"
  watch_field 非通知 20 || bad=1
  sleep 1.5
  if drv_quiet exists "$BOARD_CLASS"; then fail "a board opened for 非通知"; bad=1; fi
  f=$(wait_recording 3 40) || return 1
  [[ $(basename "$f") =~ ^\[着信\][0-9]{2}日[0-9]{2}時[0-9]{2}分[0-9]{2}秒-非通知-\.ogg$ ]] ||
    fail "withheld call saved as $(basename "$f")" || bad=1

  virtual_line_play "$calls/out.wav"
  watch_field 0451112222 30 || bad=1
  f=$(wait_recording 4 40) || return 1
  [[ $(basename "$f") =~ ^\[発信\][0-9]{2}日[0-9]{2}時[0-9]{2}分[0-9]{2}秒-0451112222-\.ogg$ ]] ||
    fail "outgoing call saved as $(basename "$f")" || bad=1
  ogg_ok "$f" || bad=1
  local shown
  shown=$(drv get-text "$main_class" 2020)
  [ "$shown" = "$(basename "${f%.ogg}")" ] || fail "number field shows \"$shown\" after the save" || bad=1

  close_main || return 1
  tail_unchanged || return 1
  find "$other" -printf '%p %s %T@\n' | sort | cmp -s - "$case_dir/other.before" ||
    { fail "the folder it was started from changed"; return 1; }
  return $bad
}

# "手動録音" records in silence; "録音中止" throws it away.
case_manual_discard() {
  start_manual_recording || return 1
  sleep 2
  drv click "$main_class" 3003 >/dev/null || return 1
  for _ in $(seq 1 10); do [ -e "$(tmp_file)" ] || break; sleep 0.5; done
  [ ! -e "$(tmp_file)" ] || { fail "TMP.tmp still there after 録音中止"; return 1; }
  sleep 1
  [ -z "$(recordings)" ] || { fail "録音中止 left $(recordings | xargs -n1 basename)"; return 1; }
  close_main
}

# "録音中止+保存" saves a manual recording under the date alone and leaves
# the recorder stopped: a loud line then starts nothing.
case_manual_save() {
  start_manual_recording || return 1
  sleep 2
  drv click "$main_class" 3103 >/dev/null || return 1
  local f
  f=$(wait_recording 1 5) || return 1
  [[ $f == "$case_dir/通話記録/$month_folder/"* ]] || { fail "saved as $f"; return 1; }
  [[ $(basename "$f") =~ ^[0-9]{2}日[0-9]{2}時[0-9]{2}分[0-9]{2}秒\.ogg$ ]] ||
    { fail "manual recording saved as $(basename "$f")"; return 1; }
  ogg_ok "$f" || return 1
  virtual_line_play "$calls/loud.wav"
  sleep 4
  [ ! -e "$(tmp_file)" ] || { fail "a loud line started a recording after 録音中止+保存"; return 1; }
  [ "$(recordings | wc -l)" -eq 1 ] || { fail "more recordings after 録音中止+保存"; return 1; }
  close_main
}

# Pulling the line: " 接続不良 " (yellow) and the looping warning sound;
# putting it back: capture resumes (a manual recording grows) and the sound stops.
case_unplug() {
  new_case
  start_corvinet
  wait_main || return 1
  sleep 4
  [ "$(status_yellow_pixels)" -eq 0 ] || { fail "status word yellow before the fault"; return 1; }
  [ "$(corvinet_speaker_streams)" -eq 0 ] || { fail "a sound plays before the fault"; return 1; }
  corvinet_unplug_line || { fail "cannot unplug the line"; return 1; }
  local yellow=0 streams=0
  for _ in $(seq 1 16); do
    sleep 0.5
    yellow=$(status_yellow_pixels); streams=$(corvinet_speaker_streams)
    [ "$yellow" -gt 0 ] && [ "$streams" -gt 0 ] && break
  done
  wine_env_screenshot "$shots/4_connection_fault.png"
  [ "$yellow" -gt 0 ] || { corvinet_plug_line; fail "status word not yellow 8 s after unplugging"; return 1; }
  [ "$streams" -gt 0 ] || { corvinet_plug_line; fail "no warning sound 8 s after unplugging"; return 1; }
  corvinet_plug_line || { fail "cannot plug the line back"; return 1; }
  for _ in $(seq 1 16); do
    sleep 0.5
    yellow=$(status_yellow_pixels); streams=$(corvinet_speaker_streams)
    [ "$yellow" -eq 0 ] && [ "$streams" -eq 0 ] && break
  done
  [ "$streams" -eq 0 ] || { fail "the warning sound goes on 8 s after plugging back"; return 1; }
  [ "$yellow" -eq 0 ] || { fail "status word still yellow 8 s after plugging back"; return 1; }
  # Blocks arrive again: without them the check would find the fault anew
  # within 6 s of the re-open, and then every 2 s.
  sleep 9
  [ "$(status_yellow_pixels)" -eq 0 ] && [ "$(corvinet_speaker_streams)" -eq 0 ] ||
    { fail "the fault came back after plugging in: no capture"; return 1; }
  # And it is the line that is heard again.
  virtual_line_play "$calls/in_plain.wav"
  local f
  f=$(wait_recording 1 40) || { fail "(a call on the line after plugging back)"; return 1; }
  [[ $(basename "$f") == *-0312345678-.ogg ]] || { fail "the call after plugging back saved as $(basename "$f")"; return 1; }
  close_main
}

# The chosen input missing: the question, "いいえ" ends the program. No
# input device at all (no sound server): the message, then the program ends.
case_no_device() {
  new_case
  local question=$'音声入力端子 Monitor of Null Output が切断又は接触不良を起こしています。\n「ぬびらこ」の出力ケーブルのパソコン側の差込を確認してください。\nつながっている場合は接触不良ですから、何度も差込をトライしてください。\n\n改善しない場合は家電量販店などで接点復活剤を購入して対処してください。\n\nそれとも、別の入力端子に変更しますか？\n変更する場合は[はい]を、しない場合は[いいえ]を押してください。'
  local ok=0
  corvinet_unplug_line || { fail "cannot unplug the line"; return 1; }
  start_corvinet
  drv expect-message "$question" 30000 --button NO --caption 接続不良 >/dev/null || ok=1
  corvinet_plug_line
  [ $ok -eq 0 ] || return 1
  wait_exit 10 || return 1

  virtual_line_stop
  local left
  mapfile -t left < <(wine64 "$driver" wave-inputs 2>/dev/null)
  [ ${#left[@]} -eq 0 ] || fail "Wine still lists inputs without a sound server: ${left[*]}" || ok=1
  if [ $ok -eq 0 ]; then
    start_corvinet
    drv expect-message "$NO_CABLE" 30000 --button none --caption 接続不良 >/dev/null || ok=1
    [ $ok -eq 0 ] && wine_env_screenshot "$shots/5_no_device.png"
    [ $ok -eq 0 ] && { drv answer-message OK >/dev/null || ok=1; }
  fi
  corvinet_line_start "$work" || { fail "cannot restart the line"; return 1; }
  [ $ok -eq 0 ] || return 1
  wait_exit 10
}

# The first start (settings as shipped, one byte): defaults, the "接続設定"
# window with the line's input chosen and "don't show again" ticked, the
# choice stored at once and shown in the title; the next start asks nothing.
case_first_start() {
  new_case
  local f; f=$(ini)
  printf '\0' >"$f"
  start_corvinet
  choose_line_input 7_connection_choice || return 1
  wait_main || return 1
  drv wait-text "$main_class" 0 "めるとあ - $CORVINET_LINE_INPUT" 3000 >/dev/null || return 1
  [ "$(stat -c %s "$f")" -eq 3572 ] || { fail "settings file of $(stat -c %s "$f") bytes"; return 1; }
  local got
  got=$(od -An -tu1 -v -j 34 -N 3 "$f" | xargs)
  [ "$got" = "0 $CORVINET_LINE_INDEX $CORVINET_INPUT_COUNT" ] || { fail "bytes 34..36 are $got, not 0 $CORVINET_LINE_INDEX $CORVINET_INPUT_COUNT"; return 1; }
  got=$(od -An -tu1 -v -j 90 -N 1 "$f" | xargs)
  [ "$got" = "$CORVINET_INPUT_COUNT" ] || { fail "saved_device_count is $got"; return 1; }
  got=$(get_text "$f" 660 33)
  [ "$got" = "$CORVINET_LINE_INPUT" ] || { fail "input_device_name is \"$got\""; return 1; }
  got=$(get_text "$f" 2000 262)
  [ "$got" = '通話記録\' ] || { fail "folder_list slot 0 is \"$got\""; return 1; }
  close_main || return 1

  start_corvinet
  wait_main || return 1
  if drv_quiet exists "接続 設定"; then fail "the 接続設定 window opened again"; return 1; fi
  close_main
}

# Display modes at start: the tray (2) hidden and without a minimise box;
# the task bar (1) minimised, and a window started topmost labelled "最前解除".
# First a stored main window rectangle of 0, 0, 0, 0 (as an all-zero record
# holds): the window opens at the default place, 470 x 200.
case_display_modes() {
  new_case
  local f state cls rect
  f=$(ini)
  settingsrecord clear "$f" main_window_text.0 main_window_text.1 main_window_text.2 main_window_text.3 || return 1
  start_corvinet
  wait_main || return 1
  rect=$(drv get-rect "$main_class") || return 1
  [ "$rect" = "277 184 470 200" ] || { fail "a zero stored rectangle opens the window at $rect"; return 1; }
  close_main || return 1

  settingsrecord set "$f" start_place 2 || return 1
  start_corvinet
  cls=$(drv find-class "$MAIN_PREFIX" 30000) || return 1
  sleep 3
  state=$(drv window-state "$cls") || return 1
  [ "$state" = "visible=0 iconic=0 minimizebox=0 topmost=0" ] || { fail "tray mode: $state"; return 1; }
  drv close "$cls" >/dev/null || return 1
  wait_exit 15 || return 1

  settingsrecord set "$f" start_place 1 topmost 1 || return 1
  start_corvinet
  cls=$(drv find-class "$MAIN_PREFIX" 30000) || return 1
  sleep 3
  state=$(drv window-state "$cls") || return 1
  [ "$state" = "visible=1 iconic=1 minimizebox=1 topmost=1" ] || { fail "task bar mode: $state"; return 1; }
  local label; label=$(drv get-text "$cls" 7003)
  [ "$label" = 最前解除 ] || { fail "topmost button labelled \"$label\""; return 1; }
  drv close "$cls" >/dev/null || return 1
  wait_exit 15
}

# An emptied settings file: the defaults and the warning bar once; the
# record folder of the defaults is stored.
case_empty_settings() {
  new_case
  empty_settings_case || return 1
  local got; got=$(get_text "$(ini)" 2000 262)
  [ "$got" = '通話記録\' ] || fail "folder_list slot 0 is \"$got\""
}

# Unpacked where the user cannot write: it says so and ends.
case_read_only() { gui_read_only_case "$program"; }

# A missing work folder: the "起動エラー" question. No ends the program;
# yes runs with the default folder and stores it at exit.
case_missing_work_folder() {
  new_case
  local f; f=$(ini)
  settingsrecord clear "$f" work_folder && settingsrecord set "$f" work_folder "無い作業フォルダー" || return 1
  cp "$f" "$case_dir/settings.before"
  local text=$'保存先フォルダーが存在しません\n現在の保存先　無い作業フォルダー\n\n保存先をデフォルト（初期設定）に戻しますか？'
  start_corvinet
  drv expect-message "$text" 30000 --button none --caption 起動エラー >/dev/null || return 1
  wine_env_screenshot "$shots/6_work_folder.png"
  drv answer-message NO >/dev/null || return 1
  wait_exit 10 || return 1

  start_corvinet
  drv expect-message "$text" 30000 --button YES --caption 起動エラー >/dev/null || return 1
  wait_main || return 1
  close_main || return 1
  local stored; stored=$(get_text "$f" 400 260)
  [ "$stored" = "マニュアル 兼 作業フォルダー" ] || { fail "work folder stored as \"$stored\""; return 1; }
  tail_unchanged
}

# A call in progress, its number shown; ring_time: when its ring began
# (the call file's lead of 12 s, past the blocks muted after the start).
ring_time=""
shown_time=""
start_long_call() {
  new_case
  start_corvinet
  wait_main || return 1
  local t0
  # A second listener on the line notes when its sound reaches Wine.
  gui_stop tap_pid
  rm -f "$work"/tap.*
  gui_start tap_pid "$work" "$line_tap" tap 120
  virtual_line_play "$calls/in_long.wav"
  # From the moment the stream exists on the line, not from the player's start.
  for _ in $(seq 1 50); do [ -n "$(pactl list short sink-inputs 2>/dev/null)" ] && break; sleep 0.05; done
  t0=$(date +%s.%N)
  ring_time=$(awk -v t="$t0" 'BEGIN { printf "%.2f", t + 12 }')
  watch_field 0312345678 25 || return 1
  shown_time=$(date +%s.%N)
}

# The one recording of the case: saved under the call's number, holding the
# call up to the close; the figures go to measurements.txt. It began before
# the number was shown, so it holds at least the time from then to the
# close, and at most the time from the ring (whose own block is not
# recorded).
saved_up_to() {  # saved_up_to RING_TIME END_TIME HOW ASKED_AT
  local f n played got
  # Half a second more of the line, then the listener ends.
  sleep 0.5
  touch "$work/tap.stop"
  wait "$tap_pid"
  tap_pid=""
  n=$(recordings | wc -l)
  [ "$n" -eq 1 ] || { fail "$3: $n recordings ($(recordings | xargs -r -n1 basename | tr '\n' ' '))"; return 1; }
  f=$(recordings)
  [[ $f == "$case_dir/通話記録/$month_folder/"* ]] || { fail "$3: saved as $f"; return 1; }
  [[ $(basename "$f") =~ ^\[着信\][0-9]{2}日[0-9]{2}時[0-9]{2}分[0-9]{2}秒-0312345678-\.ogg$ ]] ||
    { fail "$3: saved as $(basename "$f")"; return 1; }
  ogg_ok "$f" || return 1
  played=$(awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }')
  got=$(soxi -D "$f")
  awk -v p="$played" -v g="$got" -v s="$shown_time" -v e="$2" 'BEGIN { exit !(g >= e - s - 0.5 && g <= p + 0.5) }' ||
    { fail "$3: saved $got s of the $played s played"; return 1; }
  # Where the recording ends in what the second listener heard (found by
  # its last second's sound), and when that sound reached Wine, against the
  # moment the driver asked to close: the line's own delay drops out. The
  # sound that had arrived when the close was asked must be saved, give or
  # take half a second.
  local raw="$work/recording.raw" asked=$4 heard align arrived
  to_raw "$f" "$raw" || { fail "$3: sox cannot decode"; return 1; }
  heard=$(awk -v t="$asked" '$2 <= t { s = $1 } END { printf "%.3f", s / 8000 }' "$work/tap.times")
  align=$("$native/audio_align" "$raw" "$work/tap.raw" "$heard") ||
    { fail "$3: the recording's end is not in what the line carried ($align)"; return 1; }
  arrived=$(awk -v k="${align% *}" -v t="$asked" '$1 >= k * 8000 { printf "%+.3f", $2 - t; found = 1; exit }
                                                   END { exit !found }' "$work/tap.times") ||
    { fail "$3: the line tap ended before the recording's end"; return 1; }
  echo "$3: $(basename "$f") ($got s) ends with the sound that reached Wine ${arrived} s from the moment the close was asked (match ${align#* })" |
    tee -a "$work/measurements.txt"
  awk -v d="$arrived" 'BEGIN { exit !(d >= -0.5 && d <= 0.5) }' ||
    { fail "$3: the recording ends with the sound that arrived $arrived s from the close"; return 1; }
}

# Closing during a call saves the call so far, as "録音中止+保存" would,
# under its number; no TMP.tmp is left; the settings file changes only in
# bytes 0..692.
case_close_while_recording() {
  local t1 asked
  start_long_call || return 1
  sleep 4
  t1=$(date +%s.%N)
  asked=$(drv close "$main_class") && wait_exit 15 || return 1
  [ ! -e "$(tmp_file)" ] || { fail "TMP.tmp left after closing"; return 1; }
  saved_up_to "$ring_time" "$t1" "closed by ×" "${asked#asked_at=}" || return 1
  tail_unchanged
}

# Windows ending the session during a call: the call is saved before the
# window's answer to WM_ENDSESSION, after which the process may be ended.
case_end_session_while_recording() {
  local t1 asked
  start_long_call || return 1
  sleep 4
  t1=$(date +%s.%N)
  asked=$(drv end-session "$main_class" | sed -n 's/^asked_at=//p') && [ -n "$asked" ] || return 1
  [ ! -e "$(tmp_file)" ] || { fail "TMP.tmp left after WM_ENDSESSION"; return 1; }
  saved_up_to "$ring_time" "$t1" "session ended" "$asked" || return 1
  tail_unchanged || return 1
  close_main || return 1
  [ "$(recordings | wc -l)" -eq 1 ] || { fail "closing after the session's end saved again"; return 1; }
}

# One running copy: a second start says so and ends, the first records on;
# no other process may write the recording in progress, and the phonebook
# tool refuses to write the book the recorder holds until it ends.
case_second_copy() {
  start_manual_recording || return 1
  local first=$c_pid
  start_corvinet
  drv expect-message $'この録音アプリはすでに起動しています。\n同じ一時ファイルと電話帳に二重に書き込まないよう、この起動は終了します。' \
    30000 --button none --caption 起動エラー >/dev/null || return 1
  wine_env_screenshot "$shots/9_second_copy.png"
  drv answer-message OK >/dev/null || return 1
  wait_exit 10 || return 1
  c_pid=$first
  kill -0 "$c_pid" 2>/dev/null || { fail "the first copy ended"; return 1; }

  if (cd "$case_dir" && wine64 "$driver" can-write '非常用フォルダー\TMP.tmp') >>"$work/$case_name.log" 2>&1; then
    fail "another process could open TMP.tmp for writing"; return 1
  fi

  printf '"number","name","information"\r\n"0398765432","山田","取引先"\r\n' >"$case_dir/book.csv"
  local book="$case_dir/マニュアル 兼 作業フォルダー"
  if "$phonebook" import "$book" "$case_dir/book.csv" >"$work/phonebook.log" 2>&1; then
    fail "phonebook import wrote the book the recorder holds"; return 1
  fi
  grep -q '録音アプリまたは電話帳ツール' "$work/phonebook.log" || { fail "phonebook said: $(tail -n 2 "$work/phonebook.log")"; return 1; }
  "$phonebook" list "$book" >/dev/null 2>&1 || { fail "phonebook list refused while the recorder runs"; return 1; }

  close_main || return 1
  "$phonebook" import "$book" "$case_dir/book.csv" >"$work/phonebook.log" 2>&1 ||
    { fail "phonebook import failed after the recorder ended: $(tail -n 2 "$work/phonebook.log")"; return 1; }
}

# bar_warns_once SECONDS PATTERN SHOT: the warning bar comes within SECONDS
# with its sound, its text (the bar's title) matching the glob PATTERN; a
# screenshot SHOT; closed, it does not come back at the next ticks.
bar_warns_once() {
  drv wait-window "$BAR_CLASS" "$(( $1 * 1000 ))" >/dev/null || return 1
  local said; said=$(drv get-text "$BAR_CLASS" 0)
  # shellcheck disable=SC2053  # a glob on purpose
  [[ $said == $2 ]] || { fail "the bar says \"$said\""; return 1; }
  [ "$(corvinet_speaker_streams)" -ge 1 ] || { fail "no warning sound"; return 1; }
  sleep 0.5
  wine_env_screenshot "$shots/$3"
  drv close "$BAR_CLASS" >/dev/null && drv wait-gone "$BAR_CLASS" 3000 >/dev/null || return 1
  sleep 1.5
  ! drv_quiet exists "$BAR_CLASS" || { fail "the bar came back at once"; return 1; }
}

# A sleep the recorder could not keep off (the lid closed): after the
# resume, told by the system's and the user's event, one warning bar with
# its sound says that calls meanwhile were not recorded.
case_resume_after_sleep() {
  new_case
  start_corvinet
  wait_main || return 1
  local event
  for event in 4 18 7; do  # WM_POWERBROADCAST: suspend, resume automatic, resume suspend
    drv post-message "$main_class" 536 "$event" 0 >/dev/null || return 1
  done
  bar_warns_once 5 "パソコンがスリープしていました スリープ中の通話は録音されていません" resume_bar.png || return 1
  close_main
}

# A record folder on a small drive (a 2 MB tmpfs, needs root): the warning
# bar with its sound names the room left and the folder at start, before
# any call that would not fit comes.
case_low_space() {
  [ "$(id -u)" -eq 0 ] || { echo "low_space: skipped, mounting a tmpfs needs root" >&2; return 0; }
  new_case
  mount -t tmpfs -o size=2m tmpfs "$case_dir/通話記録" || { fail "cannot mount a tmpfs"; return 1; }
  local rc=0
  low_space_checks || rc=1
  gui_stop c_pid
  umount -l "$case_dir/通話記録"
  return $rc
}
low_space_checks() {
  start_corvinet
  wait_main || return 1
  bar_warns_once 10 'ディスクの空きが残り 2 MB です。不要な録音を移してください 場所：*\\通話記録' low_space_bar.png || return 1
  close_main
}

# Started as the Run key starts it at logon: the value's quoted full path,
# from another current folder (Windows' own). It uses the settings of its
# own folder, records a call there and writes nothing where it was started.
# Needs each program to anchor its files to its own folder.
case_run_entry_start() {
  new_case
  cp "$program" "$case_dir/"
  local value exe f elsewhere="$work/elsewhere"
  rm -rf "$elsewhere" && mkdir -p "$elsewhere"
  wine64 reg add "$RUN_KEY" /v Corvinet /d "\"$(winpath "$case_dir/Corvinet.exe")\"" /f >/dev/null 2>&1
  value=$(run_value Corvinet)
  wine64 reg delete "$RUN_KEY" /v Corvinet /f >/dev/null 2>&1
  [[ $value == \"*\" ]] || { fail "the Run value reads \"$value\""; return 1; }
  exe=${value#\"}
  exe=${exe%\"}
  gui_start c_pid "$elsewhere" "$exe"
  wait_main || return 1
  virtual_line_play "$calls/in_plain.wav"
  f=$(wait_recording 1 40) || return 1
  [[ $f == "$case_dir/通話記録/$month_folder/"*-0312345678-.ogg ]] || { fail "saved as $f"; return 1; }
  close_main || return 1
  [ -z "$(ls -A "$elsewhere")" ] || { fail "wrote into the current folder: $(ls -A "$elsewhere" | head -n 3 | tr '\n' ' ')"; return 1; }
}

# ---------------------------------------------------------------- run

gui_run_cases corvinet first_start calls manual_discard manual_save second_copy unplug no_device empty_settings missing_work_folder close_while_recording end_session_while_recording display_modes read_only resume_after_sleep low_space run_entry_start
