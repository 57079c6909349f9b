#!/usr/bin/env bash
# Size and time of the recorder's Ogg Vorbis against the reference encoder on
# the same speech-like audio (not a test):
#   recorder/tools/encode_compare.sh BUILD_DIR [SECONDS, default 3600]
# Runs linereplay --mode manual at recording_format 1/2/3 (quality
# 0.5/0.3/0.0) and oggenc -q 5/3/0 in one run; prints sizes, the ratio and
# the wall time of each.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-3600}
command -v oggenc >/dev/null || { echo "encode_compare: oggenc missing (vorbis-tools)" >&2; exit 1; }
work=$(mktemp -d /tmp/encode_compare.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$build/speech_wav" "$seconds" "$work/speech.wav"
"$build/speech_wav" 1 "$work/tiny.wav"

now() { date +%s.%N; }
printf '| quality | linereplay bytes | oggenc bytes | ratio | linereplay s | oggenc s |\n|---|---|---|---|---|---|\n'
for pair in "1 0.5 5" "2 0.3 3" "3 0.0 0"; do
  set -- $pair
  dir="$work/q$2"
  mkdir -p "$dir"
  # Defaults first, then recording_format (byte 10) set in place.
  "$build/linereplay" --workdir "$dir" "$work/tiny.wav" >/dev/null
  printf "\\x$(printf %02x "$1")" |
    dd of="$dir/マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini" bs=1 seek=10 conv=notrunc status=none
  t0=$(now)
  line=$("$build/linereplay" --workdir "$dir" --mode manual --start "2026-12-07 14:05:00" "$work/speech.wav")
  t1=$(now)
  oggenc -Q -q "$3" -o "$work/ref$3.ogg" "$work/speech.wav"
  t2=$(now)
  ours=$(sed -n 's/.*"bytes": \([0-9]*\)}.*/\1/p' <<<"$line")
  ref=$(stat -c %s "$work/ref$3.ogg")
  awk -v q="$2" -v a="$ours" -v b="$ref" -v t0="$t0" -v t1="$t1" -v t2="$t2" \
    'BEGIN { printf "| %s / -q %d | %d | %d | %.3f | %.1f | %.1f |\n", q, q * 10, a, b, a / b, t1 - t0, t2 - t1 }'
done
