# shellcheck shell=bash
# Sourceable bash library for the case-by-case GUI tests: the reason a case
# failed, gui_driver calls, starting a program in the background and waiting
# for its end. The test sets `driver` (gui_driver.exe), `work` (its folder),
# `reason_file` and PROGRAM_NAME (the program under test, in reasons) before
# it calls these, and sources wine_env.sh too.
# shellcheck disable=SC2154
#
#   fail TEXT...        notes TEXT as the case's reason; returns 1
#   drv ARGS...         one driver command; its complaint becomes the reason
#   drv_quiet ARGS...   a driver command whose failure is an answer, not a fault
#   gui_start VAR DIR EXE [ARG...]
#                       EXE under Wine, started from the folder DIR in the
#                       background, its output added to $work/$case_name.log;
#                       its process id in VAR
#   gui_stop VAR        kills the process whose id VAR holds and empties VAR
#   wait_exit S [CODE]  the program started as c_pid ends by itself within S
#                       seconds, with exit code CODE (0)
#   gui_script_args [--windows-only] "$@"
#                       a test script's arguments, [--native DIR]
#                       WINDOWS_BUILD_DIR [CASE...]: sets build, native (by
#                       default the folder "native" beside the Windows build;
#                       with --windows-only no --native is taken and native
#                       stays empty) and the array only; exits 2 on a usage
#                       error
#   gui_script_needs "BUILD HINT" FILE... [-- COMMAND...]
#                       exits 2 naming the first FILE missing (with what to
#                       build) or COMMAND not found
#   gui_script_folders NAME
#                       work ($build/NAME), cases_dir and shots made anew,
#                       reason_file
#   ini                 the settings file of the case's folder (case_dir);
#                       SETTINGS_REL names it from any program's folder
#   gui_program_in DIR EXE [NAME]
#                       EXE linked (or copied) into DIR as NAME (its own name
#                       by default), as the install folder holds it: each
#                       program takes its files from its own folder; prints
#                       the path
#   gui_read_only_case EXE
#                       EXE in a read-only copy of its folder, started from
#                       another folder: one message names the folder, the
#                       program ends with code 0, nothing is written
#                       (a read-only bind mount: root only; skipped where
#                       mounting is refused)
#   run_value NAME      the value NAME of the Run key ($RUN_KEY) in Wine's
#                       registry; empty when there is none
#   wait_run_value NAME TEXT
#                       the value becomes TEXT (empty: goes) within 5 s
#   gui_run_case PROGRAM CASE VAR
#                       runs the function case_CASE with case_dir set to
#                       $cases_dir/CASE (the case makes it), prints PASS or
#                       FAIL with the reason, then stops the program
#                       (gui_stop VAR); returns 1 when the case failed
#   gui_run_cases SUITE CASE...
#                       gui_run_case SUITE for each case named on the command
#                       line (only), else each CASE, with the program in
#                       c_pid, a fresh $work/CASE.log and a silent line
#                       (virtual_line.sh); says where the screenshots are;
#                       returns 1 when any case failed

fail() { printf '%s\n' "$*" >>"$reason_file"; return 1; }

# The program under test, as gui_start started it.
c_pid=""

SETTINGS_REL="マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini"
ini() { printf '%s/%s' "$case_dir" "$SETTINGS_REL"; }

drv() {
  local out rc try
  for try in 1 2; do
    out=$(wine64 "$driver" "$@" 2>"$work/driver.err")
    rc=$?
    [ $rc -ne 0 ] || break
    # The driver says why it fails; silence means Wine did not run it to
    # its end (seen now and then on a loaded machine). A command that only
    # reads, waits or answers a message box may be asked once more: had it
    # acted before it died, the second asking finds nothing and fails.
    grep -q '^gui_driver' "$work/driver.err" && break
    case $1 in
      get-*|list-items|lv-count|lv-text|lv-rows|lv-selected|lv-edit-text|client-rect|window-state|\
      wave-inputs|wait-*|find-class|expect-message|answer-message)
        [ $try -eq 1 ] && { echo "note: gui_driver $1 ended with code $rc without a word; asked again" >&2; continue; } ;;
    esac
    break
  done
  if [ $rc -ne 0 ]; then
    if grep -q '^gui_driver' "$work/driver.err"; then
      fail "gui_driver $1: $(grep -v '^wine:' "$work/driver.err" | head -n 3)"
    else
      fail "gui_driver $1 ended with code $rc without a word: $(head -n 3 "$work/driver.err")"
    fi
    return $rc
  fi
  [ -z "$out" ] || printf '%s\n' "$out"
}

drv_quiet() { wine64 "$driver" "$@" 2>/dev/null; }

RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_value() {
  wine64 reg query "$RUN_KEY" /v "$1" 2>/dev/null | tr -d '\r' |
    awk '/REG_SZ/ { sub(/^.*REG_SZ[ \t]+/, ""); print }'
}
wait_run_value() {
  local seen
  for _ in $(seq 1 25); do
    seen=$(run_value "$1")
    [ "$seen" == "$2" ] && return 0
    sleep 0.2
  done
  fail "the Run value $1 is \"$seen\", expected \"$2\""
}

gui_start() {
  local -n gui_start_pid=$1
  local dir=$2
  shift 2
  (cd "$dir" && exec wine64 "$@") >>"$work/$case_name.log" 2>&1 &
  # shellcheck disable=SC2034  # the caller's VAR
  gui_start_pid=$!
}

gui_stop() {
  local -n gui_stop_pid=$1
  [ -n "$gui_stop_pid" ] || return 0
  kill "$gui_stop_pid" 2>/dev/null
  sleep 0.3
  kill -9 "$gui_stop_pid" 2>/dev/null
  wait "$gui_stop_pid" 2>/dev/null
  gui_stop_pid=""
}

wait_exit() {
  local rc
  for _ in $(seq 1 $(( $1 * 10 ))); do
    if ! kill -0 "$c_pid" 2>/dev/null; then
      wait "$c_pid"; rc=$?
      c_pid=""
      # The program's own output tells a crash in Wine from one of ours.
      [ $rc -eq "${2:-0}" ] ||
        fail "$PROGRAM_NAME ended with exit code $rc; its output ends: $(grep -v '^$' "$work/$case_name.log" | tail -n 4 | tr '\n' '|')"
      return
    fi
    sleep 0.1
  done
  fail "$PROGRAM_NAME still runs $1 s later"
}

gui_program_in() {
  local to="$1/${3:-$(basename "$2")}"
  ln -f "$2" "$to" 2>/dev/null || cp "$2" "$to" || return 1
  printf '%s\n' "$to"
}

# Mounts left by a run that was killed would keep the old cases.
gui_unmount_under() {
  local m
  while read -r m; do umount "$m" 2>/dev/null; done < <(findmnt -rn -o TARGET | grep -F "$1/" | sort -r)
}

gui_read_only_case() {
  local exe=$1 ro="$work/read_only/$case_name" rc=0 text
  gui_unmount_under "$work/read_only"
  rm -rf "$ro" && mkdir -p "$ro/マニュアル 兼 作業フォルダー" "$ro/elsewhere" || return 1
  gui_program_in "$ro" "$exe" >/dev/null || return 1
  printf '\0' >"$ro/マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini"
  if ! { mount --bind "$ro" "$ro" && mount -o remount,bind,ro "$ro"; } 2>/dev/null; then
    umount "$ro" 2>/dev/null
    echo "SKIP $case_name: no read-only bind mount here (needs root allowed to mount)"
    return 0
  fi
  find "$ro" -printf '%p %s %T@\n' | sort >"$work/read_only.before"
  text=$'このフォルダーには書き込みができません。\n\n'"$(winpath "$ro")"$'\n\n録音・設定・電話帳はこのフォルダーの中に保存するため、ここでは使えません。\nフォルダーごと「ドキュメント」など書き込みのできる場所に移してから、そこで起動してください。\n\nこのプログラムは終了します。'
  gui_start c_pid "$ro/elsewhere" "$ro/$(basename "$exe")"
  drv expect-message "$text" 30000 --button none --caption 書き込みできないフォルダー >/dev/null || rc=1
  [ $rc -eq 0 ] && wine_env_screenshot "$shots/read_only_$(basename "$exe" .exe).png"
  [ $rc -eq 0 ] && { drv answer-message OK >/dev/null || rc=1; }
  wait_exit 10 || { gui_stop c_pid; rc=1; }
  find "$ro" -printf '%p %s %T@\n' | sort | cmp -s - "$work/read_only.before" || { fail "the read-only folder changed"; rc=1; }
  umount "$ro" || { fail "cannot unmount $ro"; rc=1; }
  return $rc
}

gui_run_case() {
  local t0 rc=0
  t0=$(date +%s)
  : >"$reason_file"
  case_dir="$cases_dir/$2"
  if "case_$2"; then
    echo "PASS $1 $2 ($(( $(date +%s) - t0 )) s)"
  else
    echo "FAIL $1 $2: $(head -n 3 "$reason_file" | tr '\n' ' ')"
    rc=1
  fi
  gui_stop "$3"
  return $rc
}

gui_run_cases() {
  local suite=$1 failed=0
  shift
  [ ${#only[@]} -eq 0 ] || set -- "${only[@]}"
  for case_name in "$@"; do
    : >"$work/$case_name.log"
    virtual_line_silence
    gui_run_case "$suite" "$case_name" c_pid || failed=$((failed + 1))
  done
  echo "screenshots in $shots"
  [ $failed -eq 0 ]
}

gui_script_args() {
  local native_option="[--native DIR] "
  [ "${1:-}" = --windows-only ] && { native_option=""; shift; }
  native=""
  if [ -n "$native_option" ] && [ "${1:-}" = --native ]; then native=${2:?--native needs a folder}; shift 2; fi
  [ $# -ge 1 ] || { echo "usage: $0 ${native_option}WINDOWS_BUILD_DIR [CASE...]" >&2; exit 2; }
  build=$(cd "$1" && pwd) || exit 2
  shift
  only=("$@")
  [ -n "$native_option" ] || return 0
  [ -n "$native" ] || native="$(dirname "$build")/native"
  native=$(cd "$native" && pwd) || { echo "no native build folder $native" >&2; exit 2; }
}

gui_script_needs() {
  local hint=$1 f
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    [ -f "$1" ] || { echo "missing $1${hint:+ ($hint)}" >&2; exit 2; }
    shift
  done
  [ $# -eq 0 ] || shift
  for f in "$@"; do
    command -v "$f" >/dev/null || { echo "$f not found" >&2; exit 2; }
  done
}

gui_script_folders() {
  work="$build/$1"
  cases_dir="$work/cases"
  shots="$work/screenshots"
  reason_file="$work/reason"
  mkdir -p "$work"
  gui_unmount_under "$work"
  rm -rf "$cases_dir" "$shots"
  mkdir -p "$cases_dir" "$shots"
}
