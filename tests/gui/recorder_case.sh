# shellcheck shell=bash
# Sourceable bash library for the GUI cases of both recorders, after
# gui_case.sh; it brings virtual_line.sh, wine_env.sh and corvinet_env.sh.
# The test sets PROGRAM_NAME (Corvinet or Pallaby), RECORD_SIZE (its
# settings record's size), program (the recorder's .exe), case_name and shots.
# shellcheck disable=SC2154
#
#   new_case            the case's folder case_dir (see gui_run_case) laid
#                       out as installed with the recorder's record (the
#                       handset's for Pallaby; corvinet_make_folder), a copy
#                       of it kept as $case_dir/settings.before
#   start_recorder, also named start_corvinet and start_pallaby
#                       the recorder linked into the case's folder (named
#                       start_as when that is set) and started from there, or
#                       from start_dir when that is set; its process id in c_pid
#   recordings          the case's recordings, sorted
#   wait_recording COUNT S
#                       COUNT recordings within S seconds; prints the newest
#   wait_main           until the main window is visible; sets main_class
#   close_main          closes the main window as "×" does and waits for the end
#   ogg_ok FILE         a valid Ogg Vorbis stream, 8000 Hz, mono, decoding to its end
#   watch_field TEXT S  the number field shows TEXT within S seconds
#   to_raw IN OUT [EFFECT...]
#                       IN as raw 16-bit mono at 8000 Hz (what audio_align
#                       reads), through sox's EFFECTs
#   choose_line_input SHOT
#                       the "接続設定" window of a start with the defaults,
#                       seen (screenshot SHOT), the line's input chosen
#   empty_settings_case the settings file emptied: the defaults, the warning
#                       bar once, none at the next start
#   tail_unchanged [BEFORE AFTER]
#                       after a normal exit the settings file (ini) keeps its
#                       size and differs from $case_dir/settings.before only
#                       in bytes 0..692

recorder_case_dir=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=virtual_line.sh
source "$recorder_case_dir/virtual_line.sh"
# shellcheck source=wine_env.sh
source "$recorder_case_dir/wine_env.sh"
# shellcheck source=corvinet_env.sh
source "$recorder_case_dir/corvinet_env.sh"

# Both recorders' main windows are titled alike.
MAIN_PREFIX=$CORVINET_MAIN_PREFIX

new_case() {
  local kind=""
  [ "$PROGRAM_NAME" = Pallaby ] && kind=handset
  corvinet_make_folder "$case_dir" $kind && cp "$(ini)" "$case_dir/settings.before"
}

start_dir=""
start_as=""
start_recorder() {
  local exe; exe=$(gui_program_in "$case_dir" "$program" "$start_as") || return 1
  gui_start c_pid "${start_dir:-$case_dir}" "$exe"
}
start_corvinet() { start_recorder; }
start_pallaby() { start_recorder; }

recordings() { corvinet_recordings "$case_dir"; }

wait_recording() {
  local deadline=$(( $(date +%s) + $2 ))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    if [ "$(recordings | wc -l)" -ge "$1" ]; then
      recordings | xargs -r -d '\n' ls -t | head -n 1
      return 0
    fi
    kill -0 "$c_pid" 2>/dev/null || { fail "$PROGRAM_NAME ended"; return 1; }
    sleep 0.5
  done
  fail "no recording number $1 within $2 s (have: $(recordings | xargs -r -n1 basename | tr '\n' ' '))"
}

# The main window's class, once it is visible.
main_class=""
wait_main() {
  local deadline=$(( $(date +%s) + 30 ))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    if main_class=$(drv_quiet find-class "$MAIN_PREFIX" 500) && drv_quiet is-visible "$main_class"; then
      return 0
    fi
    kill -0 "$c_pid" 2>/dev/null || { fail "$PROGRAM_NAME ended before its main window showed"; return 1; }
    sleep 0.3
  done
  wine_env_screenshot "$shots/no_main_window_$case_name.png"
  local box; box=$(drv_quiet get-message 100 | tr '\n' ' ')
  fail "no visible main window within 30 s${box:+ (message box: $box)}"
}

close_main() { drv close "$main_class" >/dev/null && wait_exit 15; }

# A valid Ogg Vorbis stream, 8000 Hz, mono, that decodes to its end.
ogg_ok() {
  local f=$1
  [ "$(head -c 4 "$f")" = OggS ] || { fail "$(basename "$f") does not start with OggS"; return 1; }
  [ "$(soxi -t "$f" 2>/dev/null)" = vorbis ] || { fail "$(basename "$f") is not Vorbis"; return 1; }
  [ "$(soxi -r "$f")" = 8000 ] || { fail "$(basename "$f") has rate $(soxi -r "$f")"; return 1; }
  [ "$(soxi -c "$f")" = 1 ] || { fail "$(basename "$f") has $(soxi -c "$f") channels"; return 1; }
  sox "$f" -n stat >/dev/null 2>&1 || { fail "$(basename "$f") does not decode"; return 1; }
}

# watch_field TEXT TIMEOUT_S: the number field (2020) shows TEXT at some time.
watch_field() {
  local deadline=$(( $(date +%s) + $2 )) seen=""
  while [ "$(date +%s)" -lt "$deadline" ]; do
    seen=$(drv_quiet get-text "$main_class" 2020)
    [ "$seen" = "$1" ] && return 0
    sleep 0.2
  done
  fail "the number field never showed \"$1\" (last \"$seen\")"
}

to_raw() {
  local in=$1 out=$2
  shift 2
  sox "$in" -t raw -r 8000 -b 16 -e signed -c 1 "$out" "$@"
}

tail_unchanged() {
  local before=${1:-$case_dir/settings.before} after=${2:-$(ini)} bad
  [ "$(stat -c %s "$after")" -eq "$RECORD_SIZE" ] || { fail "settings file has $(stat -c %s "$after") bytes"; return 1; }
  bad=$(cmp -l "$before" "$after" | awk '$1 - 1 >= 693 { print $1 - 1 }' | head -n 5 | tr '\n' ' ')
  [ -z "$bad" ] || fail "settings bytes changed beyond 692 at offsets $bad"
}

# choose_line_input SHOT: the "接続設定" window of a start with the
# defaults, seen (screenshot SHOT), the line's input chosen, "don't show
# again" ticked and the window closed.
choose_line_input() {
  drv wait-window "接続 設定" 30000 >/dev/null || return 1
  wine_env_screenshot "$shots/$1.png"
  local index
  index=$(drv list-items "接続 設定" 5000 | grep -n -x -F "$CORVINET_LINE_INPUT" | head -n 1 | cut -d: -f1)
  [ -n "$index" ] || { fail "the list does not offer $CORVINET_LINE_INPUT"; return 1; }
  drv select "接続 設定" 5000 $(( index - 1 )) >/dev/null || return 1
  drv click "接続 設定" 5001 >/dev/null || return 1
  drv close "接続 設定" >/dev/null
}

# A zero-length settings file (an interrupted write, a full disk) is taken as
# a deleted one: the defaults, so "接続設定" as at a first start, and the
# warning bar says once why; the next start raises no bar.
empty_settings_case() {
  : >"$(ini)"
  start_recorder
  choose_line_input "${PROGRAM_NAME}_empty_settings_choice" || return 1
  wait_main || return 1
  drv wait-window "メッセージボックス" 10000 >/dev/null || { fail "no warning bar about the empty settings file"; return 1; }
  sleep 0.5
  wine_env_screenshot "$shots/${PROGRAM_NAME}_empty_settings_bar.png"
  drv close "メッセージボックス" >/dev/null && drv wait-gone "メッセージボックス" 5000 >/dev/null || return 1
  [ "$(stat -c %s "$(ini)")" -eq "$RECORD_SIZE" ] || { fail "settings file of $(stat -c %s "$(ini)") bytes"; return 1; }
  close_main || return 1
  start_recorder
  wait_main || return 1
  sleep 3
  if drv_quiet exists "メッセージボックス"; then fail "the warning bar came again at the next start"; return 1; fi
  close_main
}
