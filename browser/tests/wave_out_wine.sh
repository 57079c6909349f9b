#!/usr/bin/env bash
# The player's wave-out side under Wine: plays a 1 kHz tone (peak 1000) with
# wave_out_check into a private PulseAudio null sink, records the sink's
# monitor with parec and checks the level at amplify steps 0 and 4, the
# silence while paused and after stop, the Win32 folder listing, and the
# Win32 file layer's renames and its sharing of a file being played.
#   browser/tests/wave_out_wine.sh build/windows
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:?usage: wave_out_wine.sh WINDOWS_BUILD}" && pwd)
work="$build/wave_out_wine"
rm -rf "$work/run" && mkdir -p "$work/run"
# shellcheck source=/dev/null
source "$root/tests/gui/wine_env.sh"
# shellcheck source=/dev/null
source "$root/tests/gui/virtual_line.sh"
cleanup() { virtual_line_stop; wine_env_cleanup; }
trap cleanup EXIT
wine_env_init "$work" || exit 1
virtual_line_start "$work" || exit 1
cd "$work/run" || exit 1

python3 - <<'PY'
import math, struct
n = 8000 * 6
data = b"".join(struct.pack("<h", round(1000 * math.sin(2 * math.pi * 1000 * i / 8000))) for i in range(n))
hdr = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 1, 1, 8000, 16000, 2, 16)
open("tone.wav", "wb").write(hdr + b"data" + struct.pack("<I", len(data)) + data)
PY

failures=0
# record NAME ARGS...: plays with the options while the monitor is recorded.
record() {
  local name=$1
  shift
  parec -d line.monitor --format=s16le --rate=8000 --channels=1 --latency-msec=20 >"$name.raw" &
  local rec=$!
  sleep 0.5
  wine_env_run "$build/wave_out_check.exe" tone.wav "$@" >"$name.log" 2>&1
  sleep 0.5
  kill "$rec" 2>/dev/null
  wait "$rec" 2>/dev/null
  cat "$name.log"
}
# check NAME EXPR: the recording's windows of 100 ms as (peak, crossings
# per second); EXPR judges them in Python.
check() {
  local name=$1 expr=$2
  if python3 - "$name.raw" "$expr" <<'PY'; then echo "ok   $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
import struct, sys
raw = open(sys.argv[1], "rb").read()
s = struct.unpack("<%dh" % (len(raw) // 2), raw[: len(raw) // 2 * 2])
w = [s[i:i + 800] for i in range(0, len(s) - 799, 800)]
peaks = [max(abs(x) for x in c) for c in w]
# Frequency from the rising zero crossings per loud window, the median so
# that a dropout of an overloaded machine does not count.
loud = [c for c, p in zip(w, peaks) if p > 200]
fs = sorted(10 * sum(1 for a, b in zip(c, c[1:]) if a < 0 <= b) for c in loud)
freq = fs[len(fs) // 2] if fs else 0
# The resampler overshoots at the onset: judge the median of the loud part.
lp = sorted(p for p in peaks if p > 200)
med = lp[len(lp) // 2] if lp else 0
print("  peaks (100 ms):", " ".join(str(p) for p in peaks))
print("  frequency of the loud part: %.0f Hz" % freq)
ok = eval(sys.argv[2])
sys.exit(0 if ok else 1)
PY
}

record step0
check step0 'med in range(900, 1101) and abs(freq - 1000) < 50 and sum(p > 900 for p in peaks) >= 50'
record step4 --step 4
check step4 'med in range(19500, 22501) and abs(freq - 1000) < 50'
record pause --pause-at 1500 --pause-for 2000
# About 2 s of quiet inside the sound, the whole 6 s still heard.
check pause 'max(len(x) for x in "".join("L" if p > 500 else "q" for p in peaks).strip("q").split("L")) >= 17 and sum(p > 500 for p in peaks) >= 50'
record stop --stop-at 2000
stop_ms=$(sed -n 's/^\([0-9]*\) ms: stop$/\1/p' stop.log)
ended_ms=$(sed -n 's/^\([0-9]*\) ms: ended.*/\1/p' stop.log)
echo "  stop at $stop_ms ms, ended at $ended_ms ms"
check stop 'sum(p > 500 for p in peaks) <= 24'
[ -n "$stop_ms" ] && [ $((ended_ms - stop_ms)) -le 100 ] || { echo "FAIL stop reaction"; failures=$((failures + 1)); }

mkdir -p listing/sub.dir && printf x >listing/a.ogg && printf xy >"listing/表.wav" && printf x >"listing/😀.ogg"
wine_env_run "$build/wave_out_check.exe" --list 'Z:'"$work/run/listing" >listing.log 2>&1
cat listing.log
grep -q $'^a.ogg\t.*\t1\tfile' listing.log && grep -q $'^表.wav\t.*\t2\tfile' listing.log &&
  grep -q $'^sub.dir\t.*\t0\tfolder' listing.log && [ "$(wc -l <listing.log)" -eq 3 ] || { echo "FAIL listing"; failures=$((failures + 1)); }

mkdir -p files
wine_env_run "$build/wave_out_check.exe" --files 'Z:'"$work/run/files" >files.log 2>&1
cat files.log
[ "$(grep -c '^ok ' files.log)" -eq 13 ] && ! grep -q FAIL files.log || { echo "FAIL files"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "wave_out_wine: all passed" || echo "wave_out_wine: $failures failed"
exit $((failures > 0))
