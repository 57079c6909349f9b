#!/usr/bin/env bash
# Measures Corvinet (or with --program Pallaby the handset recorder, its
# calls a conversation only) on the virtual line, from /proc:
#   - CPU on an idle line over IDLE seconds (program and its wineserver),
#   - CPU while recording Ogg (a long call playing) over the same span,
#   - memory (VmRSS) after the first of CALLS simulated calls and after the
#     last, one call every SPACING seconds (20 calls, 90 s: a 30-minute run).
# Limits: idle at most 2 % of one core, recording at most 5 %, memory growth
# at most 1 MiB. Prints the figures; exits 1 when a limit is exceeded or the
# run goes wrong. Not part of scripts/test (it takes half an hour).
#
#   tests/perf/corvinet_perf.sh [--native DIR] [--program Corvinet|Pallaby] [--idle S] [--calls N] [--spacing S] WINDOWS_BUILD_DIR
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
gui="$here/../gui"
native="" idle_s=60 calls=20 spacing=90 name=Corvinet
while [ $# -gt 1 ]; do
  case $1 in
    --native) native=$2; shift 2 ;;
    --program) name=$2; shift 2 ;;
    --idle) idle_s=$2; shift 2 ;;
    --calls) calls=$2; shift 2 ;;
    --spacing) spacing=$2; shift 2 ;;
    *) break ;;
  esac
done
[ $# -eq 1 ] || { echo "usage: $0 [--native DIR] [--program Corvinet|Pallaby] [--idle S] [--calls N] [--spacing S] WINDOWS_BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd) || exit 2
[ -n "$native" ] || native="$(dirname "$build")/native"
native=$(cd "$native" && pwd) || exit 2
program="$build/$name.exe"
driver="$build/gui_driver.exe"
linecall="$native/linecall"
for f in "$program" "$driver" "$linecall" "$native/speech_wav"; do
  [ -f "$f" ] || { echo "missing $f" >&2; exit 2; }
done
[ "$spacing" -ge 30 ] || { echo "--spacing must be at least 30 s (a call takes about 25 s)" >&2; exit 2; }

work="$build/${name,,}-perf"
dir="$work/folder"
rm -rf "$dir"
mkdir -p "$work"

c_pid=""
# shellcheck source=../gui/virtual_line.sh
source "$gui/virtual_line.sh"
# shellcheck source=../gui/wine_env.sh
source "$gui/wine_env.sh"
# shellcheck source=../gui/corvinet_env.sh
source "$gui/corvinet_env.sh"
trap corvinet_env_end EXIT
corvinet_env_start
if [ "$name" = Pallaby ]; then
  corvinet_make_folder "$dir" handset || exit 1
  # A handset cord carries the conversation only.
  "$native/speech_wav" $(( idle_s + 20 )) "$work/long.wav" >/dev/null &&
    "$native/speech_wav" 5 "$work/speech.wav" >/dev/null &&
    sox "$work/speech.wav" "$work/call.wav" pad 0 12 ||
    { echo "speech_wav failed" >&2; exit 1; }
else
  corvinet_make_folder "$dir" || exit 1
  "$linecall" incoming "$work/long.wav" --number 0311110000 --lead 0 --speech $(( idle_s + 20 )) --silence 1 >/dev/null &&
    "$linecall" incoming "$work/call.wav" --number 0322220000 --lead 0 --speech 5 >/dev/null ||
    { echo "linecall failed" >&2; exit 1; }
fi

# shellcheck source=wine_cpu.sh
source "$here/wine_cpu.sh"
WINE_CPU_PROGRAM="$name.exe"

rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

recordings() { corvinet_recordings "$dir" | grep -c '\.ogg$'; }
wait_recordings() {  # wait_recordings COUNT TIMEOUT_S
  local deadline=$(( $(date +%s) + $2 ))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    [ "$(recordings)" -ge "$1" ] && return 0
    sleep 1
  done
  echo "recording $1 was not saved within $2 s" >&2
  return 1
}

corvinet_run_in "$dir" "$program" "$work/$name.log" || { echo "no main window" >&2; exit 1; }
sleep 12  # past the muted start and the first connection check
pid=$(pids_of program | awk '{ print $1 }')
[ -n "$pid" ] || { echo "the program's process is not found" >&2; exit 1; }
echo "processes: $(prefix_processes | tr '\n' ' ')"

status=0
read -r ip is ih < <(measure "$idle_s")
echo "idle line, ${idle_s} s: program $ip %, wineserver $is % (together $(awk -v a="$ip" -v b="$is" 'BEGIN{print a+b}') %; other Wine processes $ih %)"
awk -v a="$ip" -v b="$is" 'BEGIN { exit !(a + b <= 2) }' || { echo "  over the 2 % limit"; status=1; }

virtual_line_play "$work/long.wav"
sleep 5
[ -e "$dir/非常用フォルダー/TMP.tmp" ] || { echo "no recording open 5 s into the long call" >&2; exit 1; }
read -r rp rs rh < <(measure "$idle_s")
echo "recording Ogg, ${idle_s} s: program $rp %, wineserver $rs % (together $(awk -v a="$rp" -v b="$rs" 'BEGIN{print a+b}') %; other Wine processes $rh %)"
awk -v a="$rp" -v b="$rs" 'BEGIN { exit !(a + b <= 5) }' || { echo "  over the 5 % limit"; status=1; }
wait_recordings 1 60 || exit 1

start=$(date +%s)
base=""
for n in $(seq 1 "$calls"); do
  t0=$(date +%s)
  virtual_line_play "$work/call.wav"
  wait_recordings $(( n + 1 )) 90 || exit 1
  if [ "$n" -eq 1 ]; then base=$(rss_kib "$pid"); echo "after call 1: VmRSS $base KiB"; fi
  left=$(( spacing - ($(date +%s) - t0) ))
  [ "$n" -eq "$calls" ] || [ "$left" -le 0 ] || sleep "$left"
done
last=$(rss_kib "$pid")
echo "after call $calls ($(( ($(date +%s) - start) / 60 )) min): VmRSS $last KiB, growth $(( last - base )) KiB"
[ $(( last - base )) -le 1024 ] || { echo "  over the 1 MiB limit"; status=1; }

wine64 "$driver" close "$main" >/dev/null 2>&1
for _ in $(seq 1 150); do kill -0 "$c_pid" 2>/dev/null || break; sleep 0.1; done
wait "$c_pid" 2>/dev/null; c_pid=""
exit $status
