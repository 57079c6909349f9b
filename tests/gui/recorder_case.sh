# shellcheck shell=bash
# Sourceable bash library for the GUI cases of both recorders, after
# gui_case.sh and wine_env.sh. The test sets RECORDER (the program's name
# in messages), RECORD_SIZE (its settings record's size), MAIN_PREFIX,
# c_pid, case_name, shots and an ini function (the case's settings file).
# shellcheck disable=SC2154
#
#   wait_main           until the main window is visible; sets main_class
#   wait_exit S [CODE]  the program ends by itself within S seconds with CODE (0)
#   close_main          closes the main window as "×" does and waits for the end
#   ogg_ok FILE         a valid Ogg Vorbis stream, 8000 Hz, mono, decoding to its end
#   watch_field TEXT S  the number field shows TEXT within S seconds
#   to_raw IN OUT [EFFECT...]
#                       IN as raw 16-bit mono at 8000 Hz (what audio_align
#                       reads), through sox's EFFECTs
#   tail_unchanged [BEFORE AFTER]
#                       after a normal exit the settings file (ini) keeps its
#                       size and differs from $case_dir/settings.before only
#                       in bytes 0..692

# The main window's class, once it is visible.
main_class=""
wait_main() {
  local deadline=$(( $(date +%s) + 30 ))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    if main_class=$(drv_quiet find-class "$MAIN_PREFIX" 500) && drv_quiet is-visible "$main_class"; then
      return 0
    fi
    kill -0 "$c_pid" 2>/dev/null || { fail "$RECORDER ended before its main window showed"; return 1; }
    sleep 0.3
  done
  wine_env_screenshot "$shots/no_main_window_$case_name.png"
  local box; box=$(drv_quiet get-message 100 | tr '\n' ' ')
  fail "no visible main window within 30 s${box:+ (message box: $box)}"
}

# wait_exit SECONDS [CODE]: the program must end by itself with CODE (0).
wait_exit() {
  local rc
  for _ in $(seq 1 $(( $1 * 10 ))); do
    if ! kill -0 "$c_pid" 2>/dev/null; then
      wait "$c_pid"; rc=$?
      c_pid=""
      # The program's own output tells a crash in Wine from one of ours.
      [ $rc -eq "${2:-0}" ] ||
        fail "$RECORDER ended with exit code $rc; its output ends: $(grep -v '^$' "$work/$case_name.log" | tail -n 4 | tr '\n' '|')"
      return
    fi
    sleep 0.1
  done
  fail "$RECORDER still runs $1 s later"
}

close_main() { drv close "$main_class" >/dev/null && wait_exit 15; }

# A valid Ogg Vorbis stream, 8000 Hz, mono, that decodes to its end.
ogg_ok() {
  local f=$1
  [ "$(head -c 4 "$f")" = OggS ] || { fail "$(basename "$f") does not start with OggS"; return 1; }
  [ "$(soxi -t "$f" 2>/dev/null)" = vorbis ] || { fail "$(basename "$f") is not Vorbis"; return 1; }
  [ "$(soxi -r "$f")" = 8000 ] || { fail "$(basename "$f") has rate $(soxi -r "$f")"; return 1; }
  [ "$(soxi -c "$f")" = 1 ] || { fail "$(basename "$f") has $(soxi -c "$f") channels"; return 1; }
  sox "$f" -n stat >/dev/null 2>&1 || { fail "$(basename "$f") does not decode"; return 1; }
}

# watch_field TEXT TIMEOUT_S: the number field (2020) shows TEXT at some time.
watch_field() {
  local deadline=$(( $(date +%s) + $2 )) seen=""
  while [ "$(date +%s)" -lt "$deadline" ]; do
    seen=$(drv_quiet get-text "$main_class" 2020)
    [ "$seen" = "$1" ] && return 0
    sleep 0.2
  done
  fail "the number field never showed \"$1\" (last \"$seen\")"
}

to_raw() {
  local in=$1 out=$2
  shift 2
  sox "$in" -t raw -r 8000 -b 16 -e signed -c 1 "$out" "$@"
}

tail_unchanged() {
  local before=${1:-$case_dir/settings.before} after=${2:-$(ini)} bad
  [ "$(stat -c %s "$after")" -eq "$RECORD_SIZE" ] || { fail "settings file has $(stat -c %s "$after") bytes"; return 1; }
  bad=$(cmp -l "$before" "$after" | awk '$1 - 1 >= 693 { print $1 - 1 }' | head -n 5 | tr '\n' ' ')
  [ -z "$bad" ] || fail "settings bytes changed beyond 692 at offsets $bad"
}
