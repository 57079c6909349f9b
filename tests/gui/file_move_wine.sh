#!/usr/bin/env bash
# The Win32 file layer's move to another volume, under Wine: a drive letter
# on a tmpfs (another Linux file system), so MoveFileExW without
# MOVEFILE_COPY_ALLOWED refuses and the layer copies beside the target,
# flushes and renames the copy into place. Prints PASS/FAIL; exits non-zero
# on a failure.
#
#   tests/gui/file_move_wine.sh WINDOWS_BUILD_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || { echo "usage: $0 WINDOWS_BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd) || exit 2
driver="$build/gui_driver.exe"
[ -f "$driver" ] || { echo "missing $driver (build the target gui_driver)" >&2; exit 2; }

work="$build/file-move-test"
rm -rf "$work/run"
mkdir -p "$work/run"
other=$(mktemp -d /dev/shm/suite-move.XXXXXX) || exit 2
# shellcheck source=wine_env.sh
source "$here/wine_env.sh"
trap 'wine_env_cleanup; rm -rf "$other"' EXIT
wine_env_init "$work" || exit 2
if [ "$(stat -c %d "$work/run")" = "$(stat -c %d "$other")" ]; then
  echo "SKIP file move: /dev/shm is not another file system here"
  exit 0
fi
ln -sfn "$other" "$WINEPREFIX/dosdevices/m:"

failures=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then echo "PASS $name"; else echo "FAIL $name"; failures=$((failures + 1)); fi
}

head -c 3000000 /dev/urandom >"$work/run/TMP.tmp"
cp "$work/run/TMP.tmp" "$work/run/expected"
mkdir -p "$other/通話記録"
wine_env_run "$driver" rename-path "$(winpath "$work/run/TMP.tmp")" 'M:\通話記録\07日14時05分33秒.ogg'
rc=$?
check "move to another volume succeeds" [ $rc -eq 0 ]
check "the target holds the whole file" cmp -s "$work/run/expected" "$other/通話記録/07日14時05分33秒.ogg"
check "the original is gone" [ ! -e "$work/run/TMP.tmp" ]
check "no note is left beside the original" [ "$(ls -A "$work/run")" = expected ]
check "no copy is left beside the target" [ "$(ls -A "$other/通話記録")" = "07日14時05分33秒.ogg" ]

# Something already at the target: refused, nothing changed.
cp "$work/run/expected" "$work/run/TMP.tmp"
printf x >"$other/通話記録/taken.ogg"
wine_env_run "$driver" rename-path "$(winpath "$work/run/TMP.tmp")" 'M:\通話記録\taken.ogg'
rc=$?
check "an existing target is refused" [ $rc -eq 1 ]
check "and kept" [ "$(cat "$other/通話記録/taken.ogg")" = x ]
check "the original stays" cmp -s "$work/run/expected" "$work/run/TMP.tmp"

[ $failures -eq 0 ]
