# shellcheck shell=bash
# Sourceable bash library: one Corvinet of a GUI case, after gui_case.sh,
# wine_env.sh and corvinet_env.sh. The test sets `program` (Corvinet.exe),
# `case_dir`, `case_name`, `work` and `shots`.
# shellcheck disable=SC2154
#
#   start_corvinet      starts it in case_dir; its pid in c_pid
#   wait_main           until its main window is visible; its class in main_class
#   wait_exit S [CODE]  it must end by itself within S seconds with CODE (0)

start_corvinet() {
  (cd "$case_dir" && exec wine64 "$program") >>"$work/$case_name.log" 2>&1 &
  c_pid=$!
}

# The main window's class, once it is visible.
main_class=""
wait_main() {
  local deadline=$(( $(date +%s) + 30 ))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    if main_class=$(drv_quiet find-class "$CORVINET_MAIN_PREFIX" 500) && drv_quiet is-visible "$main_class"; then
      return 0
    fi
    kill -0 "$c_pid" 2>/dev/null || { fail "Corvinet ended before its main window showed"; return 1; }
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
      [ $rc -eq "${2:-0}" ] || fail "Corvinet ended with exit code $rc"
      return
    fi
    sleep 0.1
  done
  fail "Corvinet still runs $1 s later"
}
