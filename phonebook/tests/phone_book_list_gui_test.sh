#!/usr/bin/env bash
# GUI tests of the phone book list "電話帳リスト" and its list board in
# Corvinet under Wine, on the virtual line: opened with "電話帳" over a
# phone book made by the phonebook tool, worked by gui_driver, and checked
# afterwards with "phonebook export". Prints PASS/FAIL per case.
#
#   phonebook/tests/phone_book_list_gui_test.sh [--native NATIVE_BUILD_DIR] WINDOWS_BUILD_DIR [CASE...]
#
# Cases: list (fill, sort, help, add, search, delete, sizes, close), edits
# (ended by a click elsewhere or by "追加"),
# board (save, "情報不要", closing the list over typed text), duplicate
# ("重複開帳" while the call board shows the number), big (100,000 numbers
# opened and 1,000 deleted while a call is recorded; prints the figures).
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
gui="$root/tests/gui"
# shellcheck source=../../tests/gui/gui_case.sh
source "$gui/gui_case.sh"
gui_script_args "$@"

program="$build/Corvinet.exe"
driver="$build/gui_driver.exe"
linecall="$native/linecall"
phonebook="$native/phonebook"
audio_align="$native/audio_align"
gui_script_needs "" "$program" "$driver" "$linecall" "$phonebook" "$audio_align"

gui_script_folders phone-book-list-gui

# shellcheck source=../../tests/gui/recorder_case.sh
source "$gui/recorder_case.sh"
trap 'gui_stop c_pid; virtual_line_stop; wine_env_cleanup' EXIT
PROGRAM_NAME=Corvinet
corvinet_env_start

LIST="電話帳リスト"
BOARD="情報ボードt"
CALL_BOARD="情報ボード"
PHONE_BOOK_BUTTON=2021
HELP=$(tr -d '\n' <<'EOF'
並べ替えは：\n列タイトルをクリックしてください\n\n情報ボタン：\n情報ボード画面が開きます、相手の情報（顧客情報等）はここで入力してください\n\n
編集するには：\n行、列を左シングルクリック（２列目の電話帳は１列目の編集窓を拝借します）\n編集終了は[Enter]キーを押してください
（録音を聞きながら情報ボードの編集をするには、先にボードを開いてから記録操作画面を開きます）\n\n追加ボタン：\n最終行に追加します、
最初は必ず電話番号を入力してください\n電話番号をコピー＆貼り付けで追加するには、記録操作画面を開いて「名前の変更と検索窓」で電話番号を選択して
コピーしてください\n\n複数行を一括削除するには：\n連続した複数行は最初の行をクリックしてから、シフトキーを押しながら最後の行をクリックして、
削除ボタンを押してください\n連続していない場合はコントロールキー押しながら複数行をクリックします\n\n入力最大文字数は：\n
電話帳は全角漢字で最大100字まで、情報文字数は全角漢字で最大5000字まで\n\n保存先変更で以前のデーターを引き継ぐには：\n
InfoIndex.binary、InfoData.binary、EriaTable.binaryの３ファイルを移動又はコピーしてください\n
電話帳をリセットするには、この３ファイルを削除してください
EOF
)
HELP=$(printf '%b' "$HELP")

# ---------------------------------------------------------------- helpers

book_dir() { printf '%s/マニュアル 兼 作業フォルダー' "$case_dir"; }

# new_book_case CSV: a new case whose phone book holds the CSV's records.
new_book_case() {
  new_case || return 1
  "$phonebook" import "$(book_dir)" "$1" >"$work/import.log" 2>&1 ||
    { fail "phonebook import: $(tail -n 2 "$work/import.log")"; return 1; }
}

export_book() { "$phonebook" export "$(book_dir)"; }

open_list() {
  drv click "$main_class" "$PHONE_BOOK_BUTTON" >/dev/null || return 1
  drv wait-window "$LIST" 5000 >/dev/null || return 1
}

count() { drv lv-count "$LIST" 400; }
cell() { drv lv-text "$LIST" 400 "$1" "$2"; }

# expect_box TEXT CAPTION: a message box says TEXT under CAPTION; answered OK.
expect_box() { drv expect-message "$1" 5000 --caption "$2" >/dev/null; }

# expect_eq WHAT GOT WANTED
expect_eq() { [ "$2" = "$3" ] || fail "$1: \"$2\", expected \"$3\""; }

# add_number TEXT: "追加", then TEXT typed into the new row's edit and Enter.
add_number() {
  drv click "$LIST" 304 >/dev/null || return 1
  local _
  for _ in $(seq 1 20); do
    drv_quiet lv-edit-text "$LIST" 400 >/dev/null && break
    sleep 0.2
  done
  drv lv-end-edit "$LIST" 400 "$1" >/dev/null
}

# wait_for WHAT WANTED COMMAND...: COMMAND prints WANTED within 3 s (the
# tick that does the work comes up to 500 ms after the click).
wait_for() {
  local what=$1 want=$2 got="" _
  shift 2
  for _ in $(seq 1 15); do
    got=$("$@")
    [ "$got" = "$want" ] && return 0
    sleep 0.2
  done
  fail "$what: \"$got\", expected \"$want\""
}
wait_count() { wait_for "rows in the list" "$1" drv_quiet lv-count "$LIST" 400; }
wait_cell() { wait_for "cell $1,$2" "$3" drv_quiet lv-text "$LIST" 400 "$1" "$2"; }

# wait_board NUMBER NAME INFORMATION: the list board is open for NUMBER and
# shows its name and information.
wait_board() {
  drv wait-text "$BOARD" 0 "情報ボード（ $1 ）" 3000 >/dev/null || return 1
  drv wait-text "$BOARD" 401 "$2" 1000 >/dev/null || return 1
  drv wait-text "$BOARD" 402 "$3" 1000 >/dev/null
}

shot() { wine_env_screenshot "$shots/$1.png" && echo "  screenshot $shots/$1.png"; }

# ---------------------------------------------------------------- cases

case_list() {
  printf '0398765432,田中,\n0312345678,山田,\n0451112222,,\n' >"$work/book.csv"
  new_book_case "$work/book.csv" || return 1
  start_corvinet && wait_main || return 1
  open_list || return 1
  wait_count 3 || return 1
  expect_eq "row 0" "$(cell 0 0)" 0312345678 || return 1
  expect_eq "row 0 name" "$(cell 0 1)" 山田 || return 1
  shot list_f7
  # The first column click sorts descending, the next ascending by name.
  drv lv-click "$LIST" 400 -1 0 >/dev/null
  wait_cell 0 0 0451112222 || return 1
  drv lv-click "$LIST" 400 -1 1 >/dev/null
  wait_cell 2 1 田中 || return 1

  # The red "？" at 45.4F, 7 (F = 7): the help.
  drv client-click "$LIST" 320 10 >/dev/null || return 1
  expect_box "$HELP" 説明 || return 1

  add_number 0312345678 || return 1
  expect_box この電話番号は既に登録済みです 追加エラー || return 1
  add_number abc || return 1
  expect_box 半角数字で入力してください 入力ミス || return 1
  wait_count 3 || return 1
  add_number 0111 || return 1
  wait_cell 3 0 0111 || return 1
  wait_count 4 || return 1
  drv no-message 600 >/dev/null || return 1

  # Search: rows are 0451112222 (no name), 0312345678 山田, 0398765432 田中, 0111.
  drv set-text "$LIST" 301 田 >/dev/null
  drv click "$LIST" 303 >/dev/null
  drv wait-text "$LIST" 303 次へ 3000 >/dev/null || return 1
  wait_for "first hit" 1 drv_quiet lv-selected "$LIST" 400 || return 1
  drv click "$LIST" 303 >/dev/null
  wait_for "second hit" 2 drv_quiet lv-selected "$LIST" 400 || return 1
  drv click "$LIST" 303 >/dev/null
  expect_box 最後まで検索しました。 検索終了 || return 1
  drv wait-text "$LIST" 303 検索 3000 >/dev/null || return 1

  # Name edit through the name column, then delete rows 0 and 2.
  drv lv-select "$LIST" 400 3 >/dev/null
  drv lv-click "$LIST" 400 3 1 >/dev/null
  drv lv-edit "$LIST" 400 3 >/dev/null || return 1
  drv lv-end-edit "$LIST" 400 新規 >/dev/null
  wait_cell 3 1 新規 || return 1
  drv lv-select "$LIST" 400 0 >/dev/null
  drv lv-select "$LIST" 400 2 add >/dev/null
  drv click "$LIST" 306 >/dev/null
  wait_cell 0 0 削除済み || return 1
  wait_cell 2 0 削除済み || return 1
  expect_eq "row 1 kept" "$(cell 1 0)" 0312345678 || return 1

  # F = 14, then close: place and sizes are kept.
  drv select "$LIST" 302 9 >/dev/null && sleep 0.8
  shot list_f14
  drv close "$LIST" >/dev/null
  drv wait-gone "$LIST" 6000 >/dev/null || { fail "box: $(drv_quiet get-message 100 | tr '\n' ' ')"; return 1; }
  local pos="$(book_dir)/PosSize.ini"
  expect_eq "PosSize.ini size" "$(stat -c %s "$pos" 2>/dev/null)" 16 || return 1
  expect_eq "phone_book_font" "$(od -An -tu1 -j95 -N1 "$(ini)" | tr -d ' ')" 14 || return 1
  close_main || return 1
  local book; book=$(export_book | tr -d '\r')
  grep -q '^"0111","新規",""$' <<<"$book" || fail "export lacks 0111: $book" || return 1
  grep -q '^"0312345678","山田",""$' <<<"$book" || fail "export lacks 0312345678: $book" || return 1
  ! grep -q '^"0451112222"\|^"0398765432"' <<<"$book" || fail "deleted numbers are still exported: $book"
}

# An in-place edit ended by a click on another cell, or by "追加", lands
# in the cell where it began; the click and the add follow it.
case_edits() {
  printf '0311,Alice,a\n0322,Bob,b\n' >"$work/book.csv"
  new_book_case "$work/book.csv" || return 1
  start_corvinet && wait_main || return 1
  open_list || return 1
  wait_count 2 || return 1
  # Bob's name typed as "1F desk", ended by a click on Alice's number cell.
  drv lv-select "$LIST" 400 1 >/dev/null
  drv lv-click "$LIST" 400 1 1 >/dev/null
  drv lv-edit "$LIST" 400 1 >/dev/null || return 1
  wait_for "Bob's name edit" Bob drv_quiet lv-edit-text "$LIST" 400 || return 1
  drv lv-end-edit "$LIST" 400 "1F desk" --no-enter >/dev/null || return 1
  drv lv-click "$LIST" 400 0 0 >/dev/null
  wait_cell 1 1 "1F desk" || return 1
  # Alice's name typed, ended by "追加": the name first, then the add.
  drv lv-click "$LIST" 400 0 1 >/dev/null
  drv lv-edit "$LIST" 400 0 >/dev/null || return 1
  wait_for "Alice's name edit" Alice drv_quiet lv-edit-text "$LIST" 400 || return 1
  drv lv-end-edit "$LIST" 400 "Alice B" --no-enter >/dev/null || return 1
  add_number 0333 || return 1
  wait_cell 2 0 0333 || return 1
  drv no-message 600 >/dev/null || return 1
  drv close "$LIST" >/dev/null && drv wait-gone "$LIST" 5000 >/dev/null || return 1
  close_main || return 1
  local book; book=$(export_book | tr -d '\r' | tail -n +2 | sort)
  expect_eq "book" "$book" "$(printf '"0311","Alice B","a"\n"0322","1F desk","b"\n"0333","",""')"
}

case_board() {
  printf '0312345678,山田,前の情報\n0398765432,田中,消す情報\n' >"$work/book.csv"
  new_book_case "$work/book.csv" || return 1
  start_corvinet && wait_main || return 1
  open_list || return 1
  wait_count 2 || return 1
  drv lv-select "$LIST" 400 0 >/dev/null
  drv click "$LIST" 305 >/dev/null
  wait_board 0312345678 山田 前の情報 || return 1
  shot board_f7
  drv set-text "$BOARD" 402 "新しい情報" >/dev/null
  drv click "$BOARD" 404 >/dev/null
  drv wait-gone "$BOARD" 3000 >/dev/null || return 1

  drv lv-select "$LIST" 400 1 >/dev/null
  drv click "$LIST" 305 >/dev/null
  wait_board 0398765432 田中 消す情報 || return 1
  drv click "$BOARD" 405 >/dev/null
  drv wait-gone "$BOARD" 3000 >/dev/null || return 1

  # Typed text, then the list closes: はい saves it.
  drv select "$LIST" 302 9 >/dev/null && sleep 0.6
  drv lv-select "$LIST" 400 0 >/dev/null
  drv click "$LIST" 305 >/dev/null
  wait_board 0312345678 山田 新しい情報 || return 1
  sleep 0.6
  shot board_f14
  drv set-text "$BOARD" 402 "閉じる前の情報" >/dev/null
  drv close "$LIST" >/dev/null
  drv expect-message $'情報ボードの内容は保存されていません。\n保存しますか？' 5000 --caption 情報ボード --button YES >/dev/null ||
    return 1
  drv wait-gone "$LIST" 6000 >/dev/null || { fail "box: $(drv_quiet get-message 100 | tr '\n' ' ')"; return 1; }
  close_main || return 1
  local book; book=$(export_book | tr -d '\r')
  grep -q '^"0312345678","山田","閉じる前の情報"$' <<<"$book" || fail "saved information missing: $book" || return 1
  grep -q '^"0398765432","田中",""$' <<<"$book" || fail "information not cleared: $book"
}

case_duplicate() {
  printf '0312345678,山田,情報\n' >"$work/book.csv"
  new_book_case "$work/book.csv" || return 1
  "$linecall" incoming "$work/call.wav" --number 0312345678 --lead 8 --speech 8 >/dev/null 2>&1 ||
    { fail "linecall failed"; return 1; }
  start_corvinet && wait_main || return 1
  open_list || return 1
  wait_count 1 || return 1
  drv lv-select "$LIST" 400 0 >/dev/null
  drv click "$LIST" 305 >/dev/null
  wait_board 0312345678 山田 情報 || return 1
  virtual_line_play "$work/call.wav"
  drv wait-window "$CALL_BOARD" 25000 >/dev/null || return 1
  # Within 5 s (every tenth tick) while both boards show the number.
  drv expect-message $'同じ電話番号の情報ボードが重複して開いています\n後から閉じたボードの内容が有効になります\nどちらか不要のボードを閉じてください。' 5500 --caption 重複開帳
}

# 100,000 numbers: the list opens and 1,000 rows are deleted while a call
# is recorded; the recording must hold the whole call. Figures go to
# measurements.txt.
big_run() {  # big_run 1|0: with the list's work or without
  local with_list=$1
  awk 'BEGIN { for (i = 0; i < 100000; i++) printf "0%09d,名前%d,\n", i * 7919, i }' >"$work/big.csv"
  printf '0312345678,山田,\n' >>"$work/big.csv"
  new_book_case "$work/big.csv" || return 1
  # Twelve seconds of quiet before the ring: no sound starts a recording in
  # the first 7.5 s of the capture (fifteen blocks), which begins only once
  # the book of 100,001 numbers is read.
  local lead=12
  "$linecall" incoming "$work/long.wav" --number 0312345678 --lead $lead --speech 40 >/dev/null 2>&1 ||
    { fail "linecall failed"; return 1; }
  start_corvinet && wait_main || return 1
  local t0 t_open t_shown t_delete t_end t_close got n f _
  virtual_line_play "$work/long.wav"
  for _ in $(seq 1 50); do [ -n "$(pactl list short sink-inputs 2>/dev/null)" ] && break; sleep 0.05; done
  t0=$(date +%s.%N)
  # Not asked before the ring: each question starts a Wine process, and a
  # stream of them while the number is sent would test the machine's load.
  sleep $lead
  watch_field "0312345678 山田" 20 || return 1
  if [ "$with_list" = 1 ]; then
    t_open=$(date +%s.%N)
    drv click "$main_class" "$PHONE_BOOK_BUTTON" >/dev/null || return 1
    for _ in $(seq 1 100); do
      [ "$(drv_quiet lv-count "$LIST" 400)" = 100001 ] && break
      sleep 0.05
    done
    t_shown=$(date +%s.%N)
    [ "$(drv_quiet lv-count "$LIST" 400)" = 100001 ] || { fail "the list never showed 100001 rows"; return 1; }
    shot big_list
    # Row 1000 alone (the fill selected row 0), then 999 more with the control key.
    drv lv-select "$LIST" 400 1000 >/dev/null || return 1
    drv lv-select-range "$LIST" 400 1050 999 50 >/dev/null || return 1
    t_delete=$(date +%s.%N)
    drv click "$LIST" 306 >/dev/null || return 1
    for _ in $(seq 1 200); do
      [ "$(drv_quiet lv-text "$LIST" 400 50950 0)" = 削除済み ] && break
      sleep 0.05
    done
    t_end=$(date +%s.%N)
    [ "$(drv_quiet lv-text "$LIST" 400 50950 0)" = 削除済み ] || { fail "the last selected row was not deleted"; return 1; }
    expect_eq "row 1001" "$(cell 1001 0)" "$(cell 1001 0 | grep -v 削除済み)" || return 1
    {
      awk -v a="$t_open" -v b="$t_shown" 'BEGIN { printf "open of 100001 numbers: rows shown %.2f s after the click (driver polling, tick included)\n", b - a }'
      awk -v a="$t_delete" -v b="$t_end" 'BEGIN { printf "delete of 1000 rows: done %.2f s after the click (driver polling, tick included)\n", b - a }'
    } | tee -a "$work/measurements.txt"
    sleep 3
    drv close "$LIST" >/dev/null
  else
    sleep 12
  fi
  t_close=$(date +%s.%N)
  close_main || return 1
  f=$(find "$case_dir/通話記録" -name '*.ogg' | head -n 1)
  [ -n "$f" ] || { fail "no recording"; return 1; }
  [[ $(basename "$f") == *-0312345678-* ]] || { fail "recording named $(basename "$f")"; return 1; }
  got=$(soxi -D "$f")
  # Nothing lost on the way: the recording's first and last seconds, found
  # in the call as played, lie as far apart as the recording is long. (Its
  # length against the time from the ring would vary with where the ring
  # fell in a capture block.)
  local raw="$work/recording.raw" line="$work/long.raw" head tail span lost at
  to_raw "$f" "$raw" && to_raw "$f" "$work/head.raw" trim 0 1 && to_raw "$work/long.wav" "$line" ||
    { fail "sox cannot convert"; return 1; }
  head=$("$audio_align" "$work/head.raw" "$line" $((lead + 3)) 3) || { fail "the recording's start is not in the call ($head)"; return 1; }
  at=$(awk -v a="$t0" -v b="$t_close" 'BEGIN { printf "%.2f", b - a }')
  tail=$("$audio_align" "$raw" "$line" "$at" 3) || { fail "the recording's end is not in the call ($tail)"; return 1; }
  span=$(awk -v h="${head% *}" -v t="${tail% *}" 'BEGIN { printf "%.3f", t - (h - 1) }')
  lost=$(awk -v s="$span" -v g="$got" 'BEGIN { printf "%+.3f", s - g }')
  local what="recording alone"
  [ "$with_list" = 1 ] && what="recording while the list worked"
  echo "$what: $got s saved, from $(awk -v h="${head% *}" 'BEGIN { printf "%.2f", h - 1 }') s to ${tail% *} s of the call as played ($lost s missing)" |
    tee -a "$work/measurements.txt"
  awk -v l="$lost" 'BEGIN { exit !(l >= -0.1 && l <= 0.1) }' || { fail "$what: $lost s of the call missing inside it"; return 1; }
  if [ "$with_list" = 1 ]; then
    n=$(export_book | tail -n +2 | wc -l)
    expect_eq "numbers left" "$n" 99001
  fi
}

case_call_alone() { big_run 0; }
case_big() { big_run 1; }

# "参照": a cancelled chooser changes nothing; a chosen folder shows in the
# folder field, asks for a restart and becomes the work folder at exit.
case_folder() {
  new_case || return 1
  mkdir -p "$case_dir/別の電話帳"
  start_corvinet && wait_main || return 1
  open_list || return 1
  local before; before=$(get_text "$(ini)" 400 260)
  drv wait-text "$LIST" 2007 "$before" 3000 >/dev/null || return 1
  drv click "$LIST" 308 >/dev/null || return 1
  drv browse-cancel >/dev/null || return 1
  drv no-message 1000 >/dev/null || return 1
  expect_eq "folder field after cancel" "$(drv get-text "$LIST" 2007)" "$before" || return 1
  local chosen; chosen=$(winpath "$case_dir/別の電話帳")
  drv click "$LIST" 308 >/dev/null || return 1
  drv browse-select "$chosen" >/dev/null || return 1
  expect_box "いったん録音アプリを閉じて再起動してください。" 再起動要請 || return 1
  expect_eq "folder field" "$(drv get-text "$LIST" 2007)" "$chosen" || return 1
  # A folder whose path has 240 Shift-JIS bytes or more is refused.
  local long="電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳電話帳"
  mkdir -p "$case_dir/$long/$long"
  drv click "$LIST" 308 >/dev/null || return 1
  drv browse-select "$(winpath "$case_dir/$long/$long")" >/dev/null || return 1
  expect_box "パスの文字サイズが240Byteを超えました場所を見直してください。" 再設定 || return 1
  expect_eq "folder field after the refusal" "$(drv get-text "$LIST" 2007)" "$chosen" || return 1
  drv close "$LIST" >/dev/null && drv wait-gone "$LIST" 5000 >/dev/null || return 1
  close_main || return 1
  expect_eq "stored work folder" "$(get_text "$(ini)" 400 260)" "$chosen"
}

# Keeps a started list open for a person or a script to look at (not run by default).
case_hold() {
  printf '0398765432,田中,\n0312345678,山田,\n0451112222,,\n' >"$work/book.csv"
  new_book_case "$work/book.csv" || return 1
  start_corvinet && wait_main || return 1
  open_list || return 1
  printf 'export WINEPREFIX=%q DISPLAY=%q\n' "$WINEPREFIX" "$DISPLAY" >"$work/hold.env"
  sleep "${HOLD_SECONDS:-120}"
}

gui_run_cases phone_book_list list edits board duplicate folder call_alone big
