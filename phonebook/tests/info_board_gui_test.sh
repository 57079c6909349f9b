#!/usr/bin/env bash
# GUI test of the call board under Wine: the preview program's "check" mode
# drives the real window (sizes, counter, save, unregister, close refused)
# over a phone book of its own and exits 1 on any fault.
#
#   phonebook/tests/info_board_gui_test.sh BUILD
#
# BUILD: a Windows (mingw-w64) build folder with info_board_preview and gui_driver.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?Windows build folder}" && pwd)
# shellcheck source=/dev/null
source "$root/tests/gui/wine_env.sh"
wine_env_init "$build/info-board-gui" || exit 1
wine_env_unmanaged
trap wine_env_cleanup EXIT

run="$build/info-board-gui/run"
rm -rf "$run" && mkdir -p "$run" && cd "$run" || exit 1
# --hold keeps the board three seconds as it opened, before any tick: the
# screenshot shows what the user first sees.
timeout 60 wine64 "$build/info_board_preview.exe" check --hold &
pid=$!
shot="$build/info-board-gui/board_as_opened.png"
if wine64 "$build/gui_driver.exe" wait-window 情報ボード 20000 >/dev/null 2>&1; then
  sleep 1
  wine_env_screenshot "$shot" && echo "screenshot $shot"
fi
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] && echo "info board gui test: passed" || echo "info board gui test: FAILED ($rc)"
exit "$rc"
