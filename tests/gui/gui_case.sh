# shellcheck shell=bash
# Sourceable bash library for the case-by-case GUI tests: the reason a case
# failed, gui_driver calls, ending a program started in the background.
# The test sets `driver` (gui_driver.exe), `work` (its folder) and
# `reason_file` before it calls these.
# shellcheck disable=SC2154
#
#   fail TEXT...        notes TEXT as the case's reason; returns 1
#   drv ARGS...         one driver command; its complaint becomes the reason
#   drv_quiet ARGS...   a driver command whose failure is an answer, not a fault
#   gui_stop VAR        kills the process whose id VAR holds and empties VAR
#   gui_script_args "$@" a test script's arguments, [--native DIR]
#                       WINDOWS_BUILD_DIR [CASE...]: sets build, native (by
#                       default the folder "native" beside the Windows build)
#                       and the array only; exits 2 on a usage error
#   gui_script_folders NAME
#                       work ($build/NAME), cases_dir and shots made anew,
#                       reason_file
#   run_value NAME      the value NAME of the Run key ($RUN_KEY) in Wine's
#                       registry; empty when there is none
#   wait_run_value NAME TEXT
#                       the value becomes TEXT (empty: goes) within 5 s
#   gui_run_case PROGRAM CASE VAR
#                       runs the function case_CASE, prints PASS or FAIL with
#                       the reason, then stops the program (gui_stop VAR);
#                       returns 1 when the case failed

fail() { printf '%s\n' "$*" >>"$reason_file"; return 1; }

drv() {
  local out rc
  out=$(wine64 "$driver" "$@" 2>"$work/driver.err")
  rc=$?
  if [ $rc -ne 0 ]; then
    fail "gui_driver $1: $(grep -v '^wine:' "$work/driver.err" | head -n 3)"
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

gui_stop() {
  local -n gui_stop_pid=$1
  [ -n "$gui_stop_pid" ] || return 0
  kill "$gui_stop_pid" 2>/dev/null
  sleep 0.3
  kill -9 "$gui_stop_pid" 2>/dev/null
  wait "$gui_stop_pid" 2>/dev/null
  gui_stop_pid=""
}

gui_run_case() {
  local t0 rc=0
  t0=$(date +%s)
  : >"$reason_file"
  if "case_$2"; then
    echo "PASS $1 $2 ($(( $(date +%s) - t0 )) s)"
  else
    echo "FAIL $1 $2: $(head -n 3 "$reason_file" | tr '\n' ' ')"
    rc=1
  fi
  gui_stop "$3"
  return $rc
}

gui_script_args() {
  native=""
  if [ "${1:-}" = --native ]; then native=${2:?--native needs a folder}; shift 2; fi
  [ $# -ge 1 ] || { echo "usage: $0 [--native DIR] WINDOWS_BUILD_DIR [CASE...]" >&2; exit 2; }
  build=$(cd "$1" && pwd) || exit 2
  shift
  only=("$@")
  [ -n "$native" ] || native="$(dirname "$build")/native"
  native=$(cd "$native" && pwd) || { echo "no native build folder $native" >&2; exit 2; }
}

gui_script_folders() {
  work="$build/$1"
  cases_dir="$work/cases"
  shots="$work/screenshots"
  reason_file="$work/reason"
  mkdir -p "$work"
  rm -rf "$cases_dir" "$shots"
  mkdir -p "$cases_dir" "$shots"
}
