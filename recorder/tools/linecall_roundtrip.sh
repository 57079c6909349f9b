#!/bin/sh
# The generated calls through the recorder's own pass: linecall writes an
# incoming, a withheld and an outgoing call, linereplay records them in a
# fresh folder; each must be saved once with its direction and number.
#
#   linecall_roundtrip.sh LINECALL LINEREPLAY WORKDIR
set -u
linecall=$1 linereplay=$2 work=$3
rm -rf "$work"
mkdir -p "$work" || exit 1
status=0

# check NAME DIRECTION NUMBER [LINECALL_OPTIONS...]
check() {
  name=$1 direction=$2 number=$3
  shift 3
  dir="$work/$name"
  mkdir -p "$dir/非常用フォルダー" "$dir/通話記録"
  # Eight seconds of quiet first: the pass ignores the first fifteen blocks.
  "$linecall" "$direction" "$dir/call.wav" --lead 8 "$@" >/dev/null || { echo "FAIL $name: linecall $*"; status=1; return; }
  out=$("$linereplay" --workdir "$dir" --start "2026-12-07 14:05:00" "$dir/call.wav" 2>&1) ||
    { echo "FAIL $name: linereplay: $out"; status=1; return; }
  saved=$(printf '%s\n' "$out" | grep -c '"path"')
  if [ "$saved" -ne 1 ] ||
     ! printf '%s\n' "$out" | grep -q "\"direction\": *\"$direction\", *\"number\": *\"$number\""; then
    echo "FAIL $name: expected one $direction recording of $number, got: $out"
    status=1
    return
  fi
  echo "ok $name: $(printf '%s\n' "$out" | grep '"path"')"
}

check incoming incoming 0312345678 --number 0312345678
check withheld incoming 非通知 --withheld
check outgoing outgoing "0120＊45＃9" --number "0120*45#9"
exit $status
