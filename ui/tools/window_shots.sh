#!/usr/bin/env bash
# Screenshots of the main window and the warning bar, to look at them:
# first the preview with made-up state, then the real Corvinet on the
# virtual line (idle, manual recording, connection fault, tray mode).
#
#   ui/tools/window_shots.sh BUILD INSTALL SHOTS
#
# BUILD: a Windows (mingw-w64) build folder with main_window_preview and gui_driver,
# the native build beside it (settingsrecord);
# INSTALL: its install folder (Corvinet); SHOTS: where the PNGs go.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
native="$(dirname "$build")/native"  # settingsrecord, for the record
install=$(cd "${2:?install folder}" && pwd)
shots=${3:?shots folder}
mkdir -p "$shots" && shots=$(cd "$shots" && pwd)
# shellcheck source=/dev/null
source "$root/tests/gui/wine_env.sh"
# shellcheck source=/dev/null
source "$root/tests/gui/virtual_line.sh"
# shellcheck source=/dev/null
source "$root/tests/gui/corvinet_env.sh"

work="$build/window-shots-run"
corvinet_line_start "$work/line" || exit 1
wine_env_init "$work/wine" || exit 1
wine_env_unmanaged
trap 'wine_env_cleanup; virtual_line_stop' EXIT
driver="$build/gui_driver.exe"

corvinet_find_input "$driver" || exit 1
run() {  # run PLACE: Corvinet in display mode PLACE from a fresh folder
  corvinet_make_folder "$install"
  settingsrecord set "$install/$CORVINET_SETTINGS_REL" start_place "$1"
  (cd "$install" && wine64 Corvinet.exe) &
  corvinet_pid=$!
  class=$(wine64 "$driver" find-class "$CORVINET_MAIN_PREFIX" 20000) || return 1
}
stop() {
  wine64 "$driver" close "$class"
  wait "$corvinet_pid"
}

run 0 || exit 1
sleep 6
# Unplugged while idle: the check sees no blocks within two seconds. (Under
# Wine the device count the program sees does not drop, so the check
# re-opens two seconds later and the fault shows again six seconds on.)
corvinet_unplug_line
sleep 3.5
wine_env_screenshot "$shots/corvinet_fault.png"
sleep 1
wine_env_screenshot "$shots/corvinet_fault_b.png"
corvinet_plug_line
sleep 8
wine_env_screenshot "$shots/corvinet_idle.png"
wine64 "$driver" click "$class" 3001
sleep 3
wine_env_screenshot "$shots/corvinet_recording.png"
sleep 0.5
wine_env_screenshot "$shots/corvinet_recording_b.png"
wine64 "$driver" click "$class" 3003
sleep 2
stop

run 2 || exit 1
sleep 4
wine64 "$driver" click "$class" 3001
sleep 5
wine_env_screenshot "$shots/corvinet_tray_recording.png"
wine64 "$driver" click "$class" 3003
stop
for scene in idle recording fault alert tray; do
  wine64 "$build/main_window_preview.exe" "$scene" 9 &
  pid=$!
  sleep 6
  wine_env_screenshot "$shots/preview_$scene.png"
  wait "$pid"
done
echo "window_shots: PNGs in $shots"
