#!/usr/bin/env bash
# Measures the browser "記録操作" of Corvinet under Wine, from /proc:
#   - the rebuild of a folder of 10,000 recordings in each order
#     (browser_rebuild_bench: scan, sort, fill of the drop-down list),
#   - CPU of Corvinet idle, with the browser open and idle, while playing a
#     long recording and while playing a short one (the thumb moves most),
#     each over SECONDS (program and its wineserver).
# Limits: rebuild at most 1 s; browser idle at most 1 % above Corvinet's
# idle; playing at most 5 % above it (Wine's own wave-out path takes about
# 4 % of that: compare wave_out_check alone). Prints the figures; exits 1 over a limit.
# Not part of scripts/test.
#
#   tests/perf/browser_perf.sh [--seconds S] WINDOWS_BUILD_DIR
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
gui="$here/../gui"
seconds=30
if [ "${1:-}" = --seconds ]; then seconds=$2; shift 2; fi
[ $# -eq 1 ] || { echo "usage: $0 [--seconds S] WINDOWS_BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd) || exit 2
native="$(dirname "$build")/native"  # settingsrecord, for the record
program="$build/Corvinet.exe"
driver="$build/gui_driver.exe"
bench="$build/browser_rebuild_bench.exe"
for f in "$program" "$driver" "$bench"; do [ -f "$f" ] || { echo "missing $f" >&2; exit 2; }; done

work="$build/browser-perf"
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
# shellcheck source=wine_cpu.sh
source "$here/wine_cpu.sh"
trap corvinet_env_end EXIT
corvinet_env_start
corvinet_make_folder "$dir" || exit 1
settingsrecord set "$dir/$CORVINET_SETTINGS_REL" recording_path "rec\\" || exit 1
mkdir -p "$dir/rec" "$dir/many"
sox -n -r 8000 -c 1 -b 16 "$dir/rec/long.wav" synth $(( seconds * 2 + 30 )) sine 600 gain -6 2>/dev/null &&
  sox -n -r 8000 -c 1 -b 16 "$dir/rec/short.wav" synth 10 sine 1500 gain -6 2>/dev/null || exit 1
# 10,000 names as the recorder gives them, created in no order, with
# creation times spread over a year.
python3 - "$dir/many" <<'PY'
import os, random, sys
random.seed(7)
d = sys.argv[1]
for i in random.sample(range(10000), 10000):
    name = "[着信]%02d日%02d時%02d分%02d秒-03%08d-.ogg" % (i % 28 + 1, i % 24, i % 60, i * 7 % 60, i)
    p = os.path.join(d, name)
    open(p, "wb").close()
    t = 1767225600 + random.randrange(365 * 86400)
    os.utime(p, (t, t))
PY

status=0
echo "rebuild of 10,000 under Wine:"
(cd "$dir" && wine64 "$bench" 'many\') 2>/dev/null | tee "$work/bench.txt" | sed 's/^/  /'
worst=$(awk '{ print $(NF - 1) }' "$work/bench.txt" | sort -n | tail -n 1)
[ "$(awk '{ print $3 }' "$work/bench.txt" | sort -u)" = "10000" ] || { echo "  the bench did not list 10,000 rows"; status=1; }
awk -v w="${worst:-9999}" 'BEGIN { exit !(w <= 1000) }' || { echo "  over the 1 s limit"; status=1; }

corvinet_run_in "$dir" "$program" "$work/corvinet.log" || { echo "no main window" >&2; exit 1; }
sleep 20  # past the muted start and the first connection checks
echo "processes: $(prefix_processes | tr '\n' ' ')"
together() { awk -v a="$1" -v b="$2" 'BEGIN { print a + b }'; }

read -r ip is ih < <(measure "$seconds")
idle=$(together "$ip" "$is")
echo "Corvinet idle, ${seconds} s: program $ip %, wineserver $is % (together $idle %; other Wine processes $ih %)"

wine64 "$driver" click "$main" 3009 >/dev/null 2>&1 && wine64 "$driver" wait-window CDialog 5000 >/dev/null 2>&1 ||
  { echo "the browser did not open" >&2; exit 1; }
sleep 3
read -r bp bs bh < <(measure "$seconds")
open_idle=$(together "$bp" "$bs")
echo "browser open, idle, ${seconds} s: program $bp %, wineserver $bs % (together $open_idle %, $(awk -v a="$open_idle" -v b="$idle" 'BEGIN { printf "%.2f", a - b }') above idle; other $bh %)"
awk -v a="$open_idle" -v b="$idle" 'BEGIN { exit !(a - b <= 1) }' || { echo "  over the 1 % limit"; status=1; }

# play ROW SECONDS LABEL: plays the row's recording and measures.
play() {
  wine64 "$driver" select CDialog 1001 "$1" >/dev/null 2>&1
  sleep 1
  wine64 "$driver" click CDialog 1004 >/dev/null 2>&1
  sleep 1
  local pp ps ph all
  [ "$(wine64 "$driver" get-text CDialog 1004 2>/dev/null)" = "停 止" ] || { echo "  $3 does not play"; status=1; }
  read -r pp ps ph < <(measure "$2")
  all=$(together "$pp" "$ps")
  echo "playing $3, $2 s: program $pp %, wineserver $ps % (together $all %, $(awk -v a="$all" -v b="$idle" 'BEGIN { printf "%.2f", a - b }') above idle; other $ph %)"
  awk -v a="$all" -v b="$idle" 'BEGIN { exit !(a - b <= 5) }' || { echo "  over the 5 % limit"; status=1; }
  wine64 "$driver" click CDialog 1005 >/dev/null 2>&1
  sleep 1
}
play 0 "$seconds" "long.wav ($(( seconds * 2 + 30 )) s)"
play 1 7 "short.wav (10 s)"
# Corvinet idle again, the browser closed: its idle varies by a percent
# from one span to the next.
wine64 "$driver" close CDialog >/dev/null 2>&1
sleep 2
read -r ip is ih < <(measure "$seconds")
echo "Corvinet idle again, ${seconds} s: program $ip %, wineserver $is % (together $(together "$ip" "$is") %)"
exit $status
