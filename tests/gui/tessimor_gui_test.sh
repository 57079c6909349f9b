#!/usr/bin/env bash
# GUI tests of the settings editor Tessimor: the real program under Wine and
# Xvfb, driven by gui_driver, each case in a fresh install-like folder with
# a settings file made here through settingsrecord. Prints PASS/FAIL per case; exits
# non-zero when any case fails.
#
#   tests/gui/tessimor_gui_test.sh [--native DIR] WINDOWS_BUILD_DIR [CASE...]
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
# shellcheck source=gui_case.sh
source "$here/gui_case.sh"
gui_script_args "$@"  # the native build: settingsrecord

program="$build/Tessimor.exe"
driver="$build/gui_driver.exe"
gui_script_needs "build the targets Tessimor and gui_driver" "$program" "$driver"
shipped_ini="$root/install/shipped_settings.ini"

gui_script_folders gui-test

# shellcheck source=wine_env.sh
source "$here/wine_env.sh"
# shellcheck source=settings_bytes.sh
source "$here/settings_bytes.sh"
trap 'gui_stop c_pid; wine_env_cleanup' EXIT
wine_env_private "$work" || { echo "FAIL: no Wine environment" >&2; exit 1; }

PROGRAM_NAME=Tessimor
RECORD_SIZE=3572

# ---------------------------------------------------------------- helpers

expect_eq() {  # expect_eq ACTUAL EXPECTED WHAT
  [ "$1" == "$2" ] || fail "$3: got \"$1\", expected \"$2\""
}

get_byte() { od -An -tu1 -v -j "$2" -N 1 "$1" | tr -d ' \n'; }

# True when the slot holds exactly TEXT followed by zero bytes.
slot_is() {  # slot_is FILE OFFSET LENGTH UTF8_TEXT
  local n
  n=$(sjis "$4" | wc -c)
  cmp -s <(dd if="$1" bs=1 skip="$2" count="$3" status=none) \
         <(sjis "$4"; head -c $(( $3 - n )) /dev/zero)
}

file_size() { stat -c %s "$1"; }

# A record as the recorder makes it, with non-zero reserved bytes (7, 96,
# 97, 3571) and text after a terminator, so that a save which does not
# pass the loaded bytes through shows in the comparison.
make_record() {  # make_record FILE
  local f=$1
  settingsrecord new "$f" &&
    settingsrecord set "$f" auto_start_level 10 start_state 1 byte.7 165 warning_volume 3 recording_format 2 \
      browser_sort 1 \
      editor_window_text.0 100 editor_window_text.1 100 editor_window_text.2 780 editor_window_text.3 260 \
      show_connection_screen 1 \
      main_window_text.0 277 main_window_text.1 184 main_window_text.2 470 main_window_text.3 200 \
      browser_window_text.0 202 browser_window_text.1 284 browser_window_text.2 620 browser_window_text.3 210 \
      info_board_font 8 phone_book_font 7 \
      byte.96 90 byte.97 195 \
      work_folder "マニュアル 兼 作業フォルダー" \
      file_name_format "dd日xx時xx分xx秒" \
      incoming_name_format "[着信]着信日付-電話番号-電話帳" outgoing_name_format "[発信]発信日付-電話番号-電話帳" \
      folder_name_format "yyyy年mm月" folder_list.0 "通話記録\\" \
      byte.3300 88 \
      byte.3571 119
}

set_folders() {  # set_folders FILE FOLDER...: slots filled from the front
  local f=$1 i=0 pairs=()
  shift
  for folder in "$@"; do pairs+=("folder_list.$i" "$folder"); i=$(( i + 1 )); done
  settingsrecord set "$f" "${pairs[@]}"
}

# Offsets (0-based) where two files differ, one a line.
diff_offsets() { cmp -l "$1" "$2" 2>/dev/null | awk '{ print $1 - 1 }'; }

# Fails when the files differ outside the given START:LENGTH ranges.
expect_changes_only_in() {  # expect_changes_only_in BEFORE AFTER [START:LENGTH...]
  local before=$1 after=$2 off range ok bad=()
  shift 2
  [ "$(file_size "$after")" -eq "$(file_size "$before")" ] ||
    { fail "file is $(file_size "$after") bytes, expected $(file_size "$before")"; return 1; }
  for off in $(diff_offsets "$before" "$after"); do
    ok=0
    for range in "$@"; do
      if [ "$off" -ge "${range%:*}" ] && [ "$off" -lt $(( ${range%:*} + ${range#*:} )) ]; then ok=1; fi
    done
    [ $ok -eq 1 ] || bad+=("$off:$(get_byte "$before" "$off")->$(get_byte "$after" "$off")")
  done
  [ ${#bad[@]} -eq 0 ] || fail "unexpected changes at offset:old->new ${bad[*]:0:8}"
}

# The four window position texts must be the "%d" texts of X Y W H.
expect_position() {  # expect_position FILE X Y W H
  local f=$1 i=0 v
  shift
  for v in "$@"; do
    slot_is "$f" $(( 14 + 5 * i )) 5 "$v" ||
      { fail "position text $i is \"$(get_text "$f" $(( 14 + 5 * i )) 5)\", expected \"$v\""; return 1; }
    i=$(( i + 1 ))
  done
}

# A folder laid out as the install gives it.
make_install() {
  mkdir -p "$case_dir/マニュアル 兼 作業フォルダー" "$case_dir/通話記録" "$case_dir/非常用フォルダー"
  cp "$program" "$case_dir/"
}

start_tessimor() { gui_start c_pid "$case_dir" ./Tessimor.exe; }

# Closes the window as the user would and expects a normal end, with no
# trace left of the folder test that closing runs.
close_tessimor() {
  drv close Tessimor || return 1
  wait_exit 10 || return 1
  local left
  left=$(find "$case_dir" -name '*xTMPxtmp*' | head -n 1)
  [ -z "$left" ] || { fail "the folder test left ${left#"$case_dir"/} behind"; return 1; }
  # It removes what it made, not the install's record folder.
  [ -d "$case_dir/通話記録" ] || fail "the folder test removed 通話記録"
}

start_and_wait() {
  start_tessimor
  drv wait-window Tessimor 20000
}

# ---------------------------------------------------------------- cases

# An empty settings file (an interrupted write) is taken as a deleted one:
# a message says so, the window shows the defaults and close writes them.
case_empty_file() {
  : >"$(ini)"
  start_tessimor
  drv expect-message $'設定ファイルが空だったため、設定を初期値に戻しました。\n電話帳と録音はそのままです。変更した設定は、この画面を閉じるときに保存されます。' \
    20000 --button none --caption 設定ファイル >/dev/null || return 1
  wine_env_screenshot "$shots/empty_file.png" 2>/dev/null
  drv answer-message OK >/dev/null || return 1
  drv wait-window Tessimor 20000 >/dev/null || return 1
  expect_eq "$(drv get-selection Tessimor 2001)" 2 "list 2001 of the defaults" || return 1
  close_tessimor || return 1
  [ "$(file_size "$(ini)")" -eq $RECORD_SIZE ] ||
    { fail "file is $(file_size "$(ini)") bytes after close, expected $RECORD_SIZE"; return 1; }
  slot_is "$(ini)" 2000 262 "通話記録\\" || fail "slot 0 holds \"$(get_text "$(ini)" 2000 262)\""
}

# Started from another folder holding settings of its own (a shortcut's
# working folder, a script): the program's own settings are shown and
# written, the other folder is left as it was.
case_other_folder() {
  make_record "$(ini)"
  local other="$cases_dir/other_folder_elsewhere" before="$cases_dir/$case_name.before"
  mkdir -p "$other/マニュアル 兼 作業フォルダー"
  cp "$shipped_ini" "$other/$SETTINGS_REL"
  find "$other" -printf '%p %s %T@\n' | sort >"$before"
  gui_start c_pid "$other" "$case_dir/Tessimor.exe"
  drv wait-window Tessimor 20000 >/dev/null || return 1
  expect_eq "$(drv get-rect Tessimor)" "100 100 780 260" "window at the place its own settings hold" || return 1
  close_tessimor || return 1
  find "$other" -printf '%p %s %T@\n' | sort | cmp -s - "$before" || fail "the other folder changed"
}

# Unpacked where the user cannot write: it says so and ends.
case_read_only() { gui_read_only_case "$program"; }

# The shipped one-byte file gets the recorder's defaults: shown in the
# window and written whole at close, so the recorder's first start finds
# them. The work area is the whole 1024 x 768 screen (no task bar).
case_one_byte_file() {
  cp "$shipped_ini" "$(ini)"
  [ "$(file_size "$(ini)")" -eq 1 ] || { fail "the shipped settings file is not one byte"; return 1; }
  start_and_wait || return 1
  wine_env_screenshot "$shots/one_byte_file.png" 2>/dev/null
  # list id and the default it shows
  local row id want sel
  for row in "2000 0" "2001 2" "2002 1" "2003 0" "2004 1" "2005 3" "2006 0" "2008 0"; do
    read -r id want <<<"$row"
    sel=$(drv get-selection Tessimor "$id") || return 1
    expect_eq "$sel" "$want" "list $id of the defaults" || return 1
  done
  expect_eq "$(drv list-items Tessimor 2008)" '通話記録\' "record folders" || return 1
  expect_eq "$(drv get-text Tessimor 2009)" "yyyy年mm月" "folder name format" || return 1
  expect_eq "$(drv get-text Tessimor 2010)" "dd日xx時xx分xx秒" "file name format" || return 1
  expect_eq "$(drv get-text Tessimor 2011)" "[着信]着信日付-電話番号-電話帳" "incoming name format" || return 1
  expect_eq "$(drv get-text Tessimor 2012)" "[発信]発信日付-電話番号-電話帳" "outgoing name format" || return 1
  local rect
  rect=$(drv get-rect Tessimor) || return 1
  expect_eq "$rect" "122 254 780 260" "window at the default place" || return 1
  close_tessimor || return 1

  local expected="$cases_dir/$case_name.expected"
  settingsrecord new "$expected" &&
    settingsrecord set "$expected" auto_start_level 10 start_state 1 warning_volume 3 \
      recording_format 2 browser_sort 1 show_connection_screen 1 \
      info_board_font 8 phone_book_font 7 \
      editor_window_text.0 122 editor_window_text.1 254 editor_window_text.2 780 editor_window_text.3 260 \
      main_window_text.0 277 main_window_text.1 184 main_window_text.2 470 main_window_text.3 200 \
      info_board_rect.0 277 info_board_rect.1 384 info_board_rect.2 470 info_board_rect.3 200 \
      browser_window_text.0 202 browser_window_text.1 284 browser_window_text.2 620 browser_window_text.3 210 \
      work_folder "マニュアル 兼 作業フォルダー" \
      file_name_format "dd日xx時xx分xx秒" \
      incoming_name_format "[着信]着信日付-電話番号-電話帳" outgoing_name_format "[発信]発信日付-電話番号-電話帳" \
      folder_name_format "yyyy年mm月" folder_list.0 "通話記録\\" || return 1
  expect_changes_only_in "$expected" "$(ini)" || return 1
}

# A deleted settings file (the user's way to reset) comes back with the
# defaults, as the shipped file does.
case_missing_file() {
  rm -f "$(ini)"
  start_and_wait || return 1
  expect_eq "$(drv get-selection Tessimor 2001)" 2 "list 2001 of the defaults" || return 1
  close_tessimor || return 1
  [ "$(file_size "$(ini)")" -eq $RECORD_SIZE ] ||
    { fail "file is $(file_size "$(ini)") bytes after close, expected $RECORD_SIZE"; return 1; }
  expect_eq "$(get_byte "$(ini)" 10)" 2 "recording_format in the file" || return 1
  slot_is "$(ini)" 2000 262 "通話記録\\" || fail "slot 0 holds \"$(get_text "$(ini)" 2000 262)\""
}

# Each list stores the chosen index into exactly its own byte; the only
# other change is the window position, which close stores.
case_list_choices() {
  make_record "$(ini)"
  set_folders "$(ini)" "通話記録\\" "記録2\\"
  local before="$cases_dir/$case_name.before"
  cp "$(ini)" "$before"
  start_and_wait || return 1

  # list id, field offset, item count, value in the file, value to choose
  local table=(
    "2000 8 6 0 3"
    "2001 10 4 2 0"
    "2002 5 2 1 0"
    "2003 6 3 0 2"
    "2004 34 2 1 0"
    "2005 9 6 3 5"
    "2006 11 3 0 1"
    "2008 92 2 0 1"
  )
  local row id off count was choose items sel
  for row in "${table[@]}"; do
    read -r id off count was choose <<<"$row"
    items=$(drv list-items Tessimor "$id") || return 1
    expect_eq "$(printf '%s\n' "$items" | grep -c '')" "$count" "item count of list $id" || return 1
    sel=$(drv get-selection Tessimor "$id") || return 1
    expect_eq "$sel" "$was" "list $id shows the file's value" || return 1
    drv select Tessimor "$id" "$choose" || return 1
  done
  expect_eq "$(drv list-items Tessimor 2001 | head -n 1)" "原　音 wav(FileSize =55.0Mb/h)" "first item of list 2001" || return 1

  drv move Tessimor 120 90 800 300 || return 1
  local rect
  rect=$(drv get-rect Tessimor) || return 1
  expect_eq "$rect" "120 90 800 300" "window rectangle after moving" || return 1
  close_tessimor || return 1

  local ranges=(14:20)
  for row in "${table[@]}"; do
    read -r id off count was choose <<<"$row"
    ranges+=("$off:1")
    expect_eq "$(get_byte "$(ini)" "$off")" "$choose" "byte $off after choosing in list $id" || return 1
  done
  expect_changes_only_in "$before" "$(ini)" "${ranges[@]}" || return 1
  expect_position "$(ini)" 120 90 800 300
}

# Answers message boxes saying TEXT until no window of CLASS is left.
answer_until_gone() {  # answer_until_gone CLASS TEXT
  local i msg
  for i in $(seq 1 100); do
    drv_quiet exists "$1" >/dev/null || return 0
    if msg=$(wine64 "$driver" get-message 100 2>/dev/null); then
      expect_eq "$(printf '%s\n' "$msg" | tail -n 1)" "$2" "message while closing $1" || return 1
      drv answer-message OK >/dev/null || return 1
    fi
  done
  fail "window $1 did not close"
}

# A fourth "xx" in the file name format is refused; the last valid text
# stays in the window, in the record and in the file.
case_format_token_limit() {
  make_record "$(ini)"
  local before="$cases_dir/$case_name.before"
  cp "$(ini)" "$before"
  start_and_wait || return 1
  local valid="yyyy年mm月dd日xx時xx分xx秒" invalid="dd日xx時xx分xx秒xx"

  # A valid text is taken over and written when the format editor closes.
  drv click Tessimor 2017 || return 1
  drv wait-text 各種編集 2000 "dd日xx時xx分xx秒" || return 1
  drv set-text 各種編集 2000 "$valid" || return 1
  drv no-message 700 || return 1
  expect_eq "$(drv get-text Tessimor 2010)" "$valid" "edit 2010 after a valid text" || return 1
  drv close 各種編集 || return 1
  drv wait-gone 各種編集 || return 1
  slot_is "$(ini)" 960 260 "$valid" ||
    { fail "file name format in the file is \"$(get_text "$(ini)" 960 260)\" after the format editor closed"; return 1; }

  # A fourth "xx" is refused; closing the editor with it still typed keeps the previous text.
  drv click Tessimor 2017 || return 1
  drv wait-window 各種編集 || return 1
  drv set-text 各種編集 2000 "$invalid" || return 1
  drv expect-message "時刻を表すxxの数は３個までです。" --caption 入力エラー --button none || return 1
  expect_eq "$(drv get-text Tessimor 2010)" "$valid" "edit 2010 while the text is refused" || return 1
  drv close 各種編集 || return 1
  answer_until_gone 各種編集 "時刻を表すxxの数は３個までです。" || return 1
  slot_is "$(ini)" 960 260 "$valid" ||
    { fail "file name format in the file is \"$(get_text "$(ini)" 960 260)\" after the refused text"; return 1; }
  expect_eq "$(drv get-text Tessimor 2010)" "$valid" "edit 2010 after the format editor closed" || return 1

  close_tessimor || return 1
  slot_is "$(ini)" 960 260 "$valid" ||
    { fail "file name format is \"$(get_text "$(ini)" 960 260)\" after Tessimor closed"; return 1; }
  expect_changes_only_in "$before" "$(ini)" 960:260 || return 1
  expect_position "$(ini)" 100 100 780 260
}

# With five record folders a sixth is refused and nothing changes.
case_sixth_folder_refused() {
  make_record "$(ini)"
  set_folders "$(ini)" "通話記録\\" "記録2\\" "記録3\\" "記録4\\" "記録5\\"
  settingsrecord set "$(ini)" folder_choice 2 || return 1
  local before="$cases_dir/$case_name.before"
  cp "$(ini)" "$before"
  mkdir -p "$case_dir/新しい記録"
  start_and_wait || return 1
  local list
  list=$(drv list-items Tessimor 2008) || return 1
  list=$(printf '%s\n' "$list" | tr '\n' ' ')
  expect_eq "$list" '通話記録\ 記録2\ 記録3\ 記録4\ 記録5\ ' "folder list" || return 1
  drv click Tessimor 2014 || return 1
  drv browse-select "$(winpath "$case_dir/新しい記録")" >/dev/null || return 1
  drv expect-message "これ以上のアイテムは追加できません。" --caption エラー || return 1
  expect_eq "$(drv list-items Tessimor 2008 | tr '\n' ' ')" "$list" "folder list after the refusal" || return 1
  expect_eq "$(drv get-selection Tessimor 2008)" 2 "chosen folder after the refusal" || return 1
  close_tessimor || return 1
  expect_changes_only_in "$before" "$(ini)" || return 1
}

# A folder chosen in the browser goes to the first empty slot with a
# closing "\" and becomes the chosen one.
case_add_folder() {
  make_record "$(ini)"
  set_folders "$(ini)" "通話記録\\" "記録2\\"
  local before="$cases_dir/$case_name.before"
  cp "$(ini)" "$before"
  mkdir -p "$case_dir/新しい記録"
  local chosen
  chosen="$(winpath "$case_dir/新しい記録")"
  start_and_wait || return 1
  drv click Tessimor 2014 || return 1
  drv browse-select "$chosen" >/dev/null || return 1
  drv no-message 500 || return 1
  expect_eq "$(drv list-items Tessimor 2008 | tail -n 1)" "$chosen\\" "last entry of the folder list" || return 1
  expect_eq "$(drv get-selection Tessimor 2008)" 2 "chosen folder after adding" || return 1
  close_tessimor || return 1
  slot_is "$(ini)" $(( 2000 + 2 * 262 )) 262 "$chosen\\" ||
    { fail "slot 2 holds \"$(get_text "$(ini)" $(( 2000 + 2 * 262 )) 262)\""; return 1; }
  expect_eq "$(get_byte "$(ini)" 92)" 2 "folder_choice" || return 1
  expect_changes_only_in "$before" "$(ini)" 92:1 $(( 2000 + 2 * 262 )):262
}

# Deleting the second of three folders moves the third up, empties slot 2
# and chooses the first.
case_delete_second_folder() {
  make_record "$(ini)"
  set_folders "$(ini)" "通話記録\\" "記録2\\" "記録3\\"
  settingsrecord set "$(ini)" folder_choice 1 || return 1
  local before="$cases_dir/$case_name.before"
  cp "$(ini)" "$before"
  start_and_wait || return 1
  expect_eq "$(drv get-selection Tessimor 2008)" 1 "chosen folder at start" || return 1
  drv click Tessimor 2015 || return 1
  drv no-message 300 || return 1
  expect_eq "$(drv list-items Tessimor 2008 | tr '\n' ' ')" '通話記録\ 記録3\ ' "folder list after deleting" || return 1
  expect_eq "$(drv get-selection Tessimor 2008)" 0 "chosen folder after deleting" || return 1
  close_tessimor || return 1
  expect_eq "$(get_text "$(ini)" 2000 262)" "通話記録\\" "slot 0" || return 1
  expect_eq "$(get_text "$(ini)" 2262 262)" "記録3\\" "slot 1" || return 1
  expect_eq "$(get_byte "$(ini)" 2524)" 0 "first byte of slot 2" || return 1
  expect_eq "$(get_byte "$(ini)" 92)" 0 "folder_choice" || return 1
  # Slots after the last entry may be cleared whole: an empty slot's bytes
  # after its first mean nothing.
  expect_changes_only_in "$before" "$(ini)" 92:1 2262:1048
}

# An incoming folder that does not exist keeps the window open; a corrected
# path in the edit is taken over at close.
case_incoming_folder_missing() {
  make_record "$(ini)"
  local missing existing
  missing="$(winpath "$case_dir/無い着信")\\"
  existing="$(winpath "$case_dir/着信")\\"
  mkdir -p "$case_dir/着信"
  settingsrecord set "$(ini)" number_output_path "$missing" || return 1
  local before="$cases_dir/$case_name.before"
  cp "$(ini)" "$before"
  start_and_wait || return 1
  expect_eq "$(drv get-text Tessimor 2013)" "$missing" "edit 2013" || return 1
  drv close Tessimor || return 1
  drv expect-message $'着信フォルダーパスが不正です、\n予めフォルダーを作成してから、着信フォルダー欄の参照をクリックして作成したフォルダーを選択してください。' \
    --caption 不適切なフォルダーパス || return 1
  drv no-message 500 || return 1
  drv wait-window Tessimor 2000 || return 1
  kill -0 "$c_pid" 2>/dev/null || { fail "Tessimor ended although closing was refused"; return 1; }
  cmp -s "$before" "$(ini)" || { fail "the settings file changed although closing was refused"; return 1; }

  drv set-text Tessimor 2013 "$existing" || return 1
  close_tessimor || return 1
  slot_is "$(ini)" 3310 260 "$existing" ||
    { fail "number_output_path is \"$(get_text "$(ini)" 3310 260)\""; return 1; }
  expect_changes_only_in "$before" "$(ini)" 3310:260
}

# "参照" cancelled keeps the incoming folder, in the edit and in the file.
case_browse_cancelled() {
  make_record "$(ini)"
  local existing
  existing="$(winpath "$case_dir/着信")\\"
  mkdir -p "$case_dir/着信"
  settingsrecord set "$(ini)" number_output_path "$existing" || return 1
  local before="$cases_dir/$case_name.before"
  cp "$(ini)" "$before"
  start_and_wait || return 1
  drv click Tessimor 2020 || return 1
  drv browse-cancel >/dev/null || return 1
  drv no-message 300 || return 1
  expect_eq "$(drv get-text Tessimor 2013)" "$existing" "edit 2013 after cancelling" || return 1
  close_tessimor || return 1
  expect_changes_only_in "$before" "$(ini)"
}

# The start-with-Windows box: ticked, the Run key gets the quoted full path
# of the Corvinet.exe beside Tessimor; cleared, the value goes. Another
# copy's value shows unticked and is replaced only when the user says yes.
case_start_with_windows() {
  make_record "$(ini)"
  cp "$build/Corvinet.exe" "$case_dir/"
  local ours other='"C:\other\Corvinet.exe"' said
  ours="\"$(winpath "$case_dir/Corvinet.exe")\""
  wine64 reg delete "$RUN_KEY" /v Corvinet /f >/dev/null 2>&1
  start_and_wait || return 1
  expect_eq "$(drv get-selection Tessimor 2021)" 0 "the box without a value" || return 1
  drv click Tessimor 2021 || return 1
  wait_run_value Corvinet "$ours" || return 1
  expect_eq "$(drv get-selection Tessimor 2021)" 1 "the box once ticked" || return 1
  wine_env_screenshot "$shots/start_with_windows.png"
  drv click Tessimor 2021 || return 1
  wait_run_value Corvinet "" || return 1
  expect_eq "$(drv get-selection Tessimor 2021)" 0 "the box once cleared" || return 1
  close_tessimor || return 1

  wine64 reg add "$RUN_KEY" /v Corvinet /d "$other" /f >/dev/null 2>&1
  start_and_wait || return 1
  expect_eq "$(drv get-selection Tessimor 2021)" 0 "the box with another copy's value" || return 1
  drv click Tessimor 2021 || return 1
  drv get-message 5000 >/dev/null || return 1
  wine_env_screenshot "$shots/start_with_windows_question.png"
  said=$(drv answer-message NO 5000) || return 1
  [[ $said == *"別の場所の Corvinet"*'C:\other\Corvinet.exe'* ]] || { fail "the question says \"$said\""; return 1; }
  wait_run_value Corvinet "$other" || return 1
  expect_eq "$(drv get-selection Tessimor 2021)" 0 "the box after no" || return 1
  drv click Tessimor 2021 || return 1
  drv answer-message YES 5000 >/dev/null || return 1
  wait_run_value Corvinet "$ours" || return 1
  expect_eq "$(drv get-selection Tessimor 2021)" 1 "the box after yes" || return 1
  close_tessimor || return 1
  wine64 reg delete "$RUN_KEY" /v Corvinet /f >/dev/null 2>&1
  return 0
}

# ---------------------------------------------------------------- runner

all_cases=(
  empty_file one_byte_file missing_file list_choices format_token_limit
  sixth_folder_refused add_folder delete_second_folder incoming_folder_missing
  browse_cancelled other_folder read_only start_with_windows
)
for name in "${only[@]}"; do
  [[ " ${all_cases[*]} " == *" $name "* ]] || { echo "unknown case $name; cases: ${all_cases[*]}" >&2; exit 2; }
done
failed=0
total_start=$(date +%s%N)
for case_name in "${all_cases[@]}"; do
  if [ ${#only[@]} -gt 0 ] && [[ ! " ${only[*]} " == *" $case_name "* ]]; then continue; fi
  case_dir="$cases_dir/$case_name"
  mkdir -p "$case_dir"
  make_install
  : >"$reason_file"
  : >"$work/$case_name.log"
  t0=$(date +%s%N)
  "case_$case_name"
  rc=$?
  ms=$(( ($(date +%s%N) - t0) / 1000000 ))
  if [ $rc -eq 0 ] && [ ! -s "$reason_file" ]; then
    printf 'PASS %-26s (%d ms)\n' "$case_name" "$ms"
  else
    failed=$(( failed + 1 ))
    shot="$shots/$case_name.png"
    wine_env_screenshot "$shot" 2>/dev/null || shot="(no screenshot)"
    printf 'FAIL %-26s (%d ms): %s\n' "$case_name" "$ms" "$(head -n 1 "$reason_file")"
    sed -n '2,$p' "$reason_file" | sed 's/^/       /'
    printf '       screenshot %s, program log %s\n' "$shot" "$work/$case_name.log"
  fi
  gui_stop c_pid
  # Anything a failed case left (a message box, a stray window) ends here.
  if [ -s "$reason_file" ]; then wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; fi
done
printf 'tessimor gui tests: %d failed, %d s\n' "$failed" $(( ($(date +%s%N) - total_start) / 1000000000 ))
[ $failed -eq 0 ]
