#!/usr/bin/env bash
# GUI and end-to-end tests of the handset recorder Pallaby: the real program
# under Wine and Xvfb, listening to the virtual line (a handset cord carries
# speech only), worked by gui_driver. Each case runs in a fresh folder with
# a handset settings record made here byte by byte (silence choice 10 s).
# Prints PASS/FAIL per case; exits non-zero when any case fails.
#
#   handset/tests/pallaby_gui_test.sh [--native NATIVE_BUILD_DIR] WINDOWS_BUILD_DIR [CASE...]
#
# The native build (default: the folder "native" beside the Windows one)
# provides speech_wav.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
gui="$here/../../tests/gui"
# shellcheck source=../../tests/gui/gui_case.sh
source "$gui/gui_case.sh"
gui_script_args "$@"

program="$build/Pallaby.exe"
corvinet="$build/Corvinet.exe"
driver="$build/gui_driver.exe"
speech_wav="$native/speech_wav"
gui_script_needs "build Pallaby, Corvinet and gui_driver, natively speech_wav" \
  "$program" "$corvinet" "$driver" "$speech_wav" -- sox soxi import convert pactl cmp

gui_script_folders pallaby-gui-test

# shellcheck source=../../tests/gui/recorder_case.sh
source "$gui/recorder_case.sh"
trap 'gui_stop c_pid; virtual_line_stop; wine_env_cleanup' EXIT
PROGRAM_NAME=Pallaby
RECORD_SIZE=2790

corvinet_env_start

# A conversation on the handset: eight seconds of quiet (the blocks after
# the capture starts are ignored), eight of speech, then quiet.
talk="$work/talk.wav"
"$speech_wav" 8 "$work/speech.wav" >/dev/null &&
  sox -n -r 8000 -c 1 -b 16 "$work/lead.wav" trim 0 8 &&
  sox "$work/lead.wav" "$work/speech.wav" "$talk" ||
  { echo "FAIL: cannot make the conversation" >&2; exit 1; }

# ---------------------------------------------------------------- cases

# A conversation is recorded and named by date and time only; the number
# field reads "録音中" meanwhile and the saved name after; no "電話帳".
case_conversation() {
  new_case
  start_pallaby
  wait_main || return 1
  wine_env_screenshot "$shots/1_main_idle.png"
  if drv_quiet get-text "$main_class" 2021 >/dev/null; then fail "a 電話帳 button"; return 1; fi
  virtual_line_play "$talk"
  watch_field "録音中" 30 || return 1
  wine_env_screenshot "$shots/2_main_recording.png"
  local f; f=$(wait_recording 1 60) || return 1
  local rel=${f#"$case_dir/"}
  [[ $rel =~ ^通話記録/[0-9]{4}年[0-9]{2}月/[0-9]{2}日[0-9]{2}時[0-9]{2}分[0-9]{2}秒\.ogg$ ]] ||
    { fail "saved as $rel"; return 1; }
  ogg_ok "$f" || return 1
  local name; name=$(basename "$f" .ogg)
  watch_field "$name" 5 || return 1
  close_main || return 1
  tail_unchanged
}

# A record folder that cannot be made: the call goes to the emergency
# folder and the two-line bar comes with its sound; its close box ends both.
case_warning_bar() {
  new_case
  rmdir "$case_dir/通話記録" && : >"$case_dir/通話記録"  # a file where the folder should be
  start_pallaby
  wait_main || return 1
  virtual_line_play "$talk"
  drv wait-window "メッセージボックス" 60000 >/dev/null || return 1
  sleep 0.5
  wine_env_screenshot "$shots/3_warning_bar.png"
  local rect; rect=$(drv get-rect "メッセージボックス")
  [ "$(cut -d' ' -f3-4 <<<"$rect")" = "760 120" ] || { fail "the bar is $rect"; return 1; }
  case $(drv window-state "メッセージボックス") in *topmost=1*) ;; *) fail "the bar is not topmost"; return 1 ;; esac
  [ "$(corvinet_speaker_streams)" -ge 1 ] || { fail "no warning sound"; return 1; }
  drv close "メッセージボックス" >/dev/null || return 1
  drv wait-gone "メッセージボックス" 5000 >/dev/null || return 1
  local _
  for _ in $(seq 1 30); do [ "$(corvinet_speaker_streams)" -eq 0 ] && break; sleep 0.1; done
  [ "$(corvinet_speaker_streams)" -eq 0 ] || { fail "the sound goes on after the close box"; return 1; }
  [ -n "$(find "$case_dir/非常用フォルダー" -name '*.ogg')" ] || { fail "nothing in 非常用フォルダー"; return 1; }
  close_main
}

# The browser of the handset recorder offers the handset record's own
# folder slots (up to the first empty one) and its own chooser title.
case_browser() {
  new_case
  settingsrecord set "$(ini)" folder_list.1 "録音2\\" || return 1
  cp "$(ini)" "$case_dir/settings.before"
  start_pallaby
  wait_main || return 1
  virtual_line_play "$talk"
  local f; f=$(wait_recording 1 60) || return 1
  sleep 1
  drv click "$main_class" 3009 >/dev/null && drv wait-window CDialog 10000 >/dev/null || return 1
  local entries
  entries=$(drv list-items CDialog 1100) || return 1
  [ "$(sed -n 2p <<<"$entries")" = "通話記録\\" ] && [ "$(sed -n 3p <<<"$entries")" = "録音2\\" ] &&
    [ "$(wc -l <<<"$entries")" -eq 3 ] || { fail "folder list: $(tr '\n' ' ' <<<"$entries")"; return 1; }
  [ "$(drv get-text CDialog 1007)" = "$(basename "$f" .ogg)" ] || { fail "name box: $(drv get-text CDialog 1007)"; return 1; }
  drv select CDialog 1100 1 >/dev/null || return 1
  local title=""
  # The chooser's title is the text above its tree (control 0x3742).
  for _ in $(seq 1 25); do title=$(drv_quiet get-text "#32770" 14146) && [ -n "$title" ] && break; sleep 0.2; done
  [ "$title" = "通話記録フォルダーの選択" ] || { fail "the chooser is titled \"$title\""; return 1; }
  drv browse-cancel >/dev/null || return 1
  drv close CDialog >/dev/null && drv wait-gone CDialog 5000 >/dev/null || return 1
  close_main || return 1
  tail_unchanged
}

# Installed as users get it: Pallaby in a folder of its own beside
# Corvinet; neither program touches the other's settings. Each is started
# from the other's folder (a shortcut's working folder, a script) and still
# uses its own settings and folders, leaving the other's as they were.
case_side_by_side() {
  new_case
  local suite="$case_dir/suite"
  cmake --install "$build" --prefix "$suite" >/dev/null || { fail "install failed"; return 1; }
  [ -f "$suite/Pallaby/Pallaby.exe" ] || { fail "no Pallaby/Pallaby.exe"; return 1; }
  [ "$(stat -c %s "$suite/Pallaby/$SETTINGS_REL")" -eq 1 ] || { fail "Pallaby's shipped file is not one byte"; return 1; }
  corvinet_make_record "$suite/$SETTINGS_REL"
  handset_make_record "$suite/Pallaby/$SETTINGS_REL"
  settingsrecord set "$suite/Pallaby/$SETTINGS_REL" main_window_text.0 111   # its main window's own place
  cp "$suite/$SETTINGS_REL" "$case_dir/corvinet.before"
  cp "$suite/Pallaby/$SETTINGS_REL" "$case_dir/settings.before"
  local snapshot=(find "$suite" -path "$suite/Pallaby" -prune -o -printf '%p %s %T@\n')
  "${snapshot[@]}" | sort >"$case_dir/corvinet_folder.before"

  gui_start c_pid "$suite" "$suite/Pallaby/Pallaby.exe"
  wait_main || return 1
  local rect; rect=$(drv get-rect "$main_class")
  [ "$rect" = "111 100 470 200" ] || { fail "Pallaby's window at $rect, not where its own settings place it"; return 1; }
  # A recording by hand goes through its own emergency and record folders.
  drv click "$main_class" 3001 >/dev/null || return 1
  for _ in $(seq 1 20); do [ -s "$suite/Pallaby/非常用フォルダー/TMP.tmp" ] && break; sleep 0.5; done
  [ -s "$suite/Pallaby/非常用フォルダー/TMP.tmp" ] || { fail "no TMP.tmp in Pallaby's own 非常用フォルダー"; return 1; }
  drv click "$main_class" 3103 >/dev/null || return 1
  for _ in $(seq 1 20); do [ -n "$(find "$suite/Pallaby/通話記録" -name '*.ogg')" ] && break; sleep 0.5; done
  [ -n "$(find "$suite/Pallaby/通話記録" -name '*.ogg')" ] || { fail "no recording in Pallaby's own 通話記録"; return 1; }
  close_main || return 1
  cmp -s "$case_dir/corvinet.before" "$suite/$SETTINGS_REL" || { fail "Pallaby changed Corvinet's settings"; return 1; }
  "${snapshot[@]}" | sort | cmp -s - "$case_dir/corvinet_folder.before" ||
    { fail "Pallaby wrote into Corvinet's folder, where it was started"; return 1; }
  tail_unchanged "$case_dir/settings.before" "$suite/Pallaby/$SETTINGS_REL" || return 1
  cp "$suite/Pallaby/$SETTINGS_REL" "$case_dir/pallaby.after"
  find "$suite/Pallaby" -printf '%p %s %T@\n' | sort >"$case_dir/pallaby_folder.before"

  local PROGRAM_NAME=Corvinet
  gui_start c_pid "$suite/Pallaby" "$suite/Corvinet.exe"
  wait_main || return 1
  rect=$(drv get-rect "$main_class")
  [ "$rect" = "277 100 470 200" ] || { fail "Corvinet's window at $rect, not where its own settings place it"; return 1; }
  close_main || return 1
  cmp -s "$case_dir/pallaby.after" "$suite/Pallaby/$SETTINGS_REL" ||
    { fail "Corvinet changed Pallaby's settings"; return 1; }
  find "$suite/Pallaby" -printf '%p %s %T@\n' | sort | cmp -s - "$case_dir/pallaby_folder.before" ||
    { fail "Corvinet wrote into Pallaby's folder, where it was started"; return 1; }
  [ "$(stat -c %s "$suite/$SETTINGS_REL")" -eq 3572 ] || { fail "Corvinet's settings resized"; return 1; }
}

# An emptied settings file: the handset's defaults and its bar once.
case_empty_settings() { new_case; empty_settings_case; }

# Unpacked where the user cannot write: it says so and ends.
case_read_only() { gui_read_only_case "$program"; }

# After a sleep (the power broadcast's suspend and both resumes) the
# handset's bar, with its sound, says that calls meanwhile were not recorded.
case_resume_after_sleep() {
  new_case
  start_pallaby
  wait_main || return 1
  local event
  for event in 4 18 7; do
    drv post-message "$main_class" 536 "$event" 0 >/dev/null || return 1
  done
  drv wait-window "メッセージボックス" 5000 >/dev/null || return 1
  local rect; rect=$(drv get-rect "メッセージボックス")
  [ "$(cut -d' ' -f3-4 <<<"$rect")" = "760 120" ] || { fail "the bar is $rect"; return 1; }
  [ "$(corvinet_speaker_streams)" -ge 1 ] || { fail "no warning sound"; return 1; }
  sleep 0.5
  wine_env_screenshot "$shots/resume_bar.png"
  drv close "メッセージボックス" >/dev/null && drv wait-gone "メッセージボックス" 5000 >/dev/null || return 1
  close_main
}

# The window menu's "ログオン時に Pallaby を起動する" (WM_SYSCOMMAND 0x1010):
# chosen, the Run key gets Pallaby's quoted full path; chosen again, it goes.
case_start_with_windows() {
  new_case
  wine64 reg delete "$RUN_KEY" /v Pallaby /f >/dev/null 2>&1
  start_pallaby
  wait_main || return 1
  local ours; ours="\"$(winpath "$case_dir/$(basename "$program")")\""
  drv post-message "$main_class" 274 4112 0 >/dev/null || return 1
  wait_run_value Pallaby "$ours" || return 1
  # The window menu (Alt+Space) shows the item ticked.
  drv post-message "$main_class" 274 61696 32 >/dev/null || return 1
  drv wait-window "#32768" 5000 >/dev/null || return 1
  sleep 0.5
  wine_env_screenshot "$shots/start_with_windows_menu.png"
  drv post-message "$main_class" 256 27 0 >/dev/null  # Escape
  drv wait-gone "#32768" 5000 >/dev/null || return 1
  drv post-message "$main_class" 274 4112 0 >/dev/null || return 1
  wait_run_value Pallaby "" || return 1
  close_main
}

# ---------------------------------------------------------------- run

gui_run_cases pallaby conversation warning_bar browser side_by_side empty_settings read_only start_with_windows resume_after_sleep
