# shellcheck shell=bash
# Sourceable bash library: a Wine environment for running the suite's
# Win32 programs in tests and from scripts, with or without a display.
#
#   wine_env_init DIR      private prefix DIR/wineprefix, Japanese locale,
#                          an X display (Xvfb when none is usable)
#   wine_env_unmanaged     windows not handed to a window manager (see below)
#   wine_env_private DIR   wine_env_init DIR on a display of its own (Xvfb:
#                          known size, nothing of a desktop in the way),
#                          windows unmanaged
#   wine_env_managed       windows handed to the window manager, if any
#   wine_env_run ARGS...   wine64 ARGS... in that environment
#   wine_env_screenshot FILE
#   winpath PATH           PATH as Wine names it (Z:\...)
#   wine_env_cleanup       end the prefix's wineserver and our Xvfb
#
# The first prefix takes about ten seconds (wineboot) and becomes the
# template beside DIR ($WINE_ENV_TEMPLATE elsewhere) that later prefixes
# copy; every prefix is kept and reused. Works as root and with no display at all (CI).

WINE_ENV_XVFB_PID=""
WINE_ENV_XVFB_LOG=""

wine_env_log() { printf 'wine_env: %s\n' "$*" >&2; }

# True when the X server named by DISPLAY answers.
wine_env_display_ok() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null 2>&1; then
    xdpyinfo >/dev/null 2>&1
  else
    return 0
  fi
}

# Starts Xvfb on a display it chooses itself (-displayfd picks a free one).
wine_env_start_xvfb() {
  local dir=$1 numfile
  numfile="$dir/xvfb.display"
  WINE_ENV_XVFB_LOG="$dir/xvfb.log"
  rm -f "$numfile"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >"$WINE_ENV_XVFB_LOG" 2>&1 &
  WINE_ENV_XVFB_PID=$!
  for _ in $(seq 1 100); do
    if [ -s "$numfile" ] && grep -q '^[0-9][0-9]*$' "$numfile"; then
      DISPLAY=":$(head -n1 "$numfile")"
      export DISPLAY
      return 0
    fi
    if ! kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  wine_env_log "Xvfb did not start (see $WINE_ENV_XVFB_LOG)"
  WINE_ENV_XVFB_PID=""
  return 1
}

wine_env_init() {
  local dir=${1:?wine_env_init needs a folder for the prefix}
  mkdir -p "$dir" || return 1
  dir=$(cd "$dir" && pwd)

  export PATH="/usr/lib/wine:$PATH"
  command -v wine64 >/dev/null 2>&1 || { wine_env_log "wine64 not found (install wine64)"; return 1; }
  # Wine takes its code page and the texts of system dialogs from the locale.
  unset LC_ALL LC_CTYPE LC_MESSAGES LANGUAGE
  export LANG=ja_JP.UTF-8
  export WINEDEBUG=-all
  # No Mono or Gecko: without them Wine would ask to download them.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  export WINEPREFIX="$dir/wineprefix"

  if ! wine_env_display_ok; then
    wine_env_start_xvfb "$dir" || return 1
  fi

  # Made once, under a lock so that parallel runs do not race: a copy of
  # the one template prefix beside DIR (wineboot takes ten seconds or more,
  # a copy two).
  if [ ! -f "$WINEPREFIX/.suite-ready" ]; then
    local template
    template="${WINE_ENV_TEMPLATE:-$(dirname "$dir")/wineprefix-template}"
    wine_env_template "$template" || return 1
    (
      flock 9
      if [ ! -f "$WINEPREFIX/.suite-ready" ]; then
        rm -rf "$WINEPREFIX" && cp -a "$template" "$WINEPREFIX"
      fi
    ) 9>"$dir/wineprefix.lock"
    [ -f "$WINEPREFIX/.suite-ready" ] || { wine_env_log "cannot copy $template to $WINEPREFIX"; return 1; }
  fi
  return 0
}

# A fresh prefix at DIR, made once (wineboot).
wine_env_template() {
  local template=$1
  [ -f "$template/.suite-ready" ] && return 0
  mkdir -p "$(dirname "$template")" || return 1
  (
    flock 9
    if [ ! -f "$template/.suite-ready" ]; then
      wine_env_log "creating the Wine prefix $template (about 10 s)"
      rm -rf "$template"
      WINEPREFIX="$template" wine64 wineboot -i >/dev/null 2>&1
      WINEPREFIX="$template" wineserver -w
      [ -f "$template/system.reg" ] && touch "$template/.suite-ready"
    fi
  ) 9>"$template.lock"
  [ -f "$template/.suite-ready" ] || { wine_env_log "wineboot failed for $template"; return 1; }
}

# Without a window manager, Wine waits two seconds for each managed window
# that hides (it expects the manager to confirm): on Xvfb every closing
# message box would cost that. Unmanaged windows are placed exactly where
# the program asks. Stored in the prefix; written only when it changes.
wine_env_set_managed() {
  local want=$1 mark="$WINEPREFIX/.suite-managed"
  [ "$(cat "$mark" 2>/dev/null)" == "$want" ] && return 0
  wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$want" /f >/dev/null 2>&1 || return 1
  printf '%s\n' "$want" >"$mark"
}
wine_env_unmanaged() { wine_env_set_managed N; }
wine_env_managed() { wine_env_set_managed Y; }

wine_env_private() {
  unset DISPLAY
  wine_env_init "$1" || return 1
  wine_env_unmanaged || { wine_env_log "cannot configure the Wine prefix $WINEPREFIX"; return 1; }
}

wine_env_run() { wine64 "$@"; }

winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# Saves the whole screen as a PNG.
wine_env_screenshot() {
  local file=${1:?wine_env_screenshot needs a file}
  mkdir -p "$(dirname "$file")"
  import -display "$DISPLAY" -window root "$file"
}

wine_env_cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && command -v wineserver >/dev/null 2>&1; then
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
  fi
  if [ -n "$WINE_ENV_XVFB_PID" ]; then
    kill "$WINE_ENV_XVFB_PID" 2>/dev/null
    wait "$WINE_ENV_XVFB_PID" 2>/dev/null
    WINE_ENV_XVFB_PID=""
  fi
  return 0
}
