#!/usr/bin/env bash
# GUI tests of the browser window "記録操作" in Corvinet under Wine and Xvfb,
# on the virtual line: a call recorded by hand and played back to the
# speaker sink, whose monitor is recorded and judged; the list, its orders,
# search, rename and delete; closing during playback and with the program;
# calls recorded and saved while a recording in "非常用フォルダー" plays.
# Prints PASS/FAIL per case; exits non-zero when any case fails.
#
#   browser/tests/browser_gui_test.sh [--native DIR] WINDOWS_BUILD_DIR [CASE...]
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
gui="$here/../../tests/gui"
# shellcheck source=../../tests/gui/gui_case.sh
source "$gui/gui_case.sh"
gui_script_args "$@"

program="$build/Corvinet.exe"
driver="$build/gui_driver.exe"
gui_script_needs "build Corvinet and gui_driver" "$program" "$driver" -- sox import convert pactl parec iconv python3

gui_script_folders browser-gui-test

rec_pid=""
# shellcheck source=../../tests/gui/recorder_case.sh
source "$gui/recorder_case.sh"
trap 'gui_stop rec_pid; gui_stop c_pid; virtual_line_stop; wine_env_cleanup' EXIT
PROGRAM_NAME=Corvinet
corvinet_env_start

B="CDialog"
LIST=1001; ACTION=1002; PLAY=1004; END=1005; DELETE=1006; NAMEBOX=1007; AMPLIFY=1008
ORDER=1009; INITIAL=1010; MODE=1011
BAD_NAME=$'入力の文字はファイル名として使用できません、\n記号は漢字で入力してください。'

# A tone pattern the playback is recognised by: 600 Hz, then 1500 Hz.
tones="$work/tones.wav"
sox -n -r 8000 -c 1 -b 16 "$work/a.wav" synth 4 sine 600 gain -6 2>/dev/null &&
  sox -n -r 8000 -c 1 -b 16 "$work/b.wav" synth 4 sine 1500 gain -6 2>/dev/null &&
  sox "$work/a.wav" "$work/b.wav" "$tones" 2>/dev/null || { echo "FAIL: sox cannot make the tones" >&2; exit 1; }

# ---------------------------------------------------------------- helpers

# new_case_at [FOLDER]: the case's install-like folder; FOLDER (relative,
# "\" at its end) becomes recording_path, so the browser opens there
# without a call.
new_case_at() {
  corvinet_make_folder "$case_dir"
  [ -z "${1:-}" ] || settingsrecord set "$(ini)" recording_path "$1"
}

# A new case whose browser opens on one 16-second recording, Corvinet started.
start_on_long_recording() {
  new_case_at "録音\\"
  mkdir -p "$case_dir/録音"
  sox "$tones" "$tones" "$case_dir/録音/long.wav" 2>/dev/null
  start_corvinet
  wait_main
}

open_browser() {
  drv click "$main_class" 3009 >/dev/null && drv wait-window "$B" 5000 >/dev/null || return 1
  drv_quiet is-enabled "$main_class" && { fail "the main window is enabled while the browser is open"; return 1; }
  return 0
}

close_browser() {
  drv close "$B" >/dev/null && drv wait-gone "$B" 3000 >/dev/null || return 1
  local _
  for _ in $(seq 1 20); do drv_quiet is-enabled "$main_class" && return 0; sleep 0.1; done
  fail "the main window stays disabled after the browser closed"
}

# expect_list TEXT...: the recording list's rows, in order.
expect_list() {
  local got want
  got=$(drv list-items "$B" $LIST) || return 1
  want=$(printf '%s\n' "$@")
  [ "$got" = "$want" ] || fail "list: $(echo "$got" | tr '\n' ' ')(want $*)"
}

expect_text() {  # expect_text ID TEXT
  local got; got=$(drv get-text "$B" "$1") || return 1
  [ "$got" = "$2" ] || fail "control $1 reads \"$got\", want \"$2\""
}

expect_selection() {
  local got; got=$(drv get-selection "$B" $LIST) || return 1
  [ "$got" = "$1" ] || fail "row $got selected, want $1"
}

now() { date +%s.%N; }

# The speaker sink's monitor from now on: each 25 ms of it as it arrives,
# "clock peak crossings" a line in FILE. Stamped on arrival, not counted
# from the start: a loaded machine drops monitor samples now and then.
monitor_start() {
  rm -f "$1"
  python3 - "$1" <<'PY' &
import signal, struct, subprocess, sys, time
out = open(sys.argv[1], "w", buffering=1)
p = subprocess.Popen(["parec", "-d", "speaker.monitor", "--format=s16le", "--rate=8000", "--channels=1",
                      "--latency-msec=20"], stdout=subprocess.PIPE)
def end(*_):
    p.terminate()
    sys.exit(0)
signal.signal(signal.SIGTERM, end)
while True:
    chunk = p.stdout.read(400)
    if len(chunk) < 400:
        break
    s = struct.unpack("<200h", chunk)
    cross = sum(1 for x, y in zip(s, s[1:]) if x < 0 <= y)
    out.write("%.3f %d %d\n" % (time.time(), max(abs(x) for x in s), cross))
PY
  rec_pid=$!
  # Until the monitor delivers.
  local _
  for _ in $(seq 1 100); do [ -s "$1" ] && break; sleep 0.1; done
  [ -s "$1" ] || fail "the speaker's monitor delivers nothing within 10 s"
}
monitor_stop() { sleep 0.3; gui_stop rec_pid; }

# judge FILE FROM TO WHAT: the monitor between the two times (seconds of
# the clock) is silent, or carries 600 or 1500 Hz (in at least half of it,
# judged by 100 ms).
judge() {
  local verdict
  verdict=$(python3 - "$@" <<'PY'
import sys
name, t0, t1, what = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
allrows = [tuple(map(float, l.split())) for l in open(name) if len(l.split()) == 3]
rows = [r for r in allrows if t0 <= r[0] < t1]
w = [rows[i:i + 4] for i in range(0, len(rows) - 3, 4)]
peaks = [int(max(r[1] for r in c)) for c in w]
freqs = [10 * sum(r[2] for r in c) for c, p in zip(w, peaks) if p > 2000]
fs = sorted(freqs)
freq = fs[len(fs) // 2] if fs else 0
tone = len(w) > 0 and len(fs) * 2 >= len(w)
ok = {"silent": len(w) > 0 and max(peaks) < 300,
      "600": tone and abs(freq - 600) < 60,
      "1500": tone and abs(freq - 1500) < 100}[what]
print("monitor %.2f..%.2f (rows %.2f..%.2f) s: peaks %s, %.0f Hz, want %s" % (t0 % 1000, t1 % 1000, allrows[0][0] % 1000 if allrows else 0,
                                                         allrows[-1][0] % 1000 if allrows else 0,
                                                         " ".join(map(str, peaks)), freq, what))
sys.exit(0 if ok else 1)
PY
) || { fail "$verdict"; return 1; }
}

# Offsets where two settings files differ, one a line.
changed_bytes() { cmp -l "$1" "$2" | awk '{ print $1 - 1 }'; }

# Only the browser's bytes 4..7, 12..13 and 42..61 changed.
only_browser_bytes() {
  local bad
  bad=$(changed_bytes "$1" "$2" | awk '!(($1 >= 4 && $1 < 8) || $1 == 12 || $1 == 13 || ($1 >= 42 && $1 < 62))' |
        head -n 5 | tr '\n' ' ')
  [ -z "$bad" ] || fail "the browser's close changed settings bytes $bad"
}


byte_at() { od -An -tu1 -j "$2" -N1 "$1" | tr -d ' '; }

# Client-relative point at fractions (per mille) of the browser's client.
client_point() {
  local x y w h
  read -r x y w h < <(drv client-rect "$B") || return 1
  echo $(( w * $1 / 1000 )) $(( h * $2 / 1000 ))
}

# ---------------------------------------------------------------- cases

# A call recorded by hand: presses during the call and after it open
# nothing; the next press opens the browser on the saved call, which plays
# back audibly with pause, seek and end; "増幅再生" is kept in the settings.
case_call() {
  new_case_at
  start_corvinet
  wait_main || return 1
  # The first blocks after the capture starts are recorded muted.
  sleep 8
  drv click "$main_class" 3001 >/dev/null || return 1
  virtual_line_play "$tones"
  local _ tmp="$case_dir/非常用フォルダー/TMP.tmp"
  for _ in $(seq 1 20); do [ -s "$tmp" ] && break; sleep 0.25; done
  [ -s "$tmp" ] || { fail "no TMP.tmp after 手動録音"; return 1; }
  # During the call: nothing opens, then or after the call ends.
  drv click "$main_class" 3009 >/dev/null || return 1
  sleep 1.5
  drv_quiet exists "$B" && { fail "the browser opened during a call"; return 1; }
  sleep 6
  drv click "$main_class" 3103 >/dev/null || return 1
  local f=""
  for _ in $(seq 1 40); do
    f=$(find "$case_dir/通話記録" -name '*.ogg' | head -n 1)
    [ -n "$f" ] && [ ! -e "$tmp" ] && break
    sleep 0.25
  done
  [ -n "$f" ] || { fail "the call was not saved"; return 1; }
  sleep 1.5
  drv_quiet exists "$B" && { fail "a press during the call opened the browser later"; return 1; }

  cp "$(ini)" "$work/before_open.ini"
  open_browser || return 1
  local name; name=$(basename "$f")
  expect_text $NAMEBOX "${name%.ogg}" || return 1
  expect_list "$name" || return 1
  wine_env_screenshot "$shots/browser_default.png"
  local size; size=$(drv get-rect "$B")
  [ "${size#* * }" = "620 210" ] || fail "the browser opens $size, want 620 x 210" || return 1

  # Playback: 600 Hz first; pause is silent; a click at 70 % of the bar
  # seeks into the 1500 Hz part; "終了" is silent at once. Times are taken
  # when the driver returns: the window has handled the press by then.
  local m="$work/call_monitor" t_play t_pause t_resume t_seek t_end seek
  seek=$(client_point 553 925) || return 1
  monitor_start "$m"
  drv click "$B" $PLAY >/dev/null || return 1
  t_play=$(now)
  sleep 2
  drv click "$B" $PLAY >/dev/null || return 1
  t_pause=$(now)
  sleep 1
  t_resume=$(now)
  drv click "$B" $PLAY >/dev/null || return 1
  # shellcheck disable=SC2086
  drv click-at "$B" $seek >/dev/null || return 1
  t_seek=$(now)
  sleep 0.8
  drv click "$B" $END >/dev/null || return 1
  t_end=$(now)
  sleep 0.8
  monitor_stop
  local bad=0
  judge "$m" "$(echo "$t_play + 0.3" | bc)" "$(echo "$t_play + 1.9" | bc)" 600 || bad=1
  judge "$m" "$(echo "$t_pause + 0.1" | bc)" "$t_resume" silent || bad=1
  judge "$m" "$(echo "$t_seek + 0.35" | bc)" "$(echo "$t_seek + 0.75" | bc)" 1500 || bad=1
  judge "$m" "$(echo "$t_end + 0.1" | bc)" "$(echo "$t_end + 0.7" | bc)" silent || bad=1
  expect_text $PLAY "再 生" || bad=1

  # Three presses: "　中", kept at close with nothing else but the
  # browser's bytes changed.
  for _ in 1 2 3; do drv click "$B" $AMPLIFY >/dev/null || return 1; done
  close_browser || return 1
  only_browser_bytes "$work/before_open.ini" "$(ini)" || bad=1
  [ "$(byte_at "$(ini)" 13)" = 3 ] || fail "browser_amplify $(byte_at "$(ini)" 13) after three presses" || bad=1

  # The window comes back where it was closed; at 1000 x 400.
  open_browser || return 1
  drv move "$B" 10 10 1000 400 >/dev/null || return 1
  sleep 0.5
  wine_env_screenshot "$shots/browser_1000x400.png"
  close_browser || return 1
  [ $bad -eq 0 ]
}

# Four recordings with set creation times: the orders, the initial row,
# search, rename (also refused) and delete through the window.
case_names() {
  new_case_at "録音\\"
  local d="$case_dir/録音"
  mkdir -p "$d"
  cp "$work/a.wav" "$d/01.wav"; cp "$work/a.wav" "$d/02.wav"; cp "$work/a.wav" "$d/12.wav"
  cp "$work/b.wav" "$d/x.ogg.wav"
  touch -d '2026-01-05 10:00' "$d/12.wav"; touch -d '2026-01-05 10:01' "$d/01.wav"
  touch -d '2026-01-05 10:02' "$d/x.ogg.wav"; touch -d '2026-01-05 10:03' "$d/02.wav"
  start_corvinet
  wait_main || return 1
  open_browser || return 1
  # Order 1 (the record's), then 2, 3, 4 and 1 again.
  expect_list 01.wav 02.wav 12.wav x.ogg.wav || return 1
  expect_selection 0 || return 1
  drv click "$B" $ORDER >/dev/null; sleep 0.5
  expect_list x.ogg.wav 12.wav 02.wav 01.wav || return 1
  drv click "$B" $ORDER >/dev/null; sleep 0.5
  expect_list 12.wav 01.wav x.ogg.wav 02.wav || return 1
  drv click "$B" $ORDER >/dev/null; sleep 0.5
  expect_list 02.wav x.ogg.wav 01.wav 12.wav || return 1
  drv click "$B" $ORDER >/dev/null; sleep 0.5
  expect_list 01.wav 02.wav 12.wav x.ogg.wav || return 1
  # "初期表示": the last row.
  drv click "$B" $INITIAL >/dev/null; sleep 0.5
  expect_selection 3 || return 1
  expect_text $NAMEBOX "x.ogg" || return 1

  # Search "2": 02, 12, then the end message.
  drv click "$B" $MODE >/dev/null || return 1
  drv_quiet is-enabled "$B" $DELETE && { fail "削除 is enabled in search mode"; return 1; }
  drv set-text "$B" $NAMEBOX 2 >/dev/null || return 1
  drv click "$B" $ACTION >/dev/null; sleep 0.4
  expect_selection 1 || return 1
  expect_text $ACTION "次を検索" || return 1
  drv click "$B" $ACTION >/dev/null; sleep 0.4
  expect_selection 2 || return 1
  drv click "$B" $ACTION >/dev/null
  drv expect-message $'2\nを最後まで検索しました。' 3000 --caption 検索終了 >/dev/null || return 1
  sleep 0.3
  expect_text $ACTION "検索開始" || return 1
  drv click "$B" $MODE >/dev/null || return 1

  # Rename 12.wav: a "\" is refused, "中央" is taken and selected.
  drv select "$B" $LIST 2 >/dev/null || return 1
  drv set-text "$B" $NAMEBOX 'sub\x' >/dev/null || return 1
  drv click "$B" $ACTION >/dev/null
  drv expect-message "$BAD_NAME" 3000 --caption インフォメーション >/dev/null || return 1
  [ -f "$d/12.wav" ] || { fail "12.wav gone after a refused rename"; return 1; }
  drv set-text "$B" $NAMEBOX 中央 >/dev/null || return 1
  drv click "$B" $ACTION >/dev/null; sleep 0.5
  [ -f "$d/中央.wav" ] && [ ! -e "$d/12.wav" ] || { fail "12.wav not renamed to 中央.wav"; return 1; }
  expect_list 01.wav 02.wav x.ogg.wav 中央.wav || return 1
  expect_selection 3 || return 1

  # Delete the second row: No keeps it, Yes removes it and selects the row
  # now in its place.
  drv select "$B" $LIST 1 >/dev/null || return 1
  drv click "$B" $DELETE >/dev/null
  drv expect-message $'02.wav\n\n本当に削除しますか？' 3000 --caption 削除確認 --button NO >/dev/null || return 1
  [ -f "$d/02.wav" ] || { fail "02.wav deleted after No"; return 1; }
  drv click "$B" $DELETE >/dev/null
  drv expect-message $'02.wav\n\n本当に削除しますか？' 3000 --button YES >/dev/null || return 1
  sleep 0.5
  [ ! -e "$d/02.wav" ] || { fail "02.wav still there after Yes"; return 1; }
  expect_list 01.wav x.ogg.wav 中央.wav || return 1
  expect_selection 1 || return 1
  close_browser
}

# Closing during playback is silent at once and writes only the browser's
# bytes; the program's "閉じる" with the browser open ends cleanly and
# writes the settings.
case_close() {
  start_on_long_recording || return 1
  cp "$(ini)" "$work/before_close.ini"
  open_browser || return 1
  # A second request while it is open (the main window is disabled, its
  # menu still posts) opens no second browser: the one close ends them all.
  drv post-command "$main_class" 3009 >/dev/null || return 1
  sleep 1.2
  drv click "$B" $AMPLIFY >/dev/null || return 1
  local m="$work/close_monitor" t_close bad=0
  monitor_start "$m"
  drv click "$B" $PLAY >/dev/null || return 1
  local t_play; t_play=$(now)
  sleep 1.5
  drv close "$B" >/dev/null || return 1
  t_close=$(now)
  drv wait-gone "$B" 3000 >/dev/null || return 1
  sleep 0.5
  monitor_stop
  judge "$m" "$(echo "$t_play + 0.3" | bc)" "$(echo "$t_play + 1.4" | bc)" 600 || bad=1
  judge "$m" "$(echo "$t_close + 0.1" | bc)" "$(echo "$t_close + 0.5" | bc)" silent || bad=1
  sleep 0.5
  drv_quiet is-enabled "$main_class" || fail "the main window stays disabled" || bad=1
  only_browser_bytes "$work/before_close.ini" "$(ini)" || bad=1
  [ "$(byte_at "$(ini)" 13)" = 1 ] || fail "browser_amplify $(byte_at "$(ini)" 13) after one press" || bad=1

  # Again, moved, playing, and the program closed from its tray menu.
  open_browser || return 1
  drv move "$B" 30 40 700 300 >/dev/null || return 1
  drv click "$B" $AMPLIFY >/dev/null || return 1
  drv click "$B" $PLAY >/dev/null || return 1
  sleep 1
  local t0; t0=$(date +%s%N)
  drv post-command "$main_class" 3 >/dev/null || return 1
  wait_exit 15 || return 1
  echo "closed from the tray menu in $(( ($(date +%s%N) - t0) / 1000000 )) ms (the driver's start included)"
  local place
  place=$(for o in 70 75 80 85; do get_text "$(ini)" $o 5; done | tr '\n' ' ')
  [ "$place" = "30 40 700 300 " ] || fail "browser_window_text after the program's close: $place" || bad=1
  [ "$(byte_at "$(ini)" 13)" = 2 ] || fail "browser_amplify $(byte_at "$(ini)" 13) after the program's close" || bad=1
  [ $bad -eq 0 ]
}

# A size change during playback is refused with one message box however
# many changes come; after "終了" the next one is laid out.
case_resize() {
  start_on_long_recording || return 1
  open_browser || return 1
  local before after
  before=$(drv client-rect "$B") || return 1
  drv click "$B" $PLAY >/dev/null || return 1
  sleep 0.5
  # The moves wait for the window, which waits for the box.
  drv_quiet move "$B" 20 20 700 300 &
  local m1=$!
  drv get-message 5000 >"$work/resize.msg" || return 1
  drv_quiet move "$B" 20 20 720 320 &
  local m2=$!
  sleep 1
  drv expect-message $'再生中はリサイズできません\n終了ボタンを先に押してください。' 2000 --caption インフォメーション \
    >/dev/null || return 1
  drv no-message 1500 >/dev/null || return 1
  wait $m1 $m2
  # The buttons stayed where they were: the play button still reads the same.
  expect_text $PLAY "停 止" || return 1
  wine_env_screenshot "$shots/browser_resize_refused.png"
  drv click "$B" $END >/dev/null || return 1
  sleep 0.5
  drv move "$B" 20 20 1000 400 >/dev/null || return 1
  drv no-message 1000 >/dev/null || return 1
  after=$(drv client-rect "$B") || return 1
  [ "$before" != "$after" ] || { fail "the window did not change its size"; return 1; }
  close_browser || return 1
  # It opens again where it was closed.
  open_browser || return 1
  local place; place=$(drv get-rect "$B") || return 1
  [ "$place" = "20 20 1000 400" ] || fail "the browser opens again at $place"
}

# The folder list: the browsed folder, then the stored slots; a chosen
# folder (named without "\") is listed, a cancelled choice changes nothing.
# The program is named with a "\" byte inside a character ("ソ" is 83 5C):
# its folder still ends at the real separator.
case_folder() {
  new_case_at "録音\\"
  mkdir -p "$case_dir/録音" "$case_dir/別の記録"
  cp "$work/a.wav" "$case_dir/録音/here.wav"
  cp "$work/a.wav" "$case_dir/別の記録/there.wav"
  # Wine's folder chooser, opened on a folder that exists, ignores the
  # driver's later choice of a sibling: the slot's folder is left unmade.
  rmdir "$case_dir/通話記録"
  start_as=録音ソフト.exe start_corvinet
  wait_main || return 1
  open_browser || return 1
  local entries
  entries=$(drv list-items "$B" 1100) || return 1
  [ "$(echo "$entries" | sed -n 2p)" = "通話記録\\" ] && [ "$(echo "$entries" | wc -l)" = 2 ] &&
    [ "$(echo "$entries" | head -n 1)" = "$(winpath "$case_dir")\\録音\\" ] ||
    { fail "folder list: $(echo "$entries" | tr '\n' ' ')"; return 1; }
  expect_list here.wav || return 1
  drv select "$B" 1100 1 >/dev/null || return 1
  drv browse-cancel >/dev/null || return 1
  sleep 0.5
  expect_list here.wav || return 1
  drv select "$B" 1100 1 >/dev/null || return 1
  drv browse-select "$(winpath "$case_dir/別の記録")" >/dev/null || return 1
  sleep 0.5
  expect_list there.wav || return 1
  entries=$(drv list-items "$B" 1100) || return 1
  [ "$(echo "$entries" | head -n 1)" = "$(winpath "$case_dir/別の記録")\\" ] ||
    { fail "folder list after the choice: $(echo "$entries" | tr '\n' ' ')"; return 1; }
  expect_text $NAMEBOX there || return 1
  close_browser || return 1
  # The choice is not stored.
  [ "$(get_text "$(ini)" 100 300)" = "録音\\" ] || fail "recording_path changed to $(get_text "$(ini)" 100 300)"
}

# Windows ends the session with the browser playing: it is closed first,
# its bytes and the program's settings written before the answer.
case_session() {
  start_on_long_recording || return 1
  open_browser || return 1
  drv click "$B" $AMPLIFY >/dev/null || return 1
  drv click "$B" $AMPLIFY >/dev/null || return 1
  drv click "$B" $PLAY >/dev/null || return 1
  sleep 1
  # Answered at once, not after a wait for the browser's thread.
  local t0; t0=$(date +%s%N)
  drv end-session "$main_class" >/dev/null || return 1
  local ms=$(( ($(date +%s%N) - t0) / 1000000 ))
  echo "session's end answered in $ms ms (the driver's start included)"
  [ $ms -lt 2500 ] || fail "the session's end took $ms ms: the close waited for the browser's bound"
  drv_quiet exists "$B" && { fail "the browser is still open after the session's end"; return 1; }
  [ "$(byte_at "$(ini)" 13)" = 2 ] || fail "browser_amplify $(byte_at "$(ini)" 13) after the session's end"
}

# "非常用フォルダー" while calls come: the recorder's TMP.tmp is never
# listed, and a recording there plays on while each call is recorded and
# saved beside it; nothing is lost, every call is saved under its name.
case_emergency() {
  new_case_at "非常用フォルダー\\"
  local folder="$case_dir/非常用フォルダー" tmp="$case_dir/非常用フォルダー/TMP.tmp"
  sox "$tones" "$tones" "$tones" "$folder/old.wav" 2>/dev/null
  cp "$folder/old.wav" "$work/emergency_old.wav"
  start_corvinet
  wait_main || return 1
  # The first blocks after the capture starts are recorded muted.
  sleep 8
  open_browser || return 1
  expect_list old.wav || return 1
  local call _ saved
  for call in 1 2; do
    drv click "$B" $PLAY >/dev/null || return 1
    virtual_line_play "$tones"
    for _ in $(seq 1 40); do [ -s "$tmp" ] && break; sleep 0.25; done
    [ -s "$tmp" ] || { fail "call $call: no TMP.tmp while the line sounds"; return 1; }
    # A rebuild while the call is recorded (the order waits for the end
    # of the playback), then old.wav played again during the save.
    drv click "$B" $END >/dev/null && drv click "$B" $ORDER >/dev/null || return 1
    sleep 0.5
    expect_list old.wav || return 1
    drv click "$B" $PLAY >/dev/null || return 1
    for _ in $(seq 1 120); do
      saved=$(find "$case_dir/通話記録" -name '*.ogg' | wc -l)
      [ "$saved" -ge "$call" ] && [ ! -e "$tmp" ] && break
      sleep 0.25
    done
    [ "$saved" -eq "$call" ] && [ ! -e "$tmp" ] ||
      { fail "call $call: $saved calls saved, TMP.tmp $([ -e "$tmp" ] && echo left || echo gone)"; return 1; }
    expect_text $PLAY "停 止" || return 1
  done
  wine_env_screenshot "$shots/browser_emergency.png"
  drv click "$B" $END >/dev/null || return 1
  close_browser || return 1
  local f
  while IFS= read -r f; do ogg_ok "$f" || fail "$(basename "$f") is not a whole recording"; done \
    < <(find "$case_dir/通話記録" -name '*.ogg')
  cmp -s "$folder/old.wav" "$work/emergency_old.wav" || fail "old.wav changed"
  [ "$(ls "$folder")" = old.wav ] || fail "非常用フォルダー holds $(ls "$folder" | tr '\n' ' ')"
}

# ---------------------------------------------------------------- run

gui_run_cases browser call names close resize folder session emergency
