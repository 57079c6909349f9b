# shellcheck shell=bash
# Sourceable bash library for runs of Corvinet on the virtual line (GUI
# tests, measurements), after virtual_line.sh and wine_env.sh (it brings
# settings_bytes.sh itself, whose settingsrecord needs $native):
#
#   corvinet_line_start DIR   the line (null sink "line", its monitor the
#                             input) and an output sink "speaker", so that
#                             the warning sound shows as a stream on it
#   corvinet_unplug_line / corvinet_plug_line / corvinet_plug_speaker
#   corvinet_env_start        a test script's line, Wine prefix (in $work)
#                             and the line input found with $driver; exits
#                             the script when one of them fails
#   corvinet_env_end          ends the program of c_pid (if any), the line
#                             and Wine (a measurement's trap)
#   corvinet_find_input DRIVER   after wine_env_init: sets CORVINET_LINE_INDEX
#                             and CORVINET_INPUT_COUNT from Wine's wave-in list
#   corvinet_make_record FILE a 3572-byte settings record for that input:
#                             automatic start, 10 s silence, Ogg, desktop,
#                             no connection screen; non-zero bytes beyond 692
#   handset_make_record FILE  the same for the handset recorder Pallaby,
#                             2790 bytes
#   corvinet_make_folder DIR [handset]  an install-like folder with a record
#   corvinet_speaker_streams  streams playing into the speaker sink
#   corvinet_recordings DIR   the recordings (.ogg, .wav) of the folder DIR
#                             in 通話記録 and 非常用フォルダー, sorted
#   corvinet_run_in DIR EXE LOG
#                             for measurements: EXE linked into DIR (it takes
#                             its files from its own folder) and started from
#                             there, its output in LOG, its id in c_pid; sets
#                             main to its main window's class once that exists
#                             (30 s), else returns 1

# With PulseAudio's default client latency Wine's wave-in wakes some hundred
# times a second on an idle line, several times the recorder's own cost; the
# recorder takes half-second blocks and needs no low latency.
export PULSE_LATENCY_MSEC=60

# shellcheck source=settings_bytes.sh
source "$(dirname "${BASH_SOURCE[0]}")/settings_bytes.sh"

CORVINET_LINE_INPUT="Monitor of Null Output"
# shellcheck disable=SC2034  # for the scripts that source this
CORVINET_MAIN_PREFIX="めるとあ - "
CORVINET_SETTINGS_REL="マニュアル 兼 作業フォルダー/setting（編集厳禁）.ini"
CORVINET_LINE_INDEX=-1
CORVINET_INPUT_COUNT=0

corvinet_plug_speaker() {
  pactl list short sinks | grep -q $'\tspeaker\t' && return 0
  pactl load-module module-null-sink sink_name=speaker sink_properties=device.description=Speaker >/dev/null &&
    pactl set-default-sink speaker
}

# Only the line's sink goes; the speaker stays.
corvinet_unplug_line() { virtual_line_unplug line; }

corvinet_plug_line() {
  pactl list short sinks | grep -q $'\tline\t' ||
    pactl load-module module-null-sink sink_name=line >/dev/null || return 1
  pactl set-default-source line.monitor && pactl set-default-sink speaker
}

# The daemon names its devices in the language of its locale: the input is
# looked for by its English name.
corvinet_line_start() {
  LANG=C LC_ALL=C virtual_line_start "$1" && corvinet_plug_speaker && corvinet_plug_line
}

corvinet_find_input() {
  local driver=$1 i inputs
  # The first listing in a new prefix is in another order than every later
  # one (Wine stores the devices it found then): list once and throw it away.
  wine64 "$driver" wave-inputs >/dev/null 2>&1
  mapfile -t inputs < <(wine64 "$driver" wave-inputs 2>/dev/null)
  CORVINET_INPUT_COUNT=${#inputs[@]}
  CORVINET_LINE_INDEX=-1
  for i in "${!inputs[@]}"; do
    if [ "${inputs[$i]}" = "$CORVINET_LINE_INPUT" ]; then CORVINET_LINE_INDEX=$i; return 0; fi
  done
  printf 'corvinet_env: Wine lists no input "%s" (%s)\n' "$CORVINET_LINE_INPUT" "${inputs[*]}" >&2
  return 1
}

# Non-zero reserved bytes (7, 96, 97, 3571, and 699 beyond the part saved at
# exit) and an "X" (byte 3300) inside the last folder slot, after its
# terminator.
corvinet_make_record() {
  local f=$1
  settingsrecord new "$f" &&
    settingsrecord set "$f" auto_start_level 10 start_state 1 byte.7 165 silence_choice 0 warning_volume 3 \
      recording_format 2 browser_sort 1 \
      editor_window_text.0 100 editor_window_text.1 100 editor_window_text.2 780 editor_window_text.3 260 \
      show_connection_screen 0 \
      input_device_index "$CORVINET_LINE_INDEX" input_device_count "$CORVINET_INPUT_COUNT" \
      main_window_text.0 277 main_window_text.1 100 main_window_text.2 470 main_window_text.3 200 \
      info_board_rect.0 277 info_board_rect.1 384 info_board_rect.2 470 info_board_rect.3 200 \
      browser_window_text.0 202 browser_window_text.1 284 browser_window_text.2 620 browser_window_text.3 210 \
      saved_device_count "$CORVINET_INPUT_COUNT" info_board_font 8 phone_book_font 7 \
      byte.96 90 byte.97 195 \
      work_folder "マニュアル 兼 作業フォルダー" input_device_name "$CORVINET_LINE_INPUT" \
      byte.699 77 \
      file_name_format "dd日xx時xx分xx秒" \
      incoming_name_format "[着信]着信日付-電話番号-電話帳" outgoing_name_format "[発信]発信日付-電話番号-電話帳" \
      folder_name_format "yyyy年mm月" folder_list.0 "通話記録\\" \
      byte.3300 88 \
      byte.3571 119
}

# A 2790-byte handset record for the line input: automatic, 10 s silence,
# Ogg, desktop, no connection screen; non-zero bytes beyond 692 and in byte
# 11 (reserved here, passed through).
handset_make_record() {
  local f=$1
  settingsrecord new "$f" --handset &&
    settingsrecord set "$f" auto_start_level 10 start_state 1 byte.7 1 warning_volume 3 recording_format 2 \
      byte.11 201 \
      browser_sort 1 \
      main_window_text.0 277 main_window_text.1 100 main_window_text.2 470 main_window_text.3 200 \
      browser_window_text.0 202 browser_window_text.1 284 browser_window_text.2 600 browser_window_text.3 200 \
      input_device_index "$CORVINET_LINE_INDEX" input_device_count "$CORVINET_INPUT_COUNT" \
      saved_device_count "$CORVINET_INPUT_COUNT" \
      input_device_name "$CORVINET_LINE_INPUT" \
      byte.699 77 \
      file_name_format "dd日xx時xx分xx秒" folder_name_format "yyyy年mm月" folder_list.0 "通話記録\\" \
      byte.2789 119
}

# A folder laid out like the install folder, with that record.
corvinet_make_folder() {
  local dir=$1 make=corvinet_make_record
  [ "${2:-}" = handset ] && make=handset_make_record
  mkdir -p "$dir/マニュアル 兼 作業フォルダー" "$dir/非常用フォルダー" "$dir/通話記録" &&
    "$make" "$dir/$CORVINET_SETTINGS_REL"
}

corvinet_speaker_streams() {
  local sink
  sink=$(pactl list short sinks | awk '$2 == "speaker" { print $1 }')
  pactl list short sink-inputs | awk -v s="$sink" '$2 == s' | wc -l
}

corvinet_recordings() {
  find "$1/通話記録" "$1/非常用フォルダー" -type f \( -name '*.ogg' -o -name '*.wav' \) | sort
}

# shellcheck disable=SC2034  # c_pid and main are the script's
corvinet_run_in() {
  local dir=$1 exe=$2
  ln -f "$exe" "$dir/" 2>/dev/null || cp "$exe" "$dir/" || return 1
  (cd "$dir" && exec wine64 "./$(basename "$exe")") >"$3" 2>&1 &
  c_pid=$!
  main=""
  for _ in $(seq 1 60); do
    main=$(wine64 "$driver" find-class "$CORVINET_MAIN_PREFIX" 500 2>/dev/null) && return 0
    sleep 0.5
  done
  return 1
}

corvinet_env_start() {
  corvinet_line_start "$work" || { echo "FAIL: no virtual line" >&2; exit 1; }
  wine_env_private "$work" || { echo "FAIL: no Wine environment" >&2; exit 1; }
  corvinet_find_input "$driver" || { echo "FAIL: the line is not an input" >&2; exit 1; }
}

corvinet_env_end() {
  [ -z "${c_pid:-}" ] || { kill "$c_pid" 2>/dev/null; wait "$c_pid" 2>/dev/null; }
  virtual_line_stop
  wine_env_cleanup
}
