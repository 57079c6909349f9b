#!/usr/bin/env bash
# GUI test of the main window and the warning bar under Wine, driving the
# preview program (made-up recorder state, no sound device needed).
#
#   ui/tests/main_window_gui_test.sh BUILD
#
# BUILD: a Windows (mingw-w64) build folder with main_window_preview and gui_driver.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?Windows build folder}" && pwd)
# shellcheck source=/dev/null
source "$root/tests/gui/wine_env.sh"
wine_env_init "$build/main-window-gui" || exit 1
wine_env_unmanaged
trap wine_env_cleanup EXIT

preview="$build/main_window_preview.exe"
driver() { wine64 "$build/gui_driver.exe" "$@"; }
failures=0
check() {  # check WHAT EXPECTED ACTUAL
  if [ "$2" == "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}
out=$(mktemp)

start() {  # start SCENE: the preview, and the main window's class in $class
  wine64 "$preview" "$1" 60 >"$out" 2>/dev/null &
  pid=$!
  class=$(driver find-class "めるとあ - " 20000) || { echo "FAILED: no main window ($1)"; exit 1; }
}
finish() {  # closes the window and waits for the preview's report
  driver close "$class" >/dev/null
  wait "$pid"
  tr -d '\r' <"$out"
}

# Desktop: labels, buttons into recorder words, topmost, the stored rectangle.
start idle
check "title" "めるとあ - Monitor of Null Output" "$(driver get-text "$class" 0)"
declare -A labels=([3001]="手動録音" [3002]="自動録音" [3003]="録音中止" [3103]="録音中止+保存"
  [3005]="自動録音開始レベル減少" [3004]="自動録音開始レベル増加" [3006]="画面消す" [2021]="電話帳"
  [7003]="最前面" [3009]="記録操作" [2020]="")
for id in "${!labels[@]}"; do check "label $id" "${labels[$id]}" "$(driver get-text "$class" "$id")"; done
driver is-visible "$class" && check "shown on the desktop" yes yes || check "shown on the desktop" yes no
driver click "$class" 7003
check "topmost label after a click" "前面解除" "$(driver get-text "$class" 7003)"
driver click "$class" 7003
driver click "$class" 7003
driver click "$class" 3004   # 30 -> 35
driver click "$class" 3004   # -> 40
driver click "$class" 3005   # -> 35
driver click "$class" 3001
driver click "$class" 3103
driver move "$class" 120 90 520 230
finish >"$out.closed"  # not in a subshell: only this shell can wait for the preview
check "report after closing" "command 3 threshold 35 topmost 1 number_ready 0 main 120 90 520 230" "$(head -n 1 "$out.closed")"
# The resize gave the controls a new font: none held a deleted one meanwhile.
check "messages to controls holding a deleted font" 0 "$(awk '$1 == "dead_font_messages" { print $2 }' "$out.closed")"
# Shown while start-up still runs: painted at once, controls included.
check "windows left unpainted when shown" 0 "$(awk '$1 == "dead_font_messages" { print $6 }' "$out.closed")"

# Recording: the number field shows what the program put there.
start recording
check "number field" "0312345678 山田太郎" "$(driver get-text "$class" 2020)"
finish >/dev/null

# Tray: the window starts hidden.
start tray
if driver is-visible "$class"; then check "hidden in tray mode" hidden shown; else check "hidden in tray mode" hidden hidden; fi
# A restarted task bar has lost the icon; its "TaskbarCreated" brings it back.
if driver tray-icon "$class" exists; then check "tray icon added" yes yes; else check "tray icon added" yes no; fi
driver tray-icon "$class" delete
driver send-registered "$class" TaskbarCreated
if driver tray-icon "$class" exists; then check "tray icon back after TaskbarCreated" yes yes
else check "tray icon back after TaskbarCreated" yes no; fi
# The icon's menu (right button up on icon 1, the window's WM_USER + 1): the
# window is brought to the foreground first, and a WM_NULL follows the menu,
# so that it closes when the user clicks elsewhere.
driver post-message "$class" 1025 1 517
driver wait-window "#32768" 5000 >/dev/null || check "tray menu shown" yes no
if driver is-foreground "$class"; then check "foreground while the tray menu is open" yes yes
else check "foreground while the tray menu is open" yes no; fi
driver post-message "$class" 256 27 0  # Escape
driver wait-gone "#32768" 5000 >/dev/null || check "tray menu closed by Escape" yes no
finish >"$out.tray"
check "WM_NULL posted after the tray menu" 1 "$(awk '$1 == "dead_font_messages" { print $4 }' "$out.tray")"

# Task bar: minimised, and while recording the flashing "録音中" entry is shown.
start taskbar
sleep 2
if driver is-visible Static; then check "flashing entry while recording" shown shown
else check "flashing entry while recording" shown hidden; fi
check "flashing entry text" "録音中" "$(driver get-text Static 0)"
finish >/dev/null

# The warning bar: 780 wide, centred, closed by its button.
start alert
driver wait-window "メッセージボックス" 20000 >/dev/null || check "warning bar shown" yes no
wine_env_screenshot "$build/main-window-gui/warning_bar.png" && echo "screenshot $build/main-window-gui/warning_bar.png"
read -r x y w h < <(driver get-rect "メッセージボックス")
check "warning bar width" 780 "$w"
check "warning bar centred" 1 "$(( x + w / 2 >= 510 && x + w / 2 <= 514 ))"
driver click "メッセージボックス" 115
if driver wait-gone "メッセージボックス" 5000 >/dev/null; then check "bar closed by ×" yes yes; else check "bar closed by ×" yes no; fi
# Alt+F4 (WM_CLOSE) ends the bar and its alarm alike, and later bars still come.
for bar in 2 3; do
  if driver wait-window "メッセージボックス" 5000 >/dev/null; then check "bar $bar shown" yes yes; else check "bar $bar shown" yes no; fi
  driver close "メッセージボックス" >/dev/null
  if driver wait-gone "メッセージボックス" 5000 >/dev/null; then check "bar $bar closed by WM_CLOSE" yes yes
  else check "bar $bar closed by WM_CLOSE" yes no; fi
done
finish >"$out.alert"  # not in a subshell: finish waits for the preview
check "bars raised, alarm after the last close" "bars 3 alarm 0" "$(head -n 1 "$out.alert")"
rm -f "$out.alert" "$out.closed" "$out.tray"

rm -f "$out"
echo "main window GUI test: $failures failed"
[ "$failures" -eq 0 ]
