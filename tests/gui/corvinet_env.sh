# shellcheck shell=bash
# Sourceable bash library for runs of Corvinet on the virtual line (GUI
# tests, measurements), after virtual_line.sh and wine_env.sh (it brings
# settings_bytes.sh itself):
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


corvinet_make_record() {
  local f=$1
  local -a b=(put_byte "$f") t=(put_text "$f")
  head -c 3572 /dev/zero >"$f"
  "${b[@]}" 0 10       # auto_start_level
  "${b[@]}" 5 1        # start_state: automatic
  "${b[@]}" 7 165      # reserved
  "${b[@]}" 8 0        # silence_choice: 10 s
  "${b[@]}" 9 3        # warning_volume
  "${b[@]}" 10 2       # recording_format: Ogg, middle
  "${b[@]}" 12 1       # browser_sort
  "${t[@]}" 14 100; "${t[@]}" 19 100; "${t[@]}" 24 780; "${t[@]}" 29 260
  "${b[@]}" 34 0       # show_connection_screen: no
  "${b[@]}" 35 "$CORVINET_LINE_INDEX"
  "${b[@]}" 36 "$CORVINET_INPUT_COUNT"
  "${t[@]}" 42 277; "${t[@]}" 47 100; "${t[@]}" 52 470; "${t[@]}" 57 200
  # info_board_rect 277, 384, 470 x 200 (uint16 little-endian)
  "${b[@]}" 62 21; "${b[@]}" 63 1; "${b[@]}" 64 128; "${b[@]}" 65 1
  "${b[@]}" 66 214; "${b[@]}" 67 1; "${b[@]}" 68 200
  "${t[@]}" 70 202; "${t[@]}" 75 284; "${t[@]}" 80 620; "${t[@]}" 85 210
  "${b[@]}" 90 "$CORVINET_INPUT_COUNT"   # saved_device_count
  "${b[@]}" 94 8; "${b[@]}" 95 7
  "${b[@]}" 96 90; "${b[@]}" 97 195      # reserved
  "${t[@]}" 400 "マニュアル 兼 作業フォルダー"
  "${t[@]}" 660 "$CORVINET_LINE_INPUT"
  "${b[@]}" 699 77     # reserved, beyond the part saved at exit
  "${t[@]}" 960 "dd日xx時xx分xx秒"
  "${t[@]}" 1220 "[着信]着信日付-電話番号-電話帳"
  "${t[@]}" 1480 "[発信]発信日付-電話番号-電話帳"
  "${t[@]}" 1740 "yyyy年mm月"
  "${t[@]}" 2000 "通話記録\\"
  "${t[@]}" 3300 "X"   # inside the last folder slot, after its terminator
  "${b[@]}" 3571 119   # reserved
}

# A 2790-byte handset record for the line input: automatic, 10 s silence,
# Ogg, desktop, no connection screen; non-zero bytes beyond 692.
handset_make_record() {
  local f=$1
  local -a b=(put_byte "$f") t=(put_text "$f")
  head -c 2790 /dev/zero >"$f"
  "${b[@]}" 0 10; "${b[@]}" 5 1; "${b[@]}" 7 1; "${b[@]}" 9 3; "${b[@]}" 10 2
  "${b[@]}" 11 201     # reserved, passed through
  "${b[@]}" 12 1
  "${t[@]}" 42 277; "${t[@]}" 47 100; "${t[@]}" 52 470; "${t[@]}" 57 200
  "${t[@]}" 70 202; "${t[@]}" 75 284; "${t[@]}" 80 600; "${t[@]}" 85 200
  "${b[@]}" 35 "$CORVINET_LINE_INDEX"; "${b[@]}" 36 "$CORVINET_INPUT_COUNT"
  "${b[@]}" 90 "$CORVINET_INPUT_COUNT"
  "${t[@]}" 660 "$CORVINET_LINE_INPUT"
  "${b[@]}" 699 77
  "${t[@]}" 960 "dd日xx時xx分xx秒"
  "${t[@]}" 1220 "yyyy年mm月"
  "${t[@]}" 1480 "通話記録\\"
  "${b[@]}" 2789 119
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
